// "Download Data" (the whole log) and the erase commands.
#include "DownloadFixture.h"

using namespace Sondrel;

namespace {

const char* const kEraseTitle = "** ERASE DATA?? **";

} // namespace

class WholeLogTest : public DownloadTest {
protected:
    WholeLogTest() {
        Instrument.CurrentRecord = 30;
        // Channel 1: 3 to 5; channel 2: from 5 up to 10, the last channel in use.
        Instrument.SizeTable[17] = 3;
        Instrument.SizeTable[18] = 4;
        Instrument.SizeTable[19] = 5;
        Instrument.SizeTable[20] = 10;
        Instrument.SizeTable[21] = 0;
    }
};

TEST_F(WholeLogTest, DownloadsEveryRecordWithSizeCaptionsOnTheirOwnColumns) {
    Host.Answers = {false}; // keep the log
    Engine.downloadButtonClick();

    // The size table is read from the record before the current one, with 243 = 1, 244 = 0.
    const std::vector<std::string> sizeStep = {"W 243=1", "W 244=0",  "W 255=1",
                                               "R 3x1",   "W 254=29", "R 256x88"};
    const auto& r = Host.Requests;
    const auto at = std::find(r.begin(), r.end(), "W 243=1");
    ASSERT_NE(at, r.end());
    EXPECT_EQ(std::vector<std::string>(at, at + 6), sizeStep);
    EXPECT_EQ(Engine.SizeData().Text(17), "3");

    const TRecordList& list = Engine.List();
    EXPECT_EQ(list.ColumnCaption(3), "3-5 cnts");
    EXPECT_EQ(list.ColumnCaption(4), "5-10 cnts");
    EXPECT_EQ(list.ColumnCaption(5), "> 10 cnts");
    EXPECT_EQ(list.ColumnCaption(6), "Cnts 4");
    EXPECT_EQ(list.ColumnCaption(12), "Total Cnts");
    EXPECT_EQ(list.ColumnCaption(13), "3-5 ppb");
    EXPECT_EQ(list.ColumnCaption(14), "5-10 ppb");
    EXPECT_EQ(list.ColumnCaption(15), "> 10 ppb");
    EXPECT_EQ(list.ColumnCaption(16), "PPB 4");
    EXPECT_TRUE(Host.HeaderBold);

    // Every record 0..30 at interval 1: record 0 is part of the whole log.
    ASSERT_EQ(list.Count(), 31);
    for (std::int32_t row = 0; row < 31; ++row) {
        EXPECT_EQ(RowTexts(row), ExpectedTexts(TFakeInstrument::RecordRegisters(row), 62000));
    }
    EXPECT_TRUE(Host.HasLine("First Record: 62000"));
    EXPECT_TRUE(Host.HasLine("Last Record: 30"));
    ASSERT_EQ(Host.Questions.size(), 1U);
    EXPECT_EQ(Host.Questions[0].Title, kEraseTitle);
    EXPECT_EQ(Host.Questions[0].Text,
              "Download Complete.  Would you like to PERMANENTLY ERASE ALL log data from memory?");
    EXPECT_TRUE(Host.Questions[0].NoIsDefault);
    EXPECT_TRUE(Host.RequestsStartingWith("W 249").empty());
    EXPECT_FALSE(Instrument.Erased);
    for (const char* line :
         {"Download will take approximately 13 Seconds", "Stop Acquisition...", "Modbus Mode...",
          "Retrieve Size Data...", "Write Number of Output Logs...", "Write Nth Record...",
          "Retrieving All Data...", "Current Record: 30", "First Record: 62000", "Last Record: 30",
          "List Count: 31", "Download Complete!"}) {
        EXPECT_TRUE(Host.HasLine(line)) << line;
    }
    EXPECT_TRUE(Engine.ExportReady());
    EXPECT_TRUE(Host.ExportTabEnabled);
    EXPECT_TRUE(Host.ExportButtonsEnabled);
    EXPECT_FALSE(Engine.State().AllDataMode);
    EXPECT_TRUE(Instrument.Acquiring);
}

TEST_F(WholeLogTest, EraseAnsweredYesErasesTheLog) {
    Host.Answers = {true};
    Engine.downloadButtonClick();
    EXPECT_EQ(Host.RequestsStartingWith("W 249=1").size(), 1U);
    EXPECT_TRUE(Instrument.Erased);
    const auto lines = Host.Lines();
    const auto erased = std::find(lines.begin(), lines.end(), "Log data memory erased...");
    const auto complete = std::find(lines.begin(), lines.end(), "Download Complete!");
    ASSERT_NE(erased, lines.end());
    EXPECT_LT(erased, complete);
}

TEST_F(WholeLogTest, MissingSizeTableGoesOnWithTheDownload) {
    Instrument.SilencedReads = {3};
    Instrument.CurrentRecordHigh = 0;
    Host.Answers = {false};
    Engine.downloadButtonClick();
    // Without register 3 the current record reads as 0: the log looks empty.
    EXPECT_EQ(Host.Boxes.size(), 1U);

    // Register 3 answers but the size table's own read of it does not.
    Instrument.SilencedReads.clear();
    Host.Boxes.clear();
    Host.Log.clear();
    bool firstSizeRead = true;
    Host.OnRequest = [&](const std::string& r) {
        if (r == "W 255=1" && firstSizeRead) {
            firstSizeRead = false;
            Instrument.SilencedReads = {3};
        } else if (r == "W 243=0") {
            Instrument.SilencedReads.clear();
        }
    };
    Engine.downloadButtonClick();
    const TLogLine* line = Host.FindLine("Retrieve Size Data FAILED! Continuing...");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Kind, skFailure);
    EXPECT_EQ(Engine.List().Count(), 31);
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
}

