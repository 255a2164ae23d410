// sondrel-cli's console commands as an operator runs them: against the libmodbus RTU
// server over a socat link, against a line that nobody answers, and with bad usage. Checks
// the log lines (and their time stamps), the values printed and the exit status.
#include "CliPeerLayout.h"
#include "LibmodbusRtuServer.h"
#include "ProgramRun.h"
#include "PtyPair.h"
#include "SocatLink.h"

#include <gtest/gtest.h>

#include <thread>

using namespace E2eTests;
using namespace std::chrono_literals;

namespace {

const std::string kBroadcastNotice =
    "Broadcasting mode: No reply is expected to be returned from a remote server(s).";

// The transaction ID in an "INIT: name [ID: n]" line, or -1.
int InitId(const std::vector<std::string>& log, const std::string& name) {
    const std::string prefix = "INIT: " + name + " [ID: ";
    for (const std::string& text : log) {
        if (text.rfind(prefix, 0) == 0 && text.back() == ']') {
            return std::stoi(text.substr(prefix.size()));
        }
    }
    return -1;
}

// The console commands against a libmodbus server at address 1, 9600 8N1 (sondrel-cli's
// default line settings).
class CliAgainstLibmodbus : public ::testing::Test {
protected:
    ProgramRun Cli(std::vector<std::string> args) {
        args.insert(args.begin(), kCliProgram);
        args.insert(args.end(), {"--port", Link.EndB(), "--timeout", "500"});
        return ProgramRun::Run(args, 20s);
    }

