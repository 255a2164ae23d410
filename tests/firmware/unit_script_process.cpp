// The script runner without a window, on the platform's own interpreter (/bin/sh, or cmd.exe
// under Windows): it waits for the script's end and reports its exit status.
#include "FirmwarePlatform.h"
#include "ProgramScript.h"
#include "ScriptProcess.h"

#include "UniqueFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace Sondrel;

namespace {

class ScriptProcess : public ::testing::Test {
protected:
    ~ScriptProcess() override {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }

    // A script of the platform's kind; the lines are the same in sh and in cmd.
    std::string Script(const std::string& body) const {
        const std::string path = (Folder / ProgramScriptFileName(NativeScriptKind)).string();
        std::ofstream(path, std::ios::binary) << body;
        return path;
    }

    std::filesystem::path Folder = TestSupport::MakeUniqueFolder("script-process-");
};

} // namespace

TEST_F(ScriptProcess, TheScriptsExitStatusIsReturned) {
    EXPECT_EQ(RunScriptAndWait(Script("exit 3\n")), 3);
    EXPECT_EQ(RunScriptAndWait(Script("exit 0\n")), 0);
}

TEST_F(ScriptProcess, TheCallWaitsUntilTheScriptHasDoneItsWork) {
    const std::filesystem::path marker = Folder / "marker.txt";
    // Both interpreters run these lines; the script takes a while by writing many of them.
    std::string body;
    for (int i = 0; i < 200; ++i) {
        body += "echo line>> \"" + marker.string() + "\"\n";
    }
    body += "echo done> \"" + (Folder / "done.txt").string() + "\"\n";
    EXPECT_EQ(RunScriptAndWait(Script(body)), 0);
    EXPECT_TRUE(std::filesystem::exists(Folder / "done.txt"))
        << "returned before the script's last line ran";
}

TEST_F(ScriptProcess, AScriptThatDoesNotExistEndsWithAFailureStatus) {
    EXPECT_NE(RunScriptAndWait((Folder / ProgramScriptFileName(NativeScriptKind)).string()), 0);
}
