// The console settings file: Windows profile semantics, in-place writes, failure handling.
#include "ConsoleFileError.h"
#include "ConsoleTestSupport.h"
#include "ProfileFile.h"
#include "ProfileText.h"
#include "TextToInteger.h"

#include <gtest/gtest.h>

#include <random>

using namespace Sondrel;
using ConsoleTest::ReadAll;
using ConsoleTest::TTempFolder;
using ConsoleTest::WriteAll;

TEST(ProfileRead, SectionsAndKeysAreCaseInsensitive) {
    TTempFolder dir;
    WriteAll(dir / "a.dat", "[ModbusConnection1]\r\nBaudRate=15\r\nPort=COM7\r\n");
    TProfileFile file(dir / "a.dat");
    EXPECT_EQ(file.ReadInteger("modbusconnection1", "BAUDRATE", 8), 15);
    EXPECT_EQ(file.ReadString("MODBUSCONNECTION1", "port", "COM1"), "COM7");
}

TEST(ProfileRead, MissingFileSectionOrKeyGivesTheDefault) {
    TTempFolder dir;
    TProfileFile missing(dir / "none.dat");
    EXPECT_EQ(missing.ReadInteger("General", "LogTransactionsToFile", 0), 0);
    EXPECT_EQ(missing.ReadString("ModbusConnection1", "Port", "COM1"), "COM1");
    EXPECT_FALSE(std::filesystem::exists(dir / "none.dat")) << "reading must not create the file";

    WriteAll(dir / "a.dat", "[General]\nOther=5\n");
    TProfileFile file(dir / "a.dat");
    EXPECT_EQ(file.ReadInteger("General", "LogTransactionsToFile", 7), 7);
    EXPECT_EQ(file.ReadInteger("Missing", "Other", 9), 9);
}

TEST(ProfileRead, ValuesAreTrimmedAndUnquotedLikeTheWindowsProfileFunctions) {
    TTempFolder dir;
    WriteAll(dir / "a.dat", "  [ Main ]  \n  Port =  COM3  \nName=\"quoted \"\nEmpty=\n");
    TProfileFile file(dir / "a.dat");
    EXPECT_EQ(file.ReadString("Main", "Port", ""), "COM3");
    EXPECT_EQ(file.ReadString("Main", "Name", ""), "quoted ");
    EXPECT_EQ(file.ReadString("Main", "Empty", "default"), "") << "an empty value is a value";
}

TEST(ProfileRead, IntegersAreDecimalAndAnythingElseGivesTheDefault) {
    TTempFolder dir;
    WriteAll(dir / "a.dat",
             "[S]\nA= 12 \nB=12abc\nC=0x10\nD=-5\nE=\nF=99999999999\nG=+7\nH=1.5\nI=--1\n");
    TProfileFile file(dir / "a.dat");
    EXPECT_EQ(file.ReadInteger("S", "A", -1), 12);
    EXPECT_EQ(file.ReadInteger("S", "B", -1), -1);
    EXPECT_EQ(file.ReadInteger("S", "C", -1), -1);
    EXPECT_EQ(file.ReadInteger("S", "D", -1), -5);
    EXPECT_EQ(file.ReadInteger("S", "E", -1), -1);
    EXPECT_EQ(file.ReadInteger("S", "F", -1), -1) << "beyond 32 bits";
    EXPECT_EQ(file.ReadInteger("S", "G", -1), 7);
    EXPECT_EQ(file.ReadInteger("S", "H", -1), -1);
    EXPECT_EQ(file.ReadInteger("S", "I", -1), -1);
}

TEST(ProfileRead, AnyNonZeroIntegerIsTrue) {
    TTempFolder dir;
    WriteAll(dir / "a.dat", "[S]\nA=1\nB=0\nC=-3\nD=yes\n");
    TProfileFile file(dir / "a.dat");
    EXPECT_TRUE(file.ReadBool("S", "A", false));
    EXPECT_FALSE(file.ReadBool("S", "B", true));
    EXPECT_TRUE(file.ReadBool("S", "C", false));
    EXPECT_TRUE(file.ReadBool("S", "D", true)) << "not a number: the default";
    EXPECT_FALSE(file.ReadBool("S", "D", false));
}

