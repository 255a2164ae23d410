// Downloads by date and time from sondrel-sim through sondrel-cli: "Following" and "Previous"
// around a minute that the log holds, and a date that it does not hold. The three downloads
// are independent and run side by side.
#include "DownloadFixture.h"

using namespace E2eTests;

namespace {

using DateSearch = DownloadTest;

TEST_F(DateSearch, FollowingAndPreviousFrameTheFoundRecordAndAnUnknownDateFindsNone) {
    // The current record 10 is stamped 03/07 09:05, so 08:50 is record 61996 (15 minutes
    // earlier, across the wrap). Nothing was logged on 12/25.
    const SimulatedInstrument& following = StartSimulator(Instrument(10));
    const SimulatedInstrument& previous = StartSimulator(Instrument(10));
    const SimulatedInstrument& unknown = StartSimulator(Instrument(10));
    const auto byDate = [](const std::string& date, const char* direction) {
        return std::vector<std::string>{"download", "--date",  date,        "--time",
                                        "08:50",    direction, "--records", "5"};
    };
    const auto followingCli = StartCli(following, byDate("03/07", "--following"));
    const auto previousCli = StartCli(previous, byDate("03/07", "--previous"));
    const auto unknownCli = StartCli(unknown, byDate("12/25", "--following"));

    const ProgramRun after = Finish(followingCli);
    EXPECT_EQ(after.Status, 0) << after.Err;
    EXPECT_TRUE(
        InOrder(LogTexts(after.Out),
                {"Start Retrieving by Date...", "Write Minute...", "Write Hour...", "Write Day...",
                 "Write Month...", "Find Current Record...", "Current Record: 61996",
                 "First Record: 61996", "List Count: 5", "Download Complete!"}));
    // The five records after the found one: 08:51 .. 08:55.
    const auto afterRows = DataRows(after);
    EXPECT_EQ(afterRows, ExpectedRows(following, Records(61997, 5), 61996));
    ASSERT_EQ(afterRows.size(), 5U);
    EXPECT_EQ(afterRows.front()[0] + " " + afterRows.front()[2], "00000 08:55");
    EXPECT_EQ(afterRows.back()[0] + " " + afterRows.back()[2], "62000 08:54");

    const ProgramRun before = Finish(previousCli);
    EXPECT_EQ(before.Status, 0) << before.Err;
    EXPECT_TRUE(InOrder(LogTexts(before.Out),
                        {"Current Record: 61996", "First Record: 61992", "List Count: 5"}));
    // The found record is the fourth interval after the first record; the window reaches
    // one interval beyond it: 08:47 .. 08:51.
    const auto beforeRows = DataRows(before);
    EXPECT_EQ(beforeRows, ExpectedRows(previous, Records(61993, 5), 61992));
    ASSERT_EQ(beforeRows.size(), 5U);
    EXPECT_EQ(beforeRows.front()[0] + " " + beforeRows.front()[2], "61993 08:47");
    EXPECT_EQ(beforeRows.back()[0] + " " + beforeRows.back()[2], "61997 08:51");

    // An unknown date: the failure line, no record read, an empty list, exit status 1.
    const ProgramRun none = Finish(unknownCli);
    EXPECT_EQ(none.Status, 1);
    const std::vector<std::string> noneLog = LogTexts(none.Out);
    EXPECT_TRUE(InOrder(noneLog, {"Download FAILED! Date/Time record not found.",
                                  "Current Record: 65535", "List Count: 0", "Download Complete!"}));
    EXPECT_TRUE(DataRows(none).empty());
}

} // namespace