    TestSupport::SocatLink Link;
    PeerTests::LibmodbusRtuServer Server{Link.EndA(), kCliPeerLayout, 1, 9600, 'N'};
};

TEST_F(CliAgainstLibmodbus, ReadHoldingRegistersReportsTheExchangeAndPrintsTheValues) {
    Server.WithMapping([](modbus_mapping_t& m) {
        m.tab_registers[2] = 0;
        m.tab_registers[3] = 4660;
        m.tab_registers[4] = 65535;
        return 0;
    });
    const ProgramRun run = Cli({"read-holding-registers", "1002", "3"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");

    const std::vector<std::string> log = LogTexts(run.Out);
    const std::string name = "Read Holding Registers (code $03)";
    const int id = InitId(log, name);
    ASSERT_GE(id, 0) << run.Out;
    const std::string tag = " [ID: " + std::to_string(id) + "]";
    EXPECT_TRUE(InOrder(log, {"INIT: " + name + tag, "DONE: " + name + tag,
                              "SUCCESS: Normal response", "3 holding registers were processed."}));
    EXPECT_EQ(PrintedValues(run.Out), (std::vector<std::string>{"0", "4660", "65535"}));
}

TEST_F(CliAgainstLibmodbus, EveryLogLineCarriesAMillisecondTimeStampInOrder) {
    const ProgramRun run = Cli({"read-coils", "5", "2"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::string previous;
    int stamped = 0;
    for (const std::string& line : Lines(run.Out)) {
        if (line.empty() || line == "0" || line == "1") {
            continue; // empty log lines and the bit values carry no stamp
        }
        ASSERT_TRUE(HasTimeStamp(line)) << "\"" << line << "\"";
        const std::string stamp = line.substr(0, 15);
        EXPECT_LE(previous, stamp) << "stamps out of order";
        previous = stamp;
        ++stamped;
    }
    EXPECT_GE(stamped, 6);
    EXPECT_TRUE(InOrder(LogTexts(run.Out),
                        {"2 coils were processed.", "Coil 5 is OFF.", "Coil 6 is OFF."}));
}

TEST_F(CliAgainstLibmodbus, ExceptionReplyNamesTheServerExceptionAndExitsWith1) {
    // Input register 10 is outside the server's input register range.
    const ProgramRun run = Cli({"read-input-registers", "10", "1"});
    EXPECT_EQ(run.Status, 1);
    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(InOrder(
        log, {"DONE: Read Input Registers (code $04) [ID: " +
                  std::to_string(InitId(log, "Read Input Registers (code $04)")) + "]",
              "FAILURE: Modbus exception response", "Server exception: Illegal data address"}));
    EXPECT_FALSE(Contains(log, "1 input register was processed."));
    EXPECT_TRUE(PrintedValues(run.Out).empty());
}

TEST_F(CliAgainstLibmodbus, BroadcastWriteIsSentWithoutWaitingForAReply) {
    const ProgramRun run = Cli({"write-single-register", "1005", "4660", "--broadcast"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> log = LogTexts(run.Out);
    const std::string name = "Write Single Register (code $06)";
    const int id = InitId(log, name);
    EXPECT_TRUE(
        InOrder(log, {"INIT: " + name + " [ID: " + std::to_string(id) + "]", kBroadcastNotice}));
    for (const std::string& text : log) {
        EXPECT_EQ(text.find("DONE:"), std::string::npos) << text;
        EXPECT_EQ(text.find("SUCCESS"), std::string::npos) << text;
    }
    // The server carried it out, without answering.
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (Server.RequestsServed() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(Server.WithMapping([](modbus_mapping_t& m) { return m.tab_registers[5]; }), 4660);
}

TEST_F(CliAgainstLibmodbus, ClientLimitIsAUsageErrorAndNothingIsSent) {
    const ProgramRun run = Cli({"read-discrete-inputs", "0", "2049"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("Discrete i/o count must be between 1 and 2048"), std::string::npos)
        << run.Err;
    EXPECT_EQ(InitId(LogTexts(run.Out), "Read Discrete Inputs (code $02)"), -1)
        << "no INIT line for a request that was never queued";
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Server.RequestsServed(), 0);
}

TEST(CliOnSilentLine, UnansweredRequestTimesOutAfterEveryAttemptAndExitsWith1) {
    TestSupport::PtyPair line; // nobody answers on the master side
    const ProgramRun run =
        ProgramRun::Run({kCliProgram, "read-holding-registers", "5", "2", "--port",
                         line.SlavePath(), "--timeout", "200", "--retries", "2"},
                        20s);
    EXPECT_EQ(run.Status, 1);
    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(InOrder(log, {"INIT: Read Holding Registers (code $03) [ID: 0]",
                              "DONE: Read Holding Registers (code $03) [ID: 0]",
                              "FAILURE: Response timeout expired"}));
    EXPECT_TRUE(PrintedValues(run.Out).empty());
    // Two attempts of the same 8-byte request: 01 03 00 05 00 02 and its CRC.
    const TestSupport::Bytes sent = line.PeerRead(64, 200ms);
    ASSERT_EQ(sent.size(), 16U);
    EXPECT_EQ(TestSupport::Bytes(sent.begin(), sent.begin() + 6),
              (TestSupport::Bytes{0x01, 0x03, 0x00, 0x05, 0x00, 0x02}));
    EXPECT_EQ(TestSupport::Bytes(sent.begin(), sent.begin() + 8),
              TestSupport::Bytes(sent.begin() + 8, sent.end()));
}

TEST(CliUsage, UsageErrorsExitWith2AndExplainOnStandardError) {
    TestSupport::PtyPair line;
    struct Case {
        std::vector<std::string> Args;
        std::string Message;
    };
    const std::vector<Case> cases = {
        {{"frobnicate", "--port", line.SlavePath()}, "unknown command 'frobnicate'"},
        {{"read-coils", "12x", "1", "--port", line.SlavePath()},
         "'12x' is not a valid integer value"},
        {{"read-coils", "1", "--port", line.SlavePath()}, "wrong number of arguments"},
        {{"read-coils", "1", "1", "--port", line.SlavePath(), "--baud", "fast"}, "--baud"},
        {{"read-coils", "1", "1"}, "--port is required"},
        {{"read-coils", "1", "1", "--port", line.SlavePath(), "--broadcast"},
         "cannot be broadcast"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = c.Args;
        argv.insert(argv.begin(), kCliProgram);
        const ProgramRun run = ProgramRun::Run(argv, 10s);
        EXPECT_EQ(run.Status, 2) << c.Message;
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out.find("INIT:"), std::string::npos) << run.Out;
    }
    EXPECT_TRUE(line.PeerRead(64, 50ms).empty()) << "a refused command sent a request";
}

} // namespace
