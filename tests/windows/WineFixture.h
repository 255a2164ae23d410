// The Windows programs of the cross build (sondrel-cli.exe, sondrel-sim.exe) run under Wine as
// child processes of this Linux test, on the Wine prefix's COM1 or COM2, whose other end is a
// Linux peer: both names are one end of a socat pty pair, the peer opens the other.
//
// The prefix is $WINEPREFIX when tests/windows/wine-prefix made it (scripts/test --windows
// makes one for the whole stage); otherwise the suite makes its own and removes it at the end.
// The programs are found in $SONDREL_MINGW_BIN_DIR, else in the mingw preset's bin folder; a
// test is skipped, saying so, when they have not been built.
//
// One test at a time (the prefix has one COM1); the test's own thread only.
#pragma once

#include "ProgramRun.h"
#include "SocatLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace WineTests {

// A Windows console program writes its lines ended by CR LF; the output checks take LF.
std::string WithLinuxLineEnds(const std::string& text);

// The prefix for the whole suite (a gtest environment).
class WinePrefix : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    static const std::string& Path();

private:
    std::string FOwnPrefix;
};

class WineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The path of a Windows program of the cross build, "" when it was not built.
    static std::string WindowsProgram(const std::string& name);

    // Starts a Windows program under Wine (arguments after the program).
    std::unique_ptr<TestSupport::ChildProcess> StartWindows(const std::string& name,
                                                            const std::vector<std::string>& args);
    // Runs it to its end; its output with LF line ends.
    E2eTests::ProgramRun RunWindows(const std::string& name, const std::vector<std::string>& args,
                                    std::chrono::milliseconds timeout);

    // The Linux end of the null-modem pair, for the peer.
    const std::string& LinuxEnd() const { return FLink->EndB(); }
    // Stops socat: both ends hang up, as when a cable is pulled.
    void PullCable();

    // A file of the test's own folder as Linux and as a Windows program name it.
    std::string LinuxFile(const std::string& name) const;
    std::string WindowsFile(const std::string& name) const;

private:
    std::unique_ptr<TestSupport::SocatLink> FLink;
    int FHoldEndA = -1;
    std::string FFolder;
};

} // namespace WineTests
