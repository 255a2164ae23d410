// "sondrel-cli firmware" as an operator runs it on Linux: the programming script is written
// into the program folder, run with a stand-in for lpc21isp that records its arguments, and
// deleted; the page's error boxes become lines on standard error and exit status 1.
#include "ProgramRun.h"
#include "PtyPair.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace E2eTests;
using namespace std::chrono_literals;

namespace {

const std::string kFinished = "Finished.  Restart the device to complete the upgrade.  Please try "
                              "again if the update failed or contact Aquenta at 800-555-0199 if "
                              "you need support.";

class CliFirmware : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(Folder / "bin");
        const std::string tool = Folder / "bin/lpc21isp";
        std::ofstream(tool) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                            << (Folder / "args.txt") << "'\nexit 0\n";
        std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
        std::ofstream(Folder / "fw.hex") << ":00000001FF\n";
    }

    ProgramRun Firmware(const std::string& port, const std::string& hex) {
        const std::string path = Folder / "bin" + ":" + std::string(std::getenv("PATH"));
        return ProgramRun::Run({"/usr/bin/env", "PATH=" + path, kCliProgram, "firmware", "--port",
                                port, "--hex", hex, "--program-folder", Folder / ""},
                               30s);
    }

    std::vector<std::string> ToolArguments() {
        std::ifstream in(Folder / "args.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    TempFolder Folder;
    TestSupport::PtyPair Line;
};

} // namespace

TEST_F(CliFirmware, TheScriptRunsTheToolWithThePortAndFileAndIsDeletedAfterwards) {
    const ProgramRun run = Firmware(Line.SlavePath(), Folder / "fw.hex");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find(kFinished), std::string::npos) << run.Out;
    EXPECT_EQ(ToolArguments(), (std::vector<std::string>{"-hex", "-control", Folder / "fw.hex",
                                                         Line.SlavePath(), "19200", "12000"}));
    EXPECT_FALSE(std::filesystem::exists(Folder / "Program.sh"));
}

TEST_F(CliFirmware, AHexPathWithAForbiddenTextIsRefusedBeforeAnythingRuns) {
    const std::string hex = Folder / "fw(1).hex";
    const ProgramRun run = Firmware(Line.SlavePath(), hex);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(hex + " contains invalid characters."), std::string::npos) << run.Err;
    EXPECT_TRUE(ToolArguments().empty());
}

TEST_F(CliFirmware, APortThatCannotBeOpenedGetsTheUnavailableTextAndNoScript) {
    const ProgramRun run = Firmware("/dev/no-such-port", Folder / "fw.hex");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Serial Port (/dev/no-such-port) is currently unavailable."),
              std::string::npos)
        << run.Err;
    EXPECT_FALSE(std::filesystem::exists(Folder / "Program.sh"));
    EXPECT_TRUE(ToolArguments().empty());
}
