// The START and Browse procedures of the firmware page, driven through a scripted host.
#include "FirmwareUpdater.h"
#include "ScriptedUpdateHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace Sondrel;
namespace fs = std::filesystem;

namespace {

const std::string Finished =
    "Finished.  Restart the device to complete the upgrade.  Please try again if the update "
    "failed or contact Aquenta at 800-555-0199 if you need support.";
const std::string HexEmpty =
    "Hex File box is empty.  Please select a file to upload and try again.";
const std::string ExceptionError = "Update Firmware Exception Error.";

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class Updater : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("sondrel-updater-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    std::string ProgramFolder() const { return Folder.string() + "/"; }
    std::string Script() const { return ProgramFolder() + "Program.sh"; }

    fs::path Folder;
    TScriptedUpdateHost Host;
};

} // namespace

TEST_F(Updater, SuccessfulRunWritesScriptWaitsRunsDeletesAndSaysFinished) {
    std::string scriptSeen;
    Host.OnRun = [&](const std::string& path) {
        scriptSeen = ReadFile(path);
        return roCompleted;
    };
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start(" COM3 ", "  /fw/a.hex\t", fb38400);

    const std::vector<std::string> expected = {"hex:/fw/a.hex",   "open-on:COM3",
                                               "try-open:COM3",   "wait:150",
                                               "run:" + Script(), "info:" + Finished};
    EXPECT_EQ(Host.Calls, expected);
    EXPECT_EQ(scriptSeen, ProgramShellScriptText({"COM3", fb38400, "/fw/a.hex", ProgramFolder()}));
    EXPECT_FALSE(fs::exists(Script()));
}

TEST_F(Updater, WindowsKindWritesTheBatchFile) {
    std::string scriptSeen;
    Host.OnRun = [&](const std::string& path) {
        scriptSeen = ReadFile(path);
        return roCompleted;
    };
    TFirmwareUpdater updater(Host, ProgramFolder(), skWindowsBatch);
    EXPECT_EQ(updater.ScriptPath(), ProgramFolder() + "Program.bat");
    updater.Start("COM3", "c:\\fw\\a.hex", fb19200);
    EXPECT_EQ(scriptSeen, ProgramBatchText({"COM3", fb19200, "c:\\fw\\a.hex", ProgramFolder()}));
    EXPECT_TRUE(Host.Called("info:" + Finished));
}

TEST_F(Updater, EmptyHexBoxIsReportedAfterThePortTest) {
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM1", "   ", fb19200);
    const std::vector<std::string> expected = {"hex:", "open-on:COM1", "try-open:COM1",
                                               "error:" + HexEmpty};
    EXPECT_EQ(Host.Calls, expected);
    EXPECT_FALSE(fs::exists(Script()));
}

TEST_F(Updater, UnavailablePortGivesItsBoxAndLeavesNoScript) {
    std::ofstream(Script()) << "left over";
    Host.PortOpens = false;
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM4", "/fw/a.hex", fb19200);
    EXPECT_EQ(Host.Calls.back(),
              "error:Serial Port (COM4) is currently unavailable.  Make sure that it is not being "
              "used by another application before trying again.");
    EXPECT_FALSE(Host.Called("run:" + Script()));
    EXPECT_FALSE(fs::exists(Script()));
}

TEST_F(Updater, PortErrorGivesTheFailedBox) {
    Host.OpenThrows = true;
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM4", "/fw/a.hex", fb19200);
    EXPECT_EQ(Host.Calls.back(), "error:Firmware update failed.  Make sure that Serial Port (COM4) "
                                 "is available and try again.");
}

TEST_F(Updater, NoToTheOpenPortQuestionStops) {
    Host.MainOpen = true;
    Host.AnswerYes = false;
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM2", "/fw/a.hex", fb19200);
    const std::vector<std::string> expected = {
        "hex:/fw/a.hex", "open-on:COM2",
        "ask:Serial Port (COM2) is currently open.  Automatically disconnect before continuing?"};
    EXPECT_EQ(Host.Calls, expected);
}

TEST_F(Updater, YesDisconnectsBeforeThePortTest) {
    Host.MainOpen = true;
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM2", "/fw/a.hex", fb19200);
    ASSERT_GE(Host.Calls.size(), 5u);
    EXPECT_EQ(Host.Calls[3], "disconnect");
    EXPECT_EQ(Host.Calls[4], "try-open:COM2");
    EXPECT_TRUE(Host.Called("info:" + Finished));
}

TEST_F(Updater, UnwritableProgramFolderGivesExceptionErrorAndNoScript) {
    // A file where the folder should be: no script can be created below it, even by root.
    const std::string notAFolder = Folder.string() + "/plain-file";
    std::ofstream(notAFolder) << "x";
    TFirmwareUpdater updater(Host, notAFolder, skPosixShell);
    updater.Start("COM1", "/fw/a.hex", fb19200);
    EXPECT_EQ(Host.Calls.back(), "error:" + ExceptionError);
    EXPECT_FALSE(Host.Called("run:" + updater.ScriptPath()));
    EXPECT_FALSE(fs::exists(updater.ScriptPath()));
}

TEST_F(Updater, ScriptThatCannotBeStartedGivesExceptionErrorAndIsDeleted) {
    Host.OnRun = [](const std::string&) -> TScriptRunOutcome {
        throw std::runtime_error("no interpreter");
    };
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM1", "/fw/a.hex", fb19200);
    EXPECT_EQ(Host.Calls.back(), "error:" + ExceptionError);
    EXPECT_FALSE(fs::exists(Script()));
}

TEST_F(Updater, BatchTheInterpreterWouldMisreadGivesExceptionError) {
    // "<" alone passes the name check but cannot go into a batch line.
    TFirmwareUpdater updater(Host, ProgramFolder(), skWindowsBatch);
    updater.Start("COM1", "c:\\fw\\a<b.hex", fb19200);
    EXPECT_TRUE(Host.Called("hex:c:\\fw\\a<b.hex"));
    EXPECT_EQ(Host.Calls.back(), "error:" + ExceptionError);
    EXPECT_FALSE(fs::exists(updater.ScriptPath()));
}

TEST_F(Updater, CancelledRunDeletesTheScriptWithoutTheFinishedBox) {
    Host.OnRun = [](const std::string&) { return roCancelled; };
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM1", "/fw/a.hex", fb19200);
    EXPECT_EQ(Host.Calls.back(), "run:" + Script());
    EXPECT_FALSE(fs::exists(Script()));
}

TEST_F(Updater, ForbiddenHexPathClearsTheBoxAndStopsBeforeThePort) {
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    updater.Start("COM1", "C:\\Program Files (x86)\\a.hex", fb19200);
    const std::vector<std::string> expected = {
        "hex:", "error:C:\\Program Files (x86)\\a.hex contains invalid characters.  Try moving "
                "the hex file to another location and try again."};
    EXPECT_EQ(Host.Calls, expected);
}

TEST_F(Updater, BrowseCheckPutsAnAcceptedPathIntoTheBox) {
    TFirmwareUpdater updater(Host, ProgramFolder(), skPosixShell);
    EXPECT_TRUE(updater.CheckHexFileName("C:\\fw\\a<b.hex"));
    EXPECT_FALSE(updater.CheckHexFileName("C:\\fw\\a<>b.hex"));
    EXPECT_EQ(Host.Calls[0], "hex:C:\\fw\\a<b.hex");
    EXPECT_EQ(Host.Calls[1], "hex:");
}
