// "Retrieve Data" failures, input checks, estimates, stopping and refused second starts.
#include "DownloadFixture.h"

#include <algorithm>

using namespace Sondrel;

namespace {

const char* const kFailureBox =
    "Retrieve Log Data FAILED! Please check your configuration and try again.";

} // namespace

TEST_F(DownloadTest, MissingStopAcknowledgementFailsEveryLaterStep) {
    Instrument.SilencedWrites = {246};
    Engine.startButtonClick();

    const std::vector<std::string> failures = {
        "Stop Acquisition FAILED!", "Modbus Mode FAILED!", "Write Number of Output Logs FAILED!",
        "** RETRIEVE LOG DATA FAILED **", "Start Acquisition FAILED!"};
    std::vector<std::string> failed;
    for (const auto& line : Host.Log) {
        if (line.Kind == skFailure) {
            failed.push_back(line.Text);
        }
    }
    EXPECT_EQ(failed, failures);
    ASSERT_EQ(Host.Boxes.size(), 1U);
    EXPECT_EQ(Host.Boxes[0].first, biError);
    EXPECT_EQ(Host.Boxes[0].second, kFailureBox);
    // Start acquisition is tried before the box is shown.
    EXPECT_EQ(Host.RequestsBeforeBox[0], Host.Requests);
    // Nothing after the output selection is sent; start acquisition is still tried.
    EXPECT_TRUE(Host.RequestsStartingWith("W 245").empty());
    EXPECT_TRUE(Host.RequestsStartingWith("R ").empty());
    EXPECT_EQ(Host.RequestsStartingWith("W 246=11").size(), 1U);
    EXPECT_TRUE(Host.ComponentsEnabled);
    EXPECT_FALSE(Engine.ExportReady());
    EXPECT_EQ(Host.Progress[pbReceived], 0);
    EXPECT_FALSE(Engine.Stopwatch().Running());
    EXPECT_EQ(Host.Log.back().Text, "");
}

TEST_F(DownloadTest, StaleAcknowledgementDoesNotHideAMissingStopAcknowledgement) {
    Engine.startButtonClick(); // a good download leaves the last write acknowledged
    ASSERT_TRUE(Engine.State().WriteAcknowledged);
    Host.Log.clear();
    Instrument.SilencedWrites = {246};
    Engine.startButtonClick();
    EXPECT_TRUE(Host.HasLine("Stop Acquisition FAILED!"));
    EXPECT_TRUE(Host.HasLine("Start Acquisition FAILED!"));
}

TEST_F(DownloadTest, LostCurrentRecordReplyFailsInsteadOfUsingAStaleValue) {
    Engine.startButtonClick(); // leaves filled rows and a completed read behind
    ASSERT_EQ(PointerWrites().size(), 20U);
    Host.Log.clear();
    Instrument.SilencedReads = {2};
    Engine.startButtonClick();

    EXPECT_TRUE(Host.HasLine("Find Current Record FAILED!"));
    EXPECT_TRUE(Host.HasLine("** RETRIEVE LOG DATA FAILED **"));
    EXPECT_EQ(PointerWrites().size(), 20U); // no block of the second download was read
}

TEST_F(DownloadTest, NoConnectionEndsThroughTheFailurePathWithoutWaiting) {
    Host.NoConnection = true;
    Engine.startButtonClick();

    const TLogLine* error = Host.FindLine("There is no active connection");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->Kind, skFailure);
    EXPECT_TRUE(Host.HasLine("Stop Acquisition FAILED!"));
    EXPECT_TRUE(Host.HasLine("** RETRIEVE LOG DATA FAILED **"));
    ASSERT_EQ(Host.Boxes.size(), 1U);
    EXPECT_EQ(Host.Boxes[0].second, kFailureBox);
    EXPECT_TRUE(Host.ComponentsEnabled);
    EXPECT_FALSE(Engine.Running());
    EXPECT_LT(Host.Now, 1000); // the waits of requests that were never sent are skipped

    // The connection is back: the next start runs.
    Host.NoConnection = false;
    Host.Log.clear();
    Engine.startButtonClick();
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
    EXPECT_EQ(Engine.List().Count(), 20);
}

TEST_F(DownloadTest, ConnectionLostDuringTheBlocksStopsTheDownload) {
    Host.OnRequest = [&](const std::string& r) {
        if (r == "W 254=5") {
            Host.NoConnection = true;
        }
    };
    Engine.startButtonClick();
    EXPECT_TRUE(Host.HasLine("There is no active connection"));
    EXPECT_TRUE(Host.HasLine("** RETRIEVE LOG DATA FAILED **"));
    EXPECT_EQ(PointerWrites().back(), 5);
    EXPECT_FALSE(Engine.Running());
    EXPECT_TRUE(Host.ComponentsEnabled);
}

