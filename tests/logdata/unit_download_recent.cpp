// "Retrieve Data": the most recent records, by date and time, and the shape of a download.
#include "DownloadFixture.h"

#include <regex>

using namespace Sondrel;

namespace {

std::vector<std::int32_t> Range(std::int32_t from, std::int32_t to, std::int32_t step = 1) {
    std::vector<std::int32_t> v;
    for (std::int32_t n = from; n <= to; n += step) {
        v.push_back(n);
    }
    return v;
}

std::vector<std::int32_t> Concat(std::vector<std::int32_t> a, const std::vector<std::int32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST_F(DownloadTest, TwentyRecentRecordsAcrossTheWrapReadExactlyTheWindowInOnePass) {
    Instrument.CurrentRecord = 10;
    Engine.startButtonClick();

    // First record 10 - 20 + 62001 = 61991; blocks 61992..62000 and then 0..10 (62001 is 0).
    EXPECT_EQ(PointerWrites(), Concat(Range(61992, 62000), Range(0, 10)));
    ASSERT_EQ(Engine.List().Count(), 20);
    const auto captions = Captions();
    EXPECT_EQ(captions.front(), "00000");
    EXPECT_EQ(captions[10], "00010");
    EXPECT_EQ(captions[11], "61992");
    EXPECT_EQ(captions.back(), "62000");
    for (std::int32_t row = 0; row < Engine.List().Count(); ++row) {
        const std::int32_t record = std::stoi(captions[static_cast<std::size_t>(row)]);
        EXPECT_EQ(RowTexts(row), ExpectedTexts(TFakeInstrument::RecordRegisters(record), 61991))
            << "record " << record;
    }
    // Index after the wrap keeps counting: 61992 is the 2nd position, 10 the 21st.
    EXPECT_EQ(Engine.List().Text(11, 26), "00002");
    EXPECT_EQ(Engine.List().Text(10, 26), "00021");
    EXPECT_EQ(Engine.State().PassNumber, 2);
    EXPECT_TRUE(Engine.State().ListComplete);
    EXPECT_FALSE(Engine.Running());
}

TEST_F(DownloadTest, SuccessfulDownloadWritesEveryStepInOrder) {
    Instrument.CurrentRecord = 10;
    Engine.startButtonClick();

    const std::vector<std::string> expected = {
        "Download will take approximately 13 Seconds",
        "Initializing Download...",
        "All Data Checked...",
        "Stop Acquisition...",
        "Modbus Mode...",
        "Write Number of Output Logs...",
        "Write Nth Record...",
        "Start Retrieving Most Recent Records...",
        "Find Current Record...",
        "Retrieve All Records...",
        "Current Record: 10",
        "First Record: 61991",
        "Updating List... Please Wait...",
        "Last Record: 10",
        "Sorting List... Please Wait...",
        "List Count: 20",
        "<elapsed>",
        "Start Acquisition...",
        "Download Complete!",
        "",
    };
    auto lines = Host.Lines();
    ASSERT_EQ(lines.size(), expected.size());
    EXPECT_TRUE(std::regex_match(lines[16], std::regex(R"(Elapsed Time: \d\d:\d\d:\d\d\.\d\d\d)")))
        << lines[16];
    lines[16] = "<elapsed>";
    EXPECT_EQ(lines, expected);

    const TLogLine* estimate = Host.FindLine(expected[0]);
    EXPECT_EQ(estimate->Kind, skEstimate);
    const TLogLine* current = Host.FindLine("Current Record: 10");
    EXPECT_EQ(current->Kind, skBold);
    EXPECT_EQ(Host.Log[16].Kind, skElapsed);
    EXPECT_EQ(Host.FindLine("Download Complete!")->Kind, skCompletion);
    EXPECT_EQ(Host.FindLine("Modbus Mode...")->Kind, skPlain);

    const std::vector<std::string> setup = {"W 246=10", "W 245=85", "W 243=65535", "W 244=65535",
                                            "W 244=0",  "W 243=5",  "W 255=1",     "R 2x1",
                                            "R 3x1",    "R 2x1",    "R 3x1",       "W 254=61992"};
    EXPECT_EQ(std::vector<std::string>(Host.Requests.begin(), Host.Requests.begin() + 12), setup);
    const std::vector<std::string> finish = {"R 256x104", "W 246=11", "W 244=0", "W 243=0"};
    EXPECT_EQ(std::vector<std::string>(Host.Requests.end() - 4, Host.Requests.end()), finish);

    EXPECT_TRUE(Host.Boxes.empty());
    EXPECT_TRUE(Host.Questions.empty());
    EXPECT_TRUE(Host.ComponentsEnabled);
    EXPECT_TRUE(Host.ExportButtonsEnabled);
    EXPECT_TRUE(Engine.ExportReady());
    EXPECT_FALSE(Host.Hourglass);
    EXPECT_FALSE(Host.TransactionTimerEnabled);
    EXPECT_FALSE(Host.ConsoleRegisterAccess);
    EXPECT_FALSE(Host.RemoveRecordsEnabled);
    EXPECT_EQ(Host.ListShown, 1);
    EXPECT_TRUE(Instrument.Acquiring);
    EXPECT_EQ(Host.DisplayText, "Download Complete!");
}

TEST_F(DownloadTest, IntervalThreeReadsEveryThirdRecord) {
    Instrument.CurrentRecord = 100;
    Host.InputValues.RecordsText = "10";
    Host.InputValues.IntervalText = "3";
    Engine.startButtonClick();

    EXPECT_EQ(Host.RequestsStartingWith("W 255="), (std::vector<std::string>{"W 255=3"}));
    EXPECT_EQ(PointerWrites(), Range(73, 100, 3));
    ASSERT_EQ(Engine.List().Count(), 10);
    for (std::int32_t row = 0; row < 10; ++row) {
        EXPECT_EQ(RowTexts(row), ExpectedTexts(TFakeInstrument::RecordRegisters(73 + 3 * row), 70));
    }
    EXPECT_EQ(Engine.List().Text(0, 26), "00004");
    EXPECT_TRUE(Host.HasLine("Last Record: 100"));
}

TEST_F(DownloadTest, DateSearchFollowingStartsAfterTheFoundRecord) {
    Instrument.CurrentRecord = 500;
    const auto when = TFakeInstrument::TimeOf(300);
    Host.InputValues.RecentChecked = false;
    Host.InputValues.MonthText = std::to_string(when[0]);
    Host.InputValues.DayText = std::to_string(when[1]);
    Host.InputValues.HourText = std::to_string(when[2]);
    Host.InputValues.MinuteText = std::to_string(when[3]);
    Host.InputValues.PrevFollIndex = 1;
    Engine.startButtonClick();

    const auto writes = Host.RequestsStartingWith("W 25");
    EXPECT_EQ(std::vector<std::string>(writes.begin(), writes.begin() + 5),
              (std::vector<std::string>{
                  "W 255=1", "W 253=" + std::to_string(when[3]), "W 252=" + std::to_string(when[2]),
                  "W 251=" + std::to_string(when[1]), "W 250=" + std::to_string(when[0])}));
    EXPECT_EQ(Host.RequestsStartingWith("R 230x1").size(), 1U);
    EXPECT_TRUE(
        Host.RequestsStartingWith("R 2x").empty()); // the search replaces the current record
    EXPECT_EQ(PointerWrites(), Range(301, 305));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"00301", "00302", "00303", "00304", "00305"}));
    for (const char* line : {"Start Retrieving by Date...", "Write Minute...", "Write Hour...",
                             "Write Day...", "Write Month...", "Current Record: 300",
                             "First Record: 300", "Last Record: 305", "Download Complete!"}) {
        EXPECT_TRUE(Host.HasLine(line)) << line;
    }
}

