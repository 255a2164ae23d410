// Hostile console settings files: every key replaced in turn by garbage, numbers beyond 32 and
// 64 bits, a negative number, nothing, binary noise and a very long value. Each must give the
// key's default, its value, or stop the reading with a message naming the key; the keys before
// it keep their values, the keys after it theirs or (after a stop) the components' own; reading
// never changes the file; a later write keeps every line it does not own and reads back exactly.
#include "ConsoleTestSupport.h"
#include "HostileInput.h"

#include "ConsoleFileError.h"
#include "ConsoleSettingsFile.h"
#include "ProfileText.h"

#include "CorvaneError.h"

#include <gtest/gtest.h>

using namespace Sondrel;
using namespace Corvane;
using namespace ConsoleTest;

namespace {

// A connection, client, server and log flag at the components' own defaults.
struct TComponents {
    TModbusConnection Connection;
    TModbusClient Client;
    TModbusServer Server;
    TRecordingView View;
    TTransactionLog Log{View};
    TConsoleSettingsTargets Targets() { return {Connection, Client, Server, Log}; }
};

class HostileSettingsFile : public ::testing::Test {
protected:
    std::filesystem::path Path() const { return Folder / TConsoleSettingsFile::FileName; }
    // Reads the file into the components; the error's text, or "" when none.
    std::string Read(TComponents& components) {
        try {
            TConsoleSettingsFile(Path()).ReadSettingsFile(components.Targets());
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    TTempFolder Folder;
};

} // namespace

TEST_F(HostileSettingsFile, EveryKeyTakesItsDefaultItsValueOrStopsTheReadingNamingIt) {
    const auto& keys = SettingsKeys();
    TComponents untouched;
    for (std::size_t bad = 0; bad < keys.size(); ++bad) {
        for (const THostileText& hostile : HostileTexts()) {
            SCOPED_TRACE(std::string(keys[bad].Key) + " = " + hostile.Name);
            const std::string bytes = SettingsFileText(bad, hostile.Text);
            WriteAll(Path(), bytes);
            TComponents read;
            const std::string error = Read(read);

            const TKeyOutcome expected = ExpectedOutcome(keys[bad], hostile, Path().string());
            EXPECT_EQ(error, expected.Error);
            const bool baudIsCustom = read.Connection.BaudRate() == brCustom;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                const TSettingsKey& key = keys[i];
                const std::string value = key.Get(read.Targets());
                // The custom rate is read only while the baud rate is custom.
                const bool skipped = std::string(key.Key) == "CustomBaudRate" && !baudIsCustom;
                if (i < bad) {
                    EXPECT_EQ(value, key.Good) << key.Key;
                } else if (i == bad && !expected.Refused) {
                    EXPECT_EQ(value, expected.Value) << key.Key;
                } else if (expected.Refused || skipped) {
                    EXPECT_EQ(value, key.Get(untouched.Targets())) << key.Key << " must stay";
                } else {
                    EXPECT_EQ(value, key.Good) << key.Key;
                }
            }
            EXPECT_EQ(ReadAll(Path()), bytes) << "reading changes no byte";
        }
    }
}

TEST_F(HostileSettingsFile, WritingAfterAHostileFileKeepsItsOtherLinesAndReadsBackExactly) {
    const auto& keys = SettingsKeys();
    for (std::size_t bad = 0; bad < keys.size(); ++bad) {
        for (const THostileText& hostile : HostileTexts()) {
            SCOPED_TRACE(std::string(keys[bad].Key) + " = " + hostile.Name);
            WriteAll(Path(), SettingsFileText(bad, hostile.Text));
            TComponents first;
            Read(first);
            TConsoleSettingsFile(Path()).WriteSettingsFile(first.Targets());
            const std::string written = ReadAll(Path());
            EXPECT_TRUE(written.starts_with("; console settings\r\n[General]\r\n"));
            EXPECT_NE(written.find("\r\nUnknown=kept as it is\r\n"), std::string::npos);

            TComponents second;
            EXPECT_EQ(Read(second), "");
            for (const TSettingsKey& key : keys) {
                EXPECT_EQ(key.Get(second.Targets()), key.Get(first.Targets())) << key.Key;
            }
        }
    }
}

// A port is any text; the file keeps it whatever the reading rules would trim or unquote.
TEST_F(HostileSettingsFile, APortThatTheReadingWouldAlterIsWrittenSoThatItReadsBack) {
    for (const std::string port :
         {" COM1", "COM1\t", "\"COM1\"", "'x'", "a\rb", "\r", "\"", "''"}) {
        SCOPED_TRACE(port);
        TComponents first;
        first.Connection.SetPort(port);
        TConsoleSettingsFile(Path()).WriteSettingsFile(first.Targets());
        TComponents second;
        EXPECT_EQ(Read(second), "");
        EXPECT_EQ(second.Connection.Port(), port);
        std::filesystem::remove(Path());
    }
}

TEST_F(HostileSettingsFile, APortTheFormatCannotHoldLeavesTheWholeFileAsItWas) {
    const std::string before = SettingsFileText(SIZE_MAX, "");
    WriteAll(Path(), before);
    TComponents components;
    Read(components);
    components.Log.SetLogTransactionsToFile(false);
    components.Connection.SetMaxRetries(9);
    components.Connection.SetPort("COM1\nBaudRate=0");
    EXPECT_THROW(TConsoleSettingsFile(Path()).WriteSettingsFile(components.Targets()),
                 std::invalid_argument);
    EXPECT_EQ(ReadAll(Path()), before) << "no key before the port was written either";
}

TEST(ProfileValues, AValueIsQuotedOnlyWhenTheReadingWouldChangeIt) {
    TProfileText text;
    text.Set("S", "Plain", "COM1");
    text.Set("S", "Inner", "a \"b\" c");
    text.Set("S", "Blank", " x");
    text.Set("S", "Quoted", "'x'");
    EXPECT_EQ(text.Bytes(), "[S]\r\nPlain=COM1\r\nInner=a \"b\" c\r\nBlank=\" x\"\r\n"
                            "Quoted=\"'x'\"\r\n");
    EXPECT_THROW(text.Set("S", "K", "a\nb"), std::invalid_argument);
}