TEST_F(WholeLogTest, EmptyLogSendsOnlyTheOutputResetAndStartAcquisition) {
    Instrument.CurrentRecord = 0;
    Engine.downloadButtonClick();

    ASSERT_EQ(Host.Boxes.size(), 1U);
    EXPECT_EQ(Host.Boxes[0].first, biQuestion);
    EXPECT_EQ(Host.Boxes[0].second,
              "The data log appears to be empty.  Please take a sample and try the download "
              "again.");
    EXPECT_TRUE(Host.HasLine("The data log appears to be empty.  Please take a sample and try "
                             "the download again..."));
    const std::vector<std::string> expected = {"R 2x1",   "R 3x1",    "W 243=0", "W 244=65535",
                                               "W 255=0", "W 246=11", "W 244=0", "W 243=0"};
    EXPECT_EQ(Host.Requests, expected);
    EXPECT_TRUE(Host.Questions.empty());
    EXPECT_TRUE(Host.ExportTabEnabled);
    EXPECT_FALSE(Host.ExportButtonsEnabled);
    EXPECT_FALSE(Engine.Running());
}

TEST_F(WholeLogTest, EstimateOfExactlySixtySecondsAsksNothing) {
    // 192 records at 115200 bd with the fast delays (100 / 50 ms): 0.25 x 192 + (192 x 150 /
    // 1000 + 19.2) / 6 + 4 = 60 s exactly.
    Instrument.CurrentRecord = 192;
    Host.Answers = {false}; // the erase question
    Engine.downloadButtonClick();
    EXPECT_TRUE(Host.HasLine("Download will take approximately 1 Minutes and 0 Seconds"));
    ASSERT_EQ(Host.Questions.size(), 1U);
    EXPECT_EQ(Host.Questions[0].Title, kEraseTitle);
    EXPECT_EQ(Engine.List().Count(), 193) << "records 0..192";

    Instrument.CurrentRecord = 193;
    Host.Questions.clear();
    Host.Requests.clear();
    Host.Answers = {false};
    Engine.downloadButtonClick();
    ASSERT_EQ(Host.Questions.size(), 1U);
    EXPECT_EQ(Host.Questions[0].Text,
              "Download will take approximately 1 Minutes and 0 Seconds. Continue?");
    EXPECT_EQ(Host.Requests, (std::vector<std::string>{"R 2x1", "R 3x1"}));
    EXPECT_TRUE(Host.ExportTabEnabled);
    EXPECT_FALSE(Engine.Stopwatch().Running());
}

TEST_F(WholeLogTest, MissingModbusModeAcknowledgementSkipsOnlyTheSizeTable) {
    // The later check looks at the output reset's acknowledgement, which does arrive.
    // (The unanswered write's own timeout completes long after, while blocks are read.)
    Instrument.SilencedWrites = {245};
    Host.Answers = {false};
    Engine.downloadButtonClick();
    EXPECT_FALSE(Host.HasLine("Retrieve Size Data..."));
    EXPECT_TRUE(Host.RequestsStartingWith("R 256x88").empty());
    EXPECT_EQ(Engine.List().ColumnCaption(3), "Cnts 1");
    EXPECT_EQ(Engine.List().Count(), 31);
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
}

TEST_F(WholeLogTest, MissingOutputAcknowledgementEndsSilentlyAfterOneFailureLine) {
    // None of the output reset's writes is acknowledged.
    Instrument.SilencedWrites = {243, 244, 255};
    Engine.downloadButtonClick();

    std::vector<std::string> failed;
    for (const auto& line : Host.Log) {
        if (line.Kind == skFailure) {
            failed.push_back(line.Text);
        }
    }
    EXPECT_EQ(failed, (std::vector<std::string>{"Modbus Mode FAILED!"}));
    EXPECT_TRUE(Host.Boxes.empty());
    EXPECT_EQ(PointerWrites(), (std::vector<std::int32_t>{29})); // the size table's only
    EXPECT_FALSE(Host.HasLine("Download Complete!"));
    EXPECT_EQ(Host.RequestsStartingWith("W 246=11").size(), 1U);
    EXPECT_TRUE(Host.ExportTabEnabled);
    EXPECT_FALSE(Engine.ExportReady());
    EXPECT_EQ(Host.Log.back().Text, "");
}

TEST(EraseFromMenu, YesErasesAndRestartsAcquisitionNoSendsNothing) {
    TFakeInstrument instrument;
    TTestHost host(instrument);
    TDownloadEngine engine(host, host, host);
    host.Attach(engine);
    engine.UpdateCommunicationDelays();

    host.Answers = {false};
    engine.EraseSampleDatafromMemory1Click();
    ASSERT_EQ(host.Questions.size(), 1U);
    EXPECT_EQ(host.Questions[0].Title, "** ERASE DATA?? **");
    EXPECT_EQ(host.Questions[0].Text, "Erase ALL log data from memory?");
    EXPECT_TRUE(host.Questions[0].NoIsDefault);
    EXPECT_TRUE(host.Requests.empty());

    host.Answers = {true};
    engine.EraseSampleDatafromMemory1Click();
    EXPECT_EQ(host.Requests,
              (std::vector<std::string>{"W 249=1", "W 245=85", "W 246=11", "W 244=0", "W 243=0"}));
    EXPECT_TRUE(instrument.Erased);
    EXPECT_TRUE(host.HasLine("Log data memory erased..."));

    // Without a connection nothing is claimed, and a later download is not marked failed.
    host.Log.clear();
    host.NoConnection = true;
    engine.EraseSampleDatafromMemory1Click();
    EXPECT_TRUE(host.HasLine("There is no active connection"));
    EXPECT_FALSE(host.HasLine("Log data memory erased..."));
    EXPECT_FALSE(engine.AbortRequested());
}