TEST_F(DownloadTest, DateSearchPreviousPutsTheFoundRecordNearTheEnd) {
    Instrument.CurrentRecord = 500;
    const auto when = TFakeInstrument::TimeOf(300);
    Host.InputValues.RecentChecked = false;
    Host.InputValues.MonthText = std::to_string(when[0]);
    Host.InputValues.DayText = std::to_string(when[1]);
    Host.InputValues.HourText = std::to_string(when[2]);
    Host.InputValues.MinuteText = std::to_string(when[3]);
    Host.InputValues.PrevFollIndex = 0;
    Engine.startButtonClick();

    // First record = 300 - (5 - 1) = 296; the found record sits (N - 1) intervals after it.
    EXPECT_TRUE(Host.HasLine("First Record: 296"));
    EXPECT_EQ(PointerWrites(), Range(297, 301));
    EXPECT_EQ(Engine.List().Count(), 5);
}

TEST_F(DownloadTest, DateSearchAcrossTheWrapKeepsEmptyRecordsOfTheWindow) {
    // A date window that straddles record 0 while the log is only partly filled: the empty
    // records inside the window are kept as rows of the table.
    Instrument.CurrentRecord = 3;
    Instrument.FilledCount = 6; // records 61999, 62000, 0..3
    Instrument.EmptyRecordsNumbered = true;
    const auto when = TFakeInstrument::TimeOf(61999);
    Host.InputValues.RecentChecked = false;
    Host.InputValues.RecentDateText = "8";
    Host.InputValues.MonthText = std::to_string(when[0]);
    Host.InputValues.DayText = std::to_string(when[1]);
    Host.InputValues.HourText = std::to_string(when[2]);
    Host.InputValues.MinuteText = std::to_string(when[3]);
    Host.InputValues.PrevFollIndex = 1;
    Engine.startButtonClick();

    EXPECT_EQ(PointerWrites(), Concat(Range(62000, 62000), Range(0, 6)));
    ASSERT_EQ(Engine.List().Count(), 8);
    for (std::int32_t row : {4, 5, 6}) {
        EXPECT_EQ(Engine.RecordTable().Text(row, 0), std::to_string(row));
        EXPECT_EQ(Engine.RecordTable().Text(row, 2), "65535");
    }
    EXPECT_TRUE(Host.HasLine("Last Record: 6"));
}

