// Downloads that meet a faulty line or a silent instrument, from sondrel-sim through
// sondrel-cli: a stop command that is never acknowledged fails the download step by step;
// dropped requests and corrupted replies are got past by retries and later passes, and the
// table still holds every record.
#include "DownloadFixture.h"

using namespace E2eTests;

namespace {

using DownloadFaults = DownloadTest;

TEST_F(DownloadFaults, UnacknowledgedStopFailsEveryLaterStepAndRestartsAcquisition) {
    // The instrument never answers a write of the command register 246.
    const SimulatedInstrument& sim = StartSimulator(Instrument(10), {"--silent-register", "246"});
    const ProgramRun run = Cli(sim, {"download", "--recent", "5", "--timeout", "200"});
    EXPECT_EQ(run.Status, 1);

    const std::vector<std::string> log = LogTexts(run.Out);
    EXPECT_TRUE(
        InOrder(log, {"Stop Acquisition...", "Stop Acquisition FAILED!", "Modbus Mode FAILED!",
                      "Write Number of Output Logs FAILED!", "** RETRIEVE LOG DATA FAILED **",
                      "Start Acquisition...", "Start Acquisition FAILED!"}));
    for (const char* skipped : {"Modbus Mode...", "Write Number of Output Logs...",
                                "Find Current Record...", "List Count: 0", "Download Complete!"}) {
        EXPECT_FALSE(Contains(log, skipped)) << skipped;
    }
    EXPECT_NE(
        run.Err.find("Retrieve Log Data FAILED! Please check your configuration and try again."),
        std::string::npos)
        << run.Err;
    EXPECT_TRUE(TableRows(run.Out).empty()) << "a failed download printed a table";
}

TEST_F(DownloadFaults, DroppedRequestsAndCorruptedRepliesStillDeliverEveryRecord) {
    const SimulatedInstrument& dropping = StartSimulator(Instrument(10), {"--drop-every", "7"});
    const SimulatedInstrument& corrupting =
        StartSimulator(Instrument(10), {"--corrupt-every", "5"});
    // A short reply timeout, so that a retry comes well within the download's waits.
    const std::vector<std::string> args = {"download", "--recent", "20", "--timeout", "150"};
    const auto droppingCli = StartCli(dropping, args);
    const auto corruptingCli = StartCli(corrupting, args);

    for (const auto& [name, sim, run] :
         {std::tuple{"--drop-every 7", &dropping, Finish(droppingCli)},
          std::tuple{"--corrupt-every 5", &corrupting, Finish(corruptingCli)}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_TRUE(InOrder(LogTexts(run.Out),
                            {"Current Record: 10", "First Record: 61991", "Last Record: 10",
                             "List Count: 20", "Download Complete!"}));
        EXPECT_EQ(DataRows(run), ExpectedRows(*sim, Records(61992, 20), 61991));
    }
}

} // namespace
