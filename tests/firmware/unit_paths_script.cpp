// Hex path check, Browse folder rule and the programming script texts.
#include "FirmwarePaths.h"
#include "LineSplitter.h"
#include "ProgramScript.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Sondrel;

TEST(HexPathCheck, RefusesEveryTextTheIspCommandCannotCarry) {
    for (const char* text : {"!", "#", "$", "%", "&", "(", ")", "+", ",", ";", "<>", "@", "[", "]",
                             "^", "{", "}", "~"}) {
        EXPECT_TRUE(HasForbiddenHexPathText(std::string("C:\\fw\\a") + text + "b.hex")) << text;
    }
    EXPECT_TRUE(HasForbiddenHexPathText("C:\\Program Files (x86)\\fw.hex"));
    EXPECT_TRUE(HasForbiddenHexPathText("C:\\fw\\v1,2.hex"));
}

TEST(HexPathCheck, AnglesAreRefusedOnlyAsThePair) {
    EXPECT_FALSE(HasForbiddenHexPathText("C:\\fw\\a<b.hex"));
    EXPECT_FALSE(HasForbiddenHexPathText("C:\\fw\\a><b.hex"));
    EXPECT_TRUE(HasForbiddenHexPathText("C:\\fw\\a<>b.hex"));
}

TEST(HexPathCheck, OrdinaryPathsPass) {
    EXPECT_FALSE(HasForbiddenHexPathText("C:\\fw\\a.hex"));
    EXPECT_FALSE(HasForbiddenHexPathText("/home/me/fw dir/it's \"v2\".hex"));
    EXPECT_FALSE(HasForbiddenHexPathText(""));
}

TEST(HexPathCheck, ErrorTextNamesThePath) {
    EXPECT_EQ(InvalidHexPathMessage("C:\\a(1).hex"),
              "C:\\a(1).hex contains invalid characters.  Try moving the hex file to another "
              "location and try again.");
}

TEST(BrowseFolder, CurrentDirectoryGetsOneTrailingSeparator) {
    EXPECT_EQ(FirmwareBrowseDirectory("C:\\work", "C:\\prog\\", false, '\\'), "C:\\work\\");
    EXPECT_EQ(FirmwareBrowseDirectory("C:\\work\\", "C:\\prog\\", false, '\\'), "C:\\work\\");
    EXPECT_EQ(FirmwareBrowseDirectory("/home/me", "/opt/sondrel", false, '/'), "/home/me/");
}

TEST(BrowseFolder, FirmwareFolderBelowCurrentDirectoryPointsIntoTheProgramFolder) {
    EXPECT_EQ(FirmwareBrowseDirectory("C:\\work", "C:\\prog\\", true, '\\'),
              "C:\\prog\\Firmware\\");
    EXPECT_EQ(FirmwareBrowseDirectory("/home/me", "/opt/sondrel", true, '/'),
              "/opt/sondrel/Firmware/");
    EXPECT_EQ(FirmwareBrowseFileName("/opt/sondrel/Firmware/"), "/opt/sondrel/Firmware/*.hex");
}

TEST(IspCommand, MatchesTheToolsSyntaxForCom3At19200) {
    const TProgramJob job{"COM3", fb19200, "c:\\fw\\a.hex", "C:\\prog\\"};
    EXPECT_EQ(IspCommand(job),
              "FM COM(3, 19200) DEVICE(LPC2148, 12.000000) HARDWARE(BOOTEXEC, 50, 100) "
              "ERASEUSED(C:\\FW\\A.HEX, PROTECTISP) HEXFILE(C:\\FW\\A.HEX, NOCHECKSUMS, NOFILL, "
              "PROTECTISP)");
}

TEST(IspCommand, UsesTheChosenBaudRateAndPortNumber) {
    const TProgramJob job{"COM12", fb38400, "d:\\x.hex", "C:\\prog\\"};
    EXPECT_EQ(IspCommand(job).rfind("FM COM(12, 38400) DEVICE(", 0), 0u);
}

TEST(ProgramBatch, TenCrLfLinesByteForByte) {
    const TProgramJob job{"COM3", fb19200, "c:\\fw\\a.hex", "C:\\Program Files\\Sondrel"};
    const std::string expected =
        "@ECHO OFF\r\n"
        "CD C:\\Program Files\\Sondrel\\\r\n"
        "@ECHO ON\r\n"
        "FM COM(3, 19200) DEVICE(LPC2148, 12.000000) HARDWARE(BOOTEXEC, 50, 100) "
        "ERASEUSED(C:\\FW\\A.HEX, PROTECTISP) HEXFILE(C:\\FW\\A.HEX, NOCHECKSUMS, NOFILL, "
        "PROTECTISP)\r\n"
        "@ECHO OFF\r\n"
        "ECHO.\r\n"
        "ECHO Finished.  Restart the device to complete the upgrade.  Please try again if the "
        "update failed or contact Aquenta at 800-555-0199 if you need support.\r\n"
        "ECHO.\r\n"
        "Pause\r\n"
        "@ECHO ON\r\n";
    EXPECT_EQ(ProgramBatchText(job), expected);
}