TEST(ProfileRead, FirstSectionAndFirstKeyWin) {
    TProfileText text("[S]\nK=1\nK=2\n[s]\nK=3\n");
    EXPECT_EQ(text.Find("S", "K"), "1");
}

TEST(ProfileWrite, FirstWriteCreatesTheFileWithCrLfLines) {
    TTempFolder dir;
    TProfileFile file(dir / "new.dat");
    file.WriteBool("General", "LogTransactionsToFile", true);
    file.WriteInteger("ModbusConnection1", "BaudRate", 15);
    EXPECT_EQ(ReadAll(dir / "new.dat"),
              "[General]\r\nLogTransactionsToFile=1\r\n[ModbusConnection1]\r\nBaudRate=15\r\n");
    EXPECT_EQ(ConsoleTest::FileNames(dir.Path()).size(), 1u) << "no temporary file left";
}

TEST(ProfileWrite, ExistingKeyIsReplacedInPlaceAndEverythingElseKept) {
    TTempFolder dir;
    const std::string before = "; settings\r\n[ModbusConnection1]\r\nbaudrate=6\r\n"
                               "Unknown=keep me\r\n\r\n[Other]\r\nX=1\r\n";
    WriteAll(dir / "a.dat", before);
    TProfileFile file(dir / "a.dat");
    file.WriteInteger("MODBUSCONNECTION1", "BaudRate", 15);
    EXPECT_EQ(ReadAll(dir / "a.dat"), "; settings\r\n[ModbusConnection1]\r\nbaudrate=15\r\n"
                                      "Unknown=keep me\r\n\r\n[Other]\r\nX=1\r\n");
}

TEST(ProfileWrite, NewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
    TTempFolder dir;
    WriteAll(dir / "a.dat", "[A]\nX=1\n\n[B]\nY=2");
    TProfileFile file(dir / "a.dat");
    file.WriteString("a", "Z", "3");
    file.WriteString("B", "W", "4");
    file.WriteString("C", "V", "5");
    EXPECT_EQ(ReadAll(dir / "a.dat"), "[A]\nX=1\nZ=3\n\n[B]\nY=2\nW=4\n[C]\nV=5\n")
        << "LF files stay LF; the unterminated last line gets its line end";
}

TEST(ProfileWrite, AnUnterminatedLastLineEndingInCrKeepsItsCr) {
    // A bare LF after it would turn its CR into a CRLF line end: the value would lose it.
    TProfileText text("[A]\nX=1\r");
    text.Set("B", "Y", "2");
    EXPECT_EQ(text.Bytes(), "[A]\nX=1\r\r\n[B]\nY=2\n");
    EXPECT_EQ(TProfileText(text.Bytes()).Find("A", "X"), TProfileText("[A]\nX=1\r").Find("A", "X"));
}

TEST(ProfileWrite, ValuesReadBackAsWritten) {
    TTempFolder dir;
    TProfileFile file(dir / "a.dat");
    file.WriteString("ModbusConnection1", "Port", "/dev/ttyUSB0");
    file.WriteInteger("ModbusConnection1", "ReceiveTimeout", -1);
    file.WriteString("ModbusConnection1", "Port", "COM2");
    EXPECT_EQ(file.ReadString("ModbusConnection1", "Port", ""), "COM2");
    EXPECT_EQ(file.ReadInteger("ModbusConnection1", "ReceiveTimeout", 0), -1);
}

TEST(ProfileWrite, NamesAndValuesThatCannotReadBackAreRefused) {
    TProfileText text;
    EXPECT_THROW(text.Set("S", "K", "two\r\nlines"), std::invalid_argument);
    EXPECT_THROW(text.Set("S", "a=b", "1"), std::invalid_argument);
    EXPECT_THROW(text.Set("S]", "K", "1"), std::invalid_argument);
    EXPECT_THROW(text.Set(" ", "K", "1"), std::invalid_argument);
    EXPECT_THROW(text.Set("S", ";K", "1"), std::invalid_argument);
    EXPECT_EQ(text.Bytes(), "");
}

