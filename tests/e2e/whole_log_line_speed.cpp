// The whole log (62001 records) downloaded once at the speed of the line, by hand: sondrel-sim
// --wire-time at 115200 bit/s, sondrel-cli download-all --delay line --timing standard, and
// every row of the table compared with the simulator's model of the log. About half an hour;
// not part of the test suite (run build/release/tests/e2e/whole_log_line_speed).
#include "DownloadFixture.h"

#include <cstdio>

using namespace E2eTests;

namespace {

using WholeLogAtLineSpeed = DownloadTest;

TEST_F(WholeLogAtLineSpeed, EveryRecordArrivesAsTheModelHasIt) {
    const SimulatedInstrument& sim =
        StartSimulator(Instrument(SondrelSim::kLastRecordNumber),
                       {"--wire-time", "--timing", "standard", "--baud", "115200"});
    const auto start = std::chrono::steady_clock::now();
    const auto cli = StartCli(sim, {"download-all", "--delay", "line", "--timing", "standard"});
    const ProgramRun run = ProgramRun::Finish(*cli, std::chrono::hours(3));
    const double minutes =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 60;
    EXPECT_EQ(run.Status, 0) << run.Err;

    const std::vector<std::string> log = LogTexts(run.Out);
    for (const std::string& line : log) {
        if (line.rfind("Download will take", 0) == 0 || line.rfind("Elapsed Time", 0) == 0 ||
            line.rfind("List Count", 0) == 0) {
            std::printf("%s\n", line.c_str());
        }
    }
    EXPECT_TRUE(InOrder(log, {"Current Record: 62000", "First Record: 62000", "List Count: 62001",
                              "Download Complete!"}));
    const auto rows = DataRows(run);
    EXPECT_EQ(rows.size(), 62001U);
    EXPECT_TRUE(rows == ExpectedRows(sim, Records(0, 62001), 62000))
        << "a row differs from the simulator's model";
    std::printf("whole log: %zu rows in %.1f minutes\n", rows.size(), minutes);
}

} // namespace
