// The "Line Speed" delay, whose waits end with their request's outcome, and the setup steps
// that in every delay mode wait for a retried request instead of failing the download.
#include "DownloadFixture.h"

#include "LineSpeedEstimate.h"

using namespace Sondrel;

namespace {

using TReplyPlan = TTestHost::TReplyPlan;

// The Nth time (from 1) a request with this text is sent, it completes as planned.
std::function<std::optional<TReplyPlan>(const std::string&)> OnTheNth(const std::string& request,
                                                                      int nth, TReplyPlan plan) {
    auto seen = std::make_shared<int>(0);
    return [=](const std::string& text) -> std::optional<TReplyPlan> {
        if (text == request && ++*seen == nth) {
            return plan;
        }
        return std::nullopt;
    };
}

// A reply lost once and answered by the client's retry after its 1000 ms receive timeout.
constexpr TReplyPlan kAnsweredByTheRetry{false, 1020};

// Another instrument, host and engine beside the fixture's, with the same inputs.
struct TOtherDownload {
    TOtherDownload(const TDownloadInputs& inputs, TDelayMenuChoice delay) {
        Host.Attach(Engine);
        Host.InputValues = inputs;
        Host.Delay = delay;
    }
    TFakeInstrument Instrument;
    TTestHost Host{Instrument};
    TDownloadEngine Engine{Host, Host, Host};
};

class LineSpeed : public DownloadTest {
protected:
    LineSpeed() {
        Host.Delay = dmLine;
        Engine.UpdateCommunicationDelays();
    }

    std::vector<std::string> Failures() const {
        std::vector<std::string> failed;
        for (const auto& line : Host.Log) {
            if (line.Kind == skFailure) {
                failed.push_back(line.Text);
            }
        }
        return failed;
    }
};

} // namespace

TEST_F(LineSpeed, EveryWaitEndsWithItsReplyAndTheProcedureIsUnchanged) {
    Instrument.CurrentRecord = 10;
    Engine.startButtonClick();
    const std::vector<std::string> lineLog = Host.Lines();
    const std::vector<std::string> lineRequests = Host.Requests;
    const std::int64_t lineTime = Host.Now;
    ASSERT_EQ(Engine.List().Count(), 20);

    // The same download with the fast delay: the same requests and steps, at the fixed pace.
    TOtherDownload other(Host.InputValues, dmFast);
    TTestHost& fast = other.Host;
    other.Engine.startButtonClick();
    EXPECT_EQ(lineRequests, fast.Requests);
    std::vector<std::string> fastLog = fast.Lines();
    ASSERT_FALSE(fastLog.empty());
    // Only the estimate and the elapsed time differ.
    const auto withoutTimes = [](std::vector<std::string> lines) {
        std::erase_if(lines, [](const std::string& l) {
            return l.rfind("Download will take", 0) == 0 || l.rfind("Elapsed Time", 0) == 0;
        });
        return lines;
    };
    EXPECT_EQ(withoutTimes(lineLog), withoutTimes(fastLog));
    // Each of the 40 block requests and 14 setup requests waited for its 20 ms reply only.
    EXPECT_EQ(lineTime, 54 * 20);
    EXPECT_GT(fast.Now, 20 * (100 + 50) + 3500);
}

TEST_F(LineSpeed, ABlockIsReadOnlyOnceItsPointerWriteWasAcknowledged) {
    Instrument.CurrentRecord = 10;
    Host.Plan = OnTheNth("W 254=61995", 1, {true, 0});
    Engine.startButtonClick();

    ASSERT_EQ(Engine.List().Count(), 20);
    EXPECT_TRUE(Failures().empty());
    // 19 blocks in the first pass; the pointer of 61995 is written again in the second, and
    // only then is its block read.
    EXPECT_EQ(Host.RequestsStartingWith("R 256x104").size(), 20U);
    EXPECT_EQ(std::count(Host.Requests.begin(), Host.Requests.end(), "W 254=61995"), 2);
    EXPECT_EQ(Engine.State().PassNumber, 3);
}

TEST_F(LineSpeed, ABlockAnsweredAfterItsBoundIsStoredWhenItComes) {
    Instrument.CurrentRecord = 10;
    // The fifth block's reply comes by the retry, long after the read's bound.
    Host.Plan = OnTheNth("R 256x104", 5, kAnsweredByTheRetry);
    Engine.startButtonClick();

    ASSERT_EQ(Engine.List().Count(), 20);
    EXPECT_TRUE(Failures().empty());
    EXPECT_LT(Engine.State().ReadDelay, kAnsweredByTheRetry.AfterMs) << "the wait did not last";
    EXPECT_EQ(Engine.List().Text(15, 0), "61996");
}

