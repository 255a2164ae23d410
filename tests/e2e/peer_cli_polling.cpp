// sondrel-cli's polling reads, its trace and its value formats against the libmodbus RTU
// server over a socat link: one line per poll and the statistics at the end, a run without
// a count stopped by SIGINT, every frame traced beside the usual log, and registers read and
// written as 32-bit values in another word order.
#include "ChildProcess.h"
#include "CliPeerLayout.h"
#include "LibmodbusRtuServer.h"
#include "ProgramRun.h"
#include "PtyPair.h"
#include "SocatLink.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace E2eTests;
using namespace std::chrono_literals;

namespace {

// The lines that start with the text (after a log stamp, when they have one).
std::vector<std::string> LinesWith(const std::string& output, const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : Lines(output)) {
        if (line.find(text) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

class CliPolling : public ::testing::Test {
protected:
    std::vector<std::string> Argv(std::vector<std::string> args) {
        args.insert(args.begin(), kCliProgram);
        args.insert(args.end(), {"--port", Link.EndB(), "--timeout", "500"});
        return args;
    }
    ProgramRun Cli(std::vector<std::string> args) { return ProgramRun::Run(Argv(args), 20s); }

    TestSupport::SocatLink Link;
    PeerTests::LibmodbusRtuServer Server{Link.EndA(), kCliPeerLayout, 1, 9600, 'N'};
};

TEST_F(CliPolling, EachPollIsOneLineAndTheRunEndsWithTheStatistics) {
    Server.WithMapping([](modbus_mapping_t& m) {
        m.tab_registers[2] = 7;
        m.tab_registers[3] = 65535;
        return 0;
    });
    const ProgramRun run =
        Cli({"read-holding-registers", "1002", "2", "--count", "3", "--interval", "50"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const auto polls = LinesWith(run.Out, "] poll ");
    ASSERT_EQ(polls.size(), 3u) << run.Out;
    for (std::size_t i = 0; i < polls.size(); ++i) {
        EXPECT_TRUE(HasTimeStamp(polls[i])) << polls[i];
        EXPECT_EQ(polls[i].substr(15), "poll " + std::to_string(i + 1) + ": 7 65535");
    }
    EXPECT_TRUE(LinesWith(run.Out, "INIT:").empty()) << "the log gives way to the poll lines";
    EXPECT_TRUE(
        InOrder(Lines(run.Out), {"Statistics:", "  Requests: 3 (retries 0)", "  Normal replies: 3",
                                 "  Exceptions: 0", "  Timeouts: 0"}))
        << run.Out;
    EXPECT_EQ(LinesWith(run.Out, "  Response time: min ").size(), 1u) << run.Out;
    EXPECT_EQ(Server.RequestsServed(), 3);
}

TEST_F(CliPolling, AnExceptionIsItsPollsLineAndCountedByCode) {
    // Input register 10 lies outside the server's input registers.
    const ProgramRun run =
        Cli({"read-input-registers", "10", "1", "--count", "2", "--interval", "0"});
    EXPECT_EQ(run.Status, 1);
    const auto polls = LinesWith(run.Out, "] poll ");
    ASSERT_EQ(polls.size(), 2u) << run.Out;
    EXPECT_EQ(polls[0].substr(15), "poll 1: FAILURE: Modbus exception response");
    EXPECT_EQ(LinesWith(run.Out, "  Exceptions: 2 (code 2: 2)").size(), 1u) << run.Out;
}

TEST_F(CliPolling, ACountOfZeroPollsUntilSigintAndStillPrintsTheStatistics) {
    TestSupport::ChildProcess cli(
        Argv({"read-coils", "0", "4", "--count", "0", "--interval", "20"}),
        TestSupport::ChildProcess::ErrorOutput::Capture);
    ASSERT_TRUE(cli.WaitForLine("poll 3:", 10s)) << cli.Output();
    cli.Signal(SIGINT);
    const ProgramRun run = ProgramRun::Finish(cli, 10s);
    EXPECT_EQ(run.Status, 0) << run.Err;
    const auto polls = LinesWith(run.Out, "] poll ");
    ASSERT_GE(polls.size(), 3u);
    EXPECT_EQ(polls.back().substr(15), "poll " + std::to_string(polls.size()) + ": 0 0 0 0");
    EXPECT_EQ(LinesWith(run.Out, "  Requests: " + std::to_string(polls.size()) + " ").size(), 1u)
        << run.Out;
}

TEST_F(CliPolling, TraceShowsEveryFrameBesideTheUsualLog) {
    const ProgramRun run = Cli({"read-holding-registers", "1000", "1", "--trace"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const auto trace = LinesWith(run.Out, "TRACE ");
    ASSERT_EQ(trace.size(), 2u) << run.Out;
    EXPECT_NE(trace[0].find("Sent      OK           01 03 03 E8 00 01 04 7A  | Read Holding "
                            "Registers: server 1, start 1000, count 1"),
              std::string::npos)
        << trace[0];
    EXPECT_NE(trace[1].find("Received  OK"), std::string::npos) << trace[1];
    EXPECT_NE(trace[1].find("| response "), std::string::npos) << trace[1];
    EXPECT_TRUE(InOrder(LogTexts(run.Out),
                        {"SUCCESS: Normal response", "1 holding register was processed."}));
    std::string untraced;
    for (const std::string& text : Lines(run.Out)) {
        if (text.rfind("TRACE ", 0) != 0) {
            untraced += text + "\n";
        }
    }
    EXPECT_EQ(PrintedValues(untraced), (std::vector<std::string>{"0"}));
    EXPECT_TRUE(LinesWith(run.Out, "Statistics:").empty()) << "one request ends as it always did";
}

TEST_F(CliPolling, ThirtyTwoBitValuesAreReadAndWrittenInTheChosenWordOrder) {
    // 1.5 as a float is 3FC0 0000; CDAB puts the low word first. -2 as int32 is FFFF FFFE.
    Server.WithMapping([](modbus_mapping_t& m) {
        m.tab_registers[2] = 0x0000;
        m.tab_registers[3] = 0x3FC0;
        return 0;
    });
    const ProgramRun read =
        Cli({"read-holding-registers", "1002", "2", "--format", "float32", "--word-order", "CDAB"});
    EXPECT_EQ(read.Status, 0) << read.Err;
    EXPECT_EQ(PrintedValues(read.Out), (std::vector<std::string>{"1.5"}));

    const ProgramRun write = Cli({"write-multiple-registers", "1005", "-2", "70000", "--format",
                                  "int32", "--word-order", "cdab"});
    EXPECT_EQ(write.Status, 0) << write.Err;
    const auto written = Server.WithMapping([](modbus_mapping_t& m) {
        return std::vector<std::uint16_t>(m.tab_registers + 5, m.tab_registers + 9);
    });
    EXPECT_EQ(written, (std::vector<std::uint16_t>{0xFFFE, 0xFFFF, 0x1170, 0x0001}));
}

TEST(CliPollingUsage, MisplacedOrBadOptionsAreUsageErrors) {
    TestSupport::PtyPair line;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"write-single-register", "1", "2", "--count", "2"}, "apply to the reads only"},
        {{"read-coils", "0", "1", "--format", "hex"}, "apply to register values only"},
        {{"read-holding-registers", "0", "1", "--format", "float"}, "'float' is not one of"},
        {{"read-holding-registers", "0", "1", "--word-order", "ABDC"}, "'ABDC' is not one of"},
        {{"read-holding-registers", "0", "1", "--count", "-1"}, "--count"},
        {{"write-single-register", "1", "1.5", "--format", "float32"},
         "use write-multiple-registers"},
        {{"write-multiple-registers", "1", "70000", "--format", "signed"},
         "'70000' is not an integer from -32768 to 32767"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> argv = args;
        argv.insert(argv.begin(), kCliProgram);
        argv.insert(argv.end(), {"--port", line.SlavePath()});
        const ProgramRun run = ProgramRun::Run(argv, 10s);
        EXPECT_EQ(run.Status, 2) << message;
        EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
    }
    EXPECT_TRUE(line.PeerRead(64, 50ms).empty()) << "a refused command sent a request";
}

} // namespace