TEST_F(DownloadTest, LineGoneDuringTheBlocksStopsBeforeTheNextBlock) {
    // The instrument's end goes away after the fifth record pointer: nothing answers any more.
    Host.OnRequest = [&](const std::string& r) {
        if (r == "W 254=5") {
            Host.LineGone = true;
            Instrument.SilencedWrites = {246, 243, 244, 254};
            Instrument.SilencedReads = {256};
        }
    };
    Engine.startButtonClick();

    const TLogLine* gone = Host.FindLine("** RETRIEVE LOG DATA FAILED ** The serial line is gone.");
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->Kind, skFailure);
    EXPECT_TRUE(Host.HasLine("Stopping Download..."));
    EXPECT_TRUE(Host.HasLine("** RETRIEVE LOG DATA FAILED **"));
    EXPECT_TRUE(Host.HasLine("Start Acquisition FAILED!"));
    EXPECT_FALSE(Host.HasLine("Data cleanup... Please wait..."))
        << "the passes went on over a line that is gone";
    EXPECT_FALSE(Host.HasLine("Download Complete!"));
    EXPECT_EQ(PointerWrites().back(), 5);
    ASSERT_EQ(Host.Boxes.size(), 1U);
    EXPECT_EQ(Host.Boxes[0].second, kFailureBox);
    EXPECT_TRUE(Host.ComponentsEnabled);
    EXPECT_FALSE(Host.Hourglass);
    EXPECT_FALSE(Engine.Running());
}