TEST(ProfileWriteFailure, ReadOnlyFolderRaisesAndKeepsTheOldFile) {
    TTempFolder dir;
    const std::string before = "[General]\r\nLogTransactionsToFile=0\r\n";
    WriteAll(dir / "a.dat", before);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    {
        std::ofstream probe(dir / "probe");
        if (probe) {
            GTEST_SKIP() << "this user may write into read-only folders";
        }
    }
    TProfileFile file(dir / "a.dat");
    EXPECT_THROW(file.WriteBool("General", "LogTransactionsToFile", true), EConsoleFileError);
    EXPECT_EQ(ReadAll(dir / "a.dat"), before);
}

TEST(ProfileWriteFailure, MissingFolderRaisesNamingThePath) {
    TTempFolder dir;
    TProfileFile file(dir / "no-such-folder" / "a.dat");
    try {
        file.WriteInteger("S", "K", 1);
        FAIL();
    } catch (const EConsoleFileError& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-folder"), std::string::npos) << e.what();
    }
}

TEST(ProfileWriteFailure, FileThatCannotBeReadIsNotReplaced) {
    TTempFolder dir;
    std::filesystem::create_directory(dir / "a.dat"); // exists, but reading it fails
    TProfileFile file(dir / "a.dat");
    EXPECT_EQ(file.ReadInteger("S", "K", 4), 4);
    EXPECT_THROW(file.WriteInteger("S", "K", 1), EConsoleFileError);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a.dat"));
}

TEST(ProfileHostileInput, HugeFileIsReadUpToTheCapAndNeverReplaced) {
    TTempFolder dir;
    const std::string head = "[S]\r\nFirst=1\r\n";
    std::string bytes = head + std::string(TProfileFile::MaxReadSize, 'z') + "\r\nLast=2\r\n";
    WriteAll(dir / "big.dat", bytes);
    TProfileFile file(dir / "big.dat");
    EXPECT_EQ(file.ReadInteger("S", "First", 0), 1);
    EXPECT_EQ(file.ReadInteger("S", "Last", 0), 0) << "beyond the cap";
    EXPECT_THROW(file.WriteInteger("S", "First", 5), EConsoleFileError);
    EXPECT_EQ(ReadAll(dir / "big.dat").size(), bytes.size());
}

TEST(ProfileHostileInput, BinaryNoiseAndLongLinesNeitherCrashNorHideLaterKeys) {
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 5000; ++i) {
        noise += static_cast<char>(random() & 0xFF);
    }
    // Whatever the noise holds (stray headers, NULs, lone CRs), the section after it counts.
    const std::string bytes = noise + "\n" + std::string(100000, '=') + "\r\n[Real]\r\nKey=42\r\n";
    TProfileText text(bytes);
    EXPECT_EQ(text.Find("Real", "Key"), "42");
    EXPECT_EQ(text.Bytes(), bytes) << "parsing alone changes no byte";
    text.Set("Real", "Key", "43");
    EXPECT_EQ(TProfileText(text.Bytes()).Find("Real", "Key"), "43");
}

TEST(TextToInteger, AcceptsBlanksAndSignsRejectsTheRest) {
    EXPECT_EQ(TextToInteger(" \t-9223372036854775808 "), INT64_MIN);
    EXPECT_EQ(TextToInteger("9223372036854775807"), INT64_MAX);
    EXPECT_FALSE(TextToInteger("9223372036854775808"));
    EXPECT_FALSE(TextToInteger("+-1"));
    EXPECT_FALSE(TextToInteger("1 2"));
    EXPECT_FALSE(TextToInteger("-"));
    EXPECT_FALSE(TextToInteger(""));
}