TEST_F(DownloadTest, UnknownDateEndsWithRecordNotFoundAndNoBlockRead) {
    Instrument.CurrentRecord = 500;
    Host.InputValues.RecentChecked = false;
    Host.InputValues.MonthText = "12";
    Host.InputValues.DayText = "31";
    Host.InputValues.HourText = "23";
    Host.InputValues.MinuteText = "59";
    Engine.startButtonClick();

    const TLogLine* failed = Host.FindLine("Download FAILED! Date/Time record not found.");
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->Kind, skFailure);
    EXPECT_TRUE(Host.HasLine("Current Record: 65535"));
    EXPECT_TRUE(PointerWrites().empty());
    EXPECT_TRUE(Host.RequestsStartingWith("R 256").empty());
    // Not a failed download: it finishes normally with whatever the list holds.
    EXPECT_EQ(Engine.List().Count(), 0);
    EXPECT_TRUE(Host.HasLine("List Count: 0"));
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
    EXPECT_TRUE(Host.Boxes.empty());
}

TEST_F(DownloadTest, PartlyFilledLogKeepsEmptyRecordsOfTheWindowAsTheirRows) {
    Instrument.CurrentRecord = 10;
    Instrument.FilledCount = 15; // 61997..62000 and 0..10; 61992..61996 are empty
    Instrument.EmptyRecordsNumbered = true;
    Engine.startButtonClick();

    ASSERT_EQ(Engine.List().Count(), 20);
    for (std::int32_t record = 61992; record <= 61996; ++record) {
        EXPECT_EQ(Engine.RecordTable().Text(record, 0), std::to_string(record));
        EXPECT_EQ(Engine.RecordTable().Text(record, 83), "65535");
    }
    // An empty record keeps its record index and Index; its values show empty, not as the
    // 65535 of erased memory.
    EXPECT_EQ(Engine.List().Text(11, 0), "61992");
    for (std::int32_t column = 1; column <= 25; ++column) {
        EXPECT_EQ(Engine.List().Text(11, column), "") << column;
    }
    EXPECT_EQ(Engine.List().Text(11, 26), "00002");
    EXPECT_TRUE(Engine.List().IsSilver(11));
    EXPECT_TRUE(Host.HasLine("5 of the records read were empty."));
    EXPECT_TRUE(Host.HasLine("Last Record: 10"));
    EXPECT_FALSE(Host.HasLine("Data cleanup... Please wait..."));
}