TEST_F(DownloadTest, EmptyOrInvalidInputsAreRefusedBeforeAnythingIsSent) {
    struct TCase {
        std::string Records, Interval, Box;
    };
    const std::vector<TCase> cases = {
        {"", "1", "# or Recent Records cannot be empty.  Please try again."},
        {"20", "", "Interval cannot be empty.  Please try again."},
        {"2x", "1", "'2x' is not a valid integer value"},
        {"99999999999", "1", "'99999999999' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        Host.Boxes.clear();
        Host.InputValues.RecordsText = c.Records;
        Host.InputValues.IntervalText = c.Interval;
        Engine.startButtonClick();
        ASSERT_EQ(Host.Boxes.size(), 1U) << c.Box;
        EXPECT_EQ(Host.Boxes[0].second, c.Box);
    }
    Host.Boxes.clear();
    Host.InputValues.RecordsText = "5";
    Host.InputValues.IntervalText = "1";
    Host.InputValues.RecentChecked = false;
    Host.InputValues.MonthText = "1";
    Host.InputValues.DayText = "1";
    Host.InputValues.HourText = "";
    Host.InputValues.MinuteText = "0";
    Engine.startButtonClick();
    ASSERT_EQ(Host.Boxes.size(), 1U);
    EXPECT_EQ(Host.Boxes[0].second, "'' is not a valid integer value");
    EXPECT_TRUE(Host.Requests.empty());
    EXPECT_TRUE(Host.Log.empty());
    EXPECT_TRUE(Host.ComponentsEnabled);
}

TEST_F(DownloadTest, RecordsTimesIntervalAboveTheLimitIsRefused) {
    Host.InputValues.RecordsText = "20667";
    Host.InputValues.IntervalText = "3"; // 62001
    Engine.startButtonClick();
    ASSERT_EQ(Host.Boxes.size(), 1U);
    EXPECT_EQ(Host.Boxes[0].second,
              "Downloading data is limited to 62000 records.  The number of records you are "
              "trying to retrieve muliplied by the interval is greater than 62000.  Please "
              "adjust these values and try again.");
    EXPECT_TRUE(Host.Questions.empty());

    // Exactly 62000 is accepted: the estimate question follows; No ends it untouched.
    Host.Boxes.clear();
    Host.InputValues.RecordsText = "31000";
    Host.InputValues.IntervalText = "2";
    Host.Answers = {false};
    Engine.startButtonClick();
    EXPECT_TRUE(Host.Boxes.empty());
    ASSERT_EQ(Host.Questions.size(), 1U);
    EXPECT_EQ(Host.Questions[0].Text,
              "Download will take approximately 2 Hours 4 Minutes and 8 Seconds. Continue?");
    EXPECT_TRUE(Host.Requests.empty());
    EXPECT_TRUE(Host.ComponentsEnabled);
    EXPECT_FALSE(Engine.Stopwatch().Running());
    EXPECT_FALSE(Engine.Running());
}

TEST_F(DownloadTest, EstimateAboveSixtySecondsIsAskedAndBelowIsNot) {
    Host.InputValues.RecordsText = "216"; // 216 / 25 x 6 + 8 = 59.84 s
    Host.Answers = {false};
    Engine.startButtonClick();
    EXPECT_TRUE(Host.Questions.empty());
    EXPECT_TRUE(Host.HasLine("Download will take approximately 60 Seconds"));

    Host.Log.clear();
    Host.Requests.clear();
    Host.InputValues.RecordsText = "217"; // 60.08 s
    Engine.startButtonClick();
    ASSERT_EQ(Host.Questions.size(), 1U);
    EXPECT_EQ(Host.Questions[0].Text,
              "Download will take approximately 1 Minutes and 0 Seconds. Continue?");
    EXPECT_TRUE(Host.Log.empty());
    EXPECT_TRUE(Host.Requests.empty());

    // By date the setup costs 16 s: 184 records make 60.16 s.
    Host.InputValues.RecentChecked = false;
    Host.InputValues.RecentDateText = "184";
    Host.InputValues.MonthText = Host.InputValues.DayText = "1";
    Host.InputValues.HourText = Host.InputValues.MinuteText = "0";
    Host.Answers = {false};
    Engine.startButtonClick();
    EXPECT_EQ(Host.Questions.size(), 2U);
}

TEST_F(DownloadTest, StopAnsweredNoKeepsTheDownloadRunning) {
    Host.OnRequest = [&](const std::string& r) {
        if (r == "W 254=61995") {
            Host.At(Host.Now + 1, [&] { Engine.stopButtonClick(); });
        }
    };
    Host.Answers = {false};
    Engine.startButtonClick();

    ASSERT_EQ(Host.Questions.size(), 1U);
    EXPECT_EQ(Host.Questions[0].Text, "Stop Downloading?");
    EXPECT_FALSE(Host.HasLine("Stopping Download..."));
    EXPECT_EQ(Engine.List().Count(), 20);
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
}

TEST_F(DownloadTest, StopAnsweredYesEndsThroughTheFailurePath) {
    Host.OnRequest = [&](const std::string& r) {
        if (r == "W 254=61995") {
            Host.At(Host.Now + 1, [&] {
                Engine.stopButtonClick();
                EXPECT_TRUE(Host.Hourglass);
            });
        }
    };
    Engine.startButtonClick();

    EXPECT_TRUE(Host.HasLine("Stopping Download..."));
    EXPECT_EQ(PointerWrites().back(), 61995); // the block loop stopped at once
    EXPECT_TRUE(Host.HasLine("** RETRIEVE LOG DATA FAILED **"));
    ASSERT_EQ(Host.Boxes.size(), 1U);
    EXPECT_EQ(Host.Boxes[0].second, kFailureBox);
    EXPECT_FALSE(Host.HasLine("Download Complete!"));
    EXPECT_EQ(Engine.List().Count(), 0); // the interrupted pass is not imported
    EXPECT_TRUE(Engine.AbortRequested());
    EXPECT_FALSE(Host.Hourglass);
    EXPECT_TRUE(Host.ComponentsEnabled);
    EXPECT_EQ(Host.RequestsStartingWith("W 246=11").size(), 1U);
    // Acquisition runs again before the box waits for the operator.
    ASSERT_EQ(Host.RequestsBeforeBox.size(), 1U);
    const std::vector<std::string>& beforeBox = Host.RequestsBeforeBox[0];
    EXPECT_NE(std::find(beforeBox.begin(), beforeBox.end(), "W 246=11"), beforeBox.end());
    EXPECT_EQ(beforeBox, Host.Requests) << "a request came after the box";
}

TEST_F(DownloadTest, SecondStartWhileRunningIsRefused) {
    std::size_t requestsBefore = 0;
    Host.OnRequest = [&](const std::string& r) {
        if (r == "W 254=0") {
            Host.At(Host.Now + 1, [&] {
                requestsBefore = Host.Requests.size();
                Engine.startButtonClick();
                Engine.downloadButtonClick();
                Engine.EraseSampleDatafromMemory1Click();
                EXPECT_EQ(Host.Requests.size(), requestsBefore);
                EXPECT_TRUE(Engine.Running());
            });
        }
    };
    Engine.startButtonClick();

    EXPECT_GT(requestsBefore, 0U);
    EXPECT_TRUE(Host.Questions.empty()); // not even the erase question was asked
    EXPECT_EQ(Host.RequestsStartingWith("W 246=10").size(), 1U);
    EXPECT_EQ(Engine.List().Count(), 20);
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
    EXPECT_FALSE(Engine.Running());
}

TEST_F(DownloadTest, WatchdogStopDuringTheImportKeepsWhatWasImported) {
    Instrument.CurrentRecord = 1000;
    Host.InputValues.RecordsText = "50";
    // The queue watch of the window calls StopDownload while the import processes events.
    Host.OnProcessEvents = [&] {
        if (Engine.List().Count() == 10 && !Engine.AbortRequested()) {
            Engine.StopDownload();
        }
    };
    Engine.startButtonClick();

    EXPECT_EQ(PointerWrites().size(), 50U);
    EXPECT_TRUE(Host.HasLine("Stopping Download..."));
    EXPECT_TRUE(Host.HasLine("** RETRIEVE LOG DATA FAILED **"));
    EXPECT_EQ(Engine.List().Count(), 10);
    EXPECT_EQ(Engine.State().PassNumber, 2);
    // The stopped import looked for no missing records: nothing is left to read.
    EXPECT_EQ(Engine.State().BlockCount, 0);
    EXPECT_FALSE(Engine.State().ListComplete);
    EXPECT_FALSE(Engine.Running());
}