TEST_F(LineSpeed, TheEstimateIsWhatTheLineNeedsForTheExchanges) {
    Instrument.CurrentRecord = 5000;
    Host.InputValues.RecordsText = "2000";
    Engine.startButtonClick();
    const double seconds = LineSpeedSeconds(Host.ExchangeTiming(), 2000, kRecentSetupExchanges);
    EXPECT_NEAR(seconds, 2000 * 0.02468 + 14 * 0.00344, 0.01);
    EXPECT_TRUE(Host.HasLine("Download will take approximately " +
                             TDownloadEngine::FormatDuration(seconds)));
    EXPECT_TRUE(Host.Questions.empty()) << "49 s is not asked; the fixed delays' 488 s would be";

    Host.Log.clear();
    Host.InputValues.RecordsText = "5000";
    Host.Answers = {false};
    Engine.startButtonClick();
    ASSERT_EQ(Host.Questions.size(), 1U) << "above 60 s is asked";
    EXPECT_EQ(Host.Questions[0].Text, "Download will take approximately " +
                                          TDownloadEngine::FormatDuration(LineSpeedSeconds(
                                              Host.ExchangeTiming(), 5000, kRecentSetupExchanges)) +
                                          ". Continue?");
}

TEST_F(LineSpeed, EachPassReportsItsProgressAndTheTimeLeft) {
    Instrument.CurrentRecord = 10;
    Engine.startButtonClick();
    ASSERT_EQ(Host.Passes.size(), 21U) << "before the first block and after each";
    const TPassProgress& first = Host.Passes.front();
    EXPECT_EQ(first.Pass, 1);
    EXPECT_EQ(first.BlocksDone, 0);
    EXPECT_EQ(first.Blocks, 20);
    EXPECT_EQ(first.Requested, 20);
    EXPECT_GT(first.SecondsLeft, 0) << "the estimate, before any block";
    const TPassProgress& tenth = Host.Passes[10];
    EXPECT_EQ(tenth.BlocksDone, 10);
    EXPECT_EQ(tenth.Received, 10);
    EXPECT_EQ(tenth.ElapsedMs, 10 * 40);
    EXPECT_DOUBLE_EQ(tenth.SecondsLeft, 0.4) << "ten more blocks at the rate so far";
    EXPECT_EQ(Host.Passes.back().Received, 20);
    EXPECT_DOUBLE_EQ(Host.Passes.back().SecondsLeft, 0);
}

// The fault every delay mode had: a setup step's wait ended before the retry of a lost
// request could answer, and the download failed though the instrument did answer.
TEST_F(DownloadTest, ASetupRequestAnsweredByItsRetryLetsTheDownloadGoOnInEveryDelayMode) {
    for (TDelayMenuChoice delay : {dmFast, dmDefault, dmSlow, dmLine}) {
        for (const char* lost : {"R 2x1", "W 246=10", "W 255=1", "R 3x1"}) {
            SCOPED_TRACE(std::string(lost) + " with delay " + std::to_string(delay));
            TOtherDownload other(Host.InputValues, delay);
            other.Host.Plan = OnTheNth(lost, 1, kAnsweredByTheRetry);
            other.Engine.startButtonClick();
            EXPECT_FALSE(other.Engine.State().DownloadFailed);
            EXPECT_EQ(other.Engine.List().Count(), 20);
            EXPECT_TRUE(other.Host.HasLine("Download Complete!"));
        }
    }
}

TEST_F(DownloadTest, ADateSearchRequestAnsweredByItsRetryLetsTheDownloadGoOn) {
    Instrument.CurrentRecord = 500;
    Host.InputValues.RecentChecked = false;
    const auto when = TFakeInstrument::TimeOf(300);
    Host.InputValues.MonthText = std::to_string(when[0]);
    Host.InputValues.DayText = std::to_string(when[1]);
    Host.InputValues.HourText = std::to_string(when[2]);
    Host.InputValues.MinuteText = std::to_string(when[3]);
    Host.InputValues.PrevFollIndex = 1;
    Host.Plan = OnTheNth("R 230x1", 1, kAnsweredByTheRetry);
    Engine.startButtonClick();
    EXPECT_FALSE(Engine.State().DownloadFailed);
    EXPECT_TRUE(Host.HasLine("Current Record: 300"));
    EXPECT_EQ(Engine.List().Count(), 5);
}

TEST_F(DownloadTest, ASetupRequestThatNeverCompletesStillFailsWithinItsTimeLimit) {
    Host.Plan = OnTheNth("W 246=10", 1, {true, 0});
    Engine.startButtonClick();
    EXPECT_TRUE(Host.HasLine("Stop Acquisition FAILED!"));
    // The stop waited for its timeout completion (4000 ms), not for ever.
    EXPECT_LT(Host.Now, 60000);
}