TEST(ProgramBatch, RefusesTextTheCommandInterpreterWouldActOn) {
    for (const char* path :
         {"c:\\a|calc.hex", "c:\\a<b.hex", "c:\\a\".hex", "c:\\a\r\nDEL x.hex"}) {
        EXPECT_THROW(ProgramBatchText({"COM1", fb19200, path, "C:\\prog\\"}), std::invalid_argument)
            << path;
    }
    EXPECT_THROW(ProgramBatchText({"COM1", fb19200, "c:\\a.hex", "C:\\Tools & more\\"}),
                 std::invalid_argument);
}

TEST(IspPortMapping, ComNamesBecomeTtySDevicesAndPathsStayAsTheyAre) {
    EXPECT_EQ(IspPortDevice("COM1"), "/dev/ttyS0");
    EXPECT_EQ(IspPortDevice("COM3"), "/dev/ttyS2");
    EXPECT_EQ(IspPortDevice("com10"), "/dev/ttyS9");
    EXPECT_EQ(IspPortDevice("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(IspPortDevice("/dev/serial/by-id/usb-x"), "/dev/serial/by-id/usb-x");
    EXPECT_EQ(IspPortDevice("ttyUSB1"), "/dev/ttyUSB1");
    // Not a COM number: looked up under /dev like any other bare name.
    EXPECT_EQ(IspPortDevice("COM0"), "/dev/COM0");
    EXPECT_EQ(IspPortDevice("COM1x"), "/dev/COM1x");
    EXPECT_EQ(IspPortDevice("COM99999999999999999999"), "/dev/COM99999999999999999999");
}

TEST(ShellScript, Lpc21ispGetsTheEquivalentArgumentsInOrder) {
    const TProgramJob job{"COM3", fb38400, "/home/me/fw/a.hex", "/opt/sondrel"};
    const std::vector<std::string> expected = {"-hex",       "-control", "/home/me/fw/a.hex",
                                               "/dev/ttyS2", "38400",    "12000"};
    EXPECT_EQ(Lpc21ispArguments(job), expected);
}

TEST(ShellScript, HexPathThatLooksLikeAnOptionIsMadeRelative) {
    const TProgramJob job{"/dev/ttyUSB0", fb19200, "-wipe.hex", "/opt/sondrel"};
    EXPECT_EQ(Lpc21ispArguments(job)[2], "./-wipe.hex");
}

TEST(ShellScript, QuotesEveryArgumentSoNothingIsExpanded) {
    EXPECT_EQ(ShellQuote("a b"), "'a b'");
    EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(ShellQuote("$(touch x) `y` \"z\""), "'$(touch x) `y` \"z\"'");
    EXPECT_EQ(ShellQuote(""), "''");
    const std::string text =
        ProgramShellScriptText({"COM1", fb19200, "/x/it's $(id).hex", "/opt/my prog"});
    EXPECT_NE(text.find("cd '/opt/my prog/' || exit 1\n"), std::string::npos);
    EXPECT_NE(text.find("\nlpc21isp '-hex' '-control' '/x/it'\\''s $(id).hex' '/dev/ttyS0' "
                        "'19200' '12000'\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Pause"), std::string::npos);
}

TEST(ShellScript, RefusesNulCharacters) {
    EXPECT_THROW(ProgramShellScriptText({"COM1", fb19200, std::string("/a\0b.hex", 8), "/opt"}),
                 std::invalid_argument);
}

TEST(ScriptChoice, EachPlatformGetsItsOwnFile) {
    EXPECT_EQ(ProgramScriptFileName(skWindowsBatch), "Program.bat");
    EXPECT_EQ(ProgramScriptFileName(skPosixShell), "Program.sh");
    const TProgramJob job{"COM1", fb19200, "/a.hex", "/opt"};
    EXPECT_EQ(ProgramScriptText(job, skPosixShell).rfind("#!/bin/sh\n", 0), 0u);
    EXPECT_EQ(ProgramScriptText(job, skWindowsBatch).rfind("@ECHO OFF\r\n", 0), 0u);
}

TEST(LineSplitter, CutsAtLineFeedsAndDropsCarriageReturns) {
    std::vector<std::string> lines;
    TLineSplitter splitter([&](const std::string& line) { lines.push_back(line); });
    splitter.Feed("one\r\ntw");
    splitter.Feed("o\n\nthree");
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", ""}));
    splitter.Finish();
    EXPECT_EQ(lines.back(), "three");
}

TEST(LineSplitter, OutputWithoutLineEndsComesInBoundedPieces) {
    std::vector<std::string> lines;
    TLineSplitter splitter([&](const std::string& line) { lines.push_back(line); });
    splitter.Feed(std::string(TLineSplitter::MaxLineBytes * 2 + 5, '.'));
    splitter.Finish();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), TLineSplitter::MaxLineBytes);
    EXPECT_EQ(lines[2].size(), 5u);
}
