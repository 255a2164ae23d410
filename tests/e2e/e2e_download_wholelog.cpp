// The whole-log download and the erase from sondrel-sim through sondrel-cli: every record of
// a small log with the channel size table in the title row, the erase offered afterwards,
// and the empty log that an erase leaves.
#include "DownloadFixture.h"

using namespace E2eTests;

namespace {

using WholeLog = DownloadTest;

const std::string kEmptyLog =
    "The data log appears to be empty.  Please take a sample and try the download again.";

TEST_F(WholeLog, DownloadsEveryRecordWithTheSizeCaptionsThenErasesOnYes) {
    // Records 0..30 hold data: the whole log, record 0 included.
    const SimulatedInstrument& sim = StartSimulator(Instrument(30, 31));
    const ProgramRun run = Cli(sim, {"download-all", "--erase"});
    EXPECT_EQ(run.Status, 0) << run.Err;

    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(InOrder(log, {"Stop Acquisition...", "Modbus Mode...", "Retrieve Size Data...",
                              "Write Number of Output Logs...", "Write Nth Record...",
                              "Retrieving All Data...", "Current Record: 30", "First Record: 62000",
                              "Last Record: 30", "List Count: 31", "Log data memory erased...",
                              "Start Acquisition...", "Download Complete!"}));
    EXPECT_NE(run.Err.find("Would you like to PERMANENTLY ERASE ALL log data from memory? -> Yes"),
              std::string::npos)
        << run.Err;

    const auto table = TableRows(run.Out);
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table.front(), (std::vector<std::string>{"Record Index",
                                                       "Date",
                                                       "Time",
                                                       "300-500 cnts",
                                                       "500-700 cnts",
                                                       "700-1000 cnts",
                                                       "1000-2000 cnts",
                                                       "2000-3000 cnts",
                                                       "3000-5000 cnts",
                                                       "5000-7000 cnts",
                                                       "7000-10000 cnts",
                                                       "> 10000 cnts",
                                                       "Total Cnts",
                                                       "300-500 ppb",
                                                       "500-700 ppb",
                                                       "700-1000 ppb",
                                                       "1000-2000 ppb",
                                                       "2000-3000 ppb",
                                                       "3000-5000 ppb",
                                                       "5000-7000 ppb",
                                                       "7000-10000 ppb",
                                                       "> 10000 ppb",
                                                       "Total PPB",
                                                       "Flow Rate",
                                                       "Cell Condition",
                                                       "Laser Condition",
                                                       "Index"}));
    EXPECT_EQ(DataRows(run), ExpectedRows(sim, Records(0, 31), 62000));

    // The erase took: the next whole-log download finds nothing and reads nothing.
    const ProgramRun again = Cli(sim, {"download-all"});
    EXPECT_EQ(again.Status, 1);
    const std::vector<std::string> againLog = LogTexts(again.Out);
    EXPECT_TRUE(InOrder(againLog, {kEmptyLog + "..", "Start Acquisition..."}));
    EXPECT_FALSE(Contains(againLog, "Stop Acquisition..."));
    EXPECT_FALSE(Contains(againLog, "Retrieve Size Data..."));
    EXPECT_NE(again.Err.find(kEmptyLog), std::string::npos) << again.Err;
}

TEST_F(WholeLog, EraseWithYesEmptiesTheLogAndWithoutYesIsRefused) {
    const SimulatedInstrument& sim = StartSimulator(Instrument(30, 30));
    const ProgramRun refused = Cli(sim, {"erase"});
    EXPECT_EQ(refused.Status, 2);
    EXPECT_NE(refused.Err.find("erase needs --yes"), std::string::npos) << refused.Err;

    const ProgramRun erase = Cli(sim, {"erase", "--yes"});
    EXPECT_EQ(erase.Status, 0) << erase.Err;
    EXPECT_TRUE(
        InOrder(LogTexts(erase.Out), {"Log data memory erased...", "Start Acquisition..."}));
    EXPECT_NE(erase.Err.find("Erase ALL log data from memory? -> Yes"), std::string::npos)
        << erase.Err;

    const ProgramRun empty = Cli(sim, {"download-all"});
    EXPECT_EQ(empty.Status, 1);
    EXPECT_TRUE(Contains(LogTexts(empty.Out), kEmptyLog + ".."));
}

} // namespace
