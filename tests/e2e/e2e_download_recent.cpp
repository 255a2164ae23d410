// Downloads of the most recent records from sondrel-sim, driven through sondrel-cli: the step
// lines, the printed table compared row by row with the simulator's own model of the log, a
// partly filled log, and the demo mode that starts its own simulator.
#include "DownloadFixture.h"

#include <algorithm>

using namespace E2eTests;

namespace {

using RecentRecords = DownloadTest;

TEST_F(RecentRecords, TwentyAtIntervalOneAcrossTheWrapMatchTheInstrumentsLog) {
    const SimulatedInstrument& sim = StartSimulator(Instrument(10));
    const ProgramRun run = Cli(sim, {"download", "--recent", "20"});
    EXPECT_EQ(run.Status, 0) << run.Err;

    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(
        InOrder(log, {"Initializing Download...", "All Data Checked...", "Stop Acquisition...",
                      "Modbus Mode...", "Write Number of Output Logs...", "Write Nth Record...",
                      "Start Retrieving Most Recent Records...", "Find Current Record...",
                      "Retrieve All Records...", "Current Record: 10", "First Record: 61991",
                      "Updating List... Please Wait...", "Last Record: 10",
                      "Sorting List... Please Wait...", "List Count: 20", "Start Acquisition...",
                      "Download Complete!"}));
    for (const std::string& text : log) {
        EXPECT_EQ(text.find("FAILED"), std::string::npos) << text;
    }
    // Records 61992..62000 and 0..10: the twenty before the current one, across the wrap.
    EXPECT_EQ(DataRows(run), ExpectedRows(sim, Records(61992, 20), 61991));
}

TEST_F(RecentRecords, EveryThirdRecordOfAPartlyFilledLogKeepsItsEmptyRecordsAsRows) {
    // Records 62000 and 0..10 hold data; 61999 and older are empty (erased memory).
    const SimulatedInstrument& sim = StartSimulator(Instrument(10, 12));
    const ProgramRun run = Cli(sim, {"download", "--recent", "8", "--interval", "3"});
    EXPECT_EQ(run.Status, 0) << run.Err;

    // The window: 8 records, 3 apart, ending at the current one: 61990 .. 61999 are empty.
    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(InOrder(log, {"Current Record: 10", "First Record: 61987", "Last Record: 10",
                              "List Count: 8", "Download Complete!"}));
    const auto rows = DataRows(run);
    EXPECT_EQ(rows, ExpectedRows(sim, Records(61990, 8, 3), 61987));
    // An empty record is a row of its own: its record index and Index, every value empty.
    int empty = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 27U);
        const bool blank = std::all_of(row.begin() + 1, row.begin() + 26,
                                       [](const std::string& cell) { return cell.empty(); });
        empty += blank ? 1 : 0;
        EXPECT_NE(row[3], "65535") << "erased memory shown as a count";
    }
    EXPECT_EQ(empty, 4);
    EXPECT_TRUE(Contains(log, "4 of the records read were empty."));
    EXPECT_FALSE(Contains(log, "Data cleanup... Please wait..."))
        << "records of the window were asked for again although the list holds them";
}

TEST_F(RecentRecords, DemoModeDownloadsFromItsOwnSimulatorWithoutAPort) {
    const ProgramRun run = ProgramRun::Run(
        {kCliProgram, "--demo", "download", "--recent", "5", "--delay", "fast", "--baud", "115200"},
        kCliTimeout);
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(InOrder(log, {"Current Record: 10", "First Record: 5", "Last Record: 10",
                              "List Count: 5", "Download Complete!"}));
    const auto rows = DataRows(run);
    ASSERT_EQ(rows.size(), 5U);
    // The simulator of the demo starts at record 10 with the time of day as its stamp.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::stoi(rows[i][0]), static_cast<int>(6 + i)) << rows[i][0];
        EXPECT_EQ(rows[i][0].size(), 5U);
    }
}

} // namespace