TEST_F(DownloadTest, EmptyRecordsWithoutNumbersKeepARowEachUnderTheirOwnRecordNumber) {
    // An erased record reads 65535 in every register, its record number too. It is stored
    // in the row of the record being read and listed under that record's number, so the
    // empty records of the window neither collapse into one item nor are asked for again.
    Instrument.CurrentRecord = 10;
    Instrument.FilledCount = 15;
    Engine.startButtonClick();

    for (std::int32_t record = 61992; record <= 61996; ++record) {
        EXPECT_EQ(Engine.RecordTable().Text(record, 0), std::to_string(record));
        EXPECT_EQ(Engine.RecordTable().Text(record, 1), "65535");
    }
    EXPECT_EQ(Engine.State().PassNumber, 2);
    EXPECT_FALSE(Host.HasLine("Data cleanup... Please wait..."));
    EXPECT_TRUE(Host.HasLine("Last Record: 10"));
    EXPECT_TRUE(Host.HasLine("List Count: 20"));
    EXPECT_TRUE(Host.HasLine("5 of the records read were empty."));
    EXPECT_EQ(Engine.List().EmptyCount(), 5);
    EXPECT_EQ(Engine.List().Text(11, 0), "61992");
    EXPECT_EQ(Engine.List().Text(15, 0), "61996");
    EXPECT_EQ(Engine.List().Text(16, 0), "61997");
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
}

TEST_F(DownloadTest, DroppedRepliesAreAskedAgainInLaterPasses) {
    Instrument.CurrentRecord = 5000;
    Instrument.DropEveryKthBlock = 7;
    Host.InputValues.RecordsText = "100";
    Engine.startButtonClick();

    ASSERT_EQ(Engine.List().Count(), 100);
    for (std::int32_t row = 0; row < 100; ++row) {
        EXPECT_EQ(Engine.List().Text(row, 0), Pad(4901 + row, 5));
    }
    EXPECT_GT(Engine.State().PassNumber, 2);
    EXPECT_TRUE(Host.HasLine("Data cleanup... Please wait..."));
    EXPECT_TRUE(Host.HasLine("Last Record: 5000"));
    EXPECT_FALSE(Host.HasLine("Download FAILED! Timed out before retrieving all records."));
    // Each pass waits 3 ms longer per pass number than the one before.
    EXPECT_GT(Engine.State().WriteDelay, 100);
}

TEST_F(DownloadTest, RecordsStillMissingAfterTenPassesTimeOut) {
    Instrument.CurrentRecord = 5000;
    Instrument.DropEveryKthBlock = 1; // the instrument answers no block at all
    Host.InputValues.RecordsText = "30";
    Engine.startButtonClick();

    EXPECT_EQ(Engine.State().PassNumber, 11);
    const TLogLine* line =
        Host.FindLine("Download FAILED! Timed out before retrieving all records.");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Kind, skFailure);
    EXPECT_FALSE(Host.HasLine("Last Record: 5000"));
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
    // Pass 1 reads all 30, every later pass the first of each run of 14 missing records.
    EXPECT_EQ(PointerWrites().size(), 30U + 9U * 3U);
}
