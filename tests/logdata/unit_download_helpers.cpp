// The fixed-result helpers of the download: durations, elapsed time, delays, stopwatch.
#include "DownloadFixture.h"

using namespace Sondrel;

TEST(FormatDuration, WritesOnlyThePartsThatApply) {
    EXPECT_EQ(TDownloadEngine::FormatDuration(12.8), "13 Seconds");
    EXPECT_EQ(TDownloadEngine::FormatDuration(0), "0 Seconds");
    EXPECT_EQ(TDownloadEngine::FormatDuration(60.08), "1 Minutes and 0 Seconds");
    EXPECT_EQ(TDownloadEngine::FormatDuration(120), "2 Minutes and 0 Seconds");
    EXPECT_EQ(TDownloadEngine::FormatDuration(3725), "1 Hours 2 Minutes and 5 Seconds");
    EXPECT_EQ(TDownloadEngine::FormatDuration(7200), "2 Hours 0 Seconds");
    EXPECT_EQ(TDownloadEngine::FormatDuration(59.6), "60 Seconds");
}

TEST(FormatElapsed, IsAClockTimeWithMilliseconds) {
    EXPECT_EQ(TDownloadEngine::FormatElapsed(0), "00:00:00.000");
    EXPECT_EQ(TDownloadEngine::FormatElapsed(3723004), "01:02:03.004");
    EXPECT_EQ(TDownloadEngine::FormatElapsed(25 * 3600000LL + 1), "01:00:00.001");
}

TEST_F(DownloadTest, CommunicationDelaysFollowBaudRateAndMenu) {
    const std::vector<std::pair<Corvane::TBaudRate, int>> bases = {
        {Corvane::br110, 110},   {Corvane::br300, 110},    {Corvane::br600, 110},
        {Corvane::br1200, 110},  {Corvane::br2400, 2000},  {Corvane::br4800, 1000},
        {Corvane::br9600, 500},  {Corvane::br14400, 250},  {Corvane::br19200, 125},
        {Corvane::br38400, 70},  {Corvane::br56000, 110},  {Corvane::br57600, 35},
        {Corvane::br115200, 0},  {Corvane::br128000, 110}, {Corvane::br256000, 110},
        {Corvane::brCustom, 110}};
    for (const auto& [rate, base] : bases) {
        Host.Baud = rate;
        Host.Delay = dmFast;
        Engine.UpdateCommunicationDelays();
        EXPECT_EQ(Engine.State().WriteDelay, base + 100) << int(rate);
        EXPECT_EQ(Engine.State().ReadDelay, base + 50) << int(rate);
        Host.Delay = dmDefault;
        Engine.UpdateCommunicationDelays();
        EXPECT_EQ(Engine.State().WriteDelay, base + 100);
        EXPECT_EQ(Engine.State().ReadDelay, base + 100);
        Host.Delay = dmSlow;
        Engine.UpdateCommunicationDelays();
        EXPECT_EQ(Engine.State().WriteDelay, base + 150);
        EXPECT_EQ(Engine.State().ReadDelay, base + 150);
    }
    Host.Baud = Corvane::br9600;
    Host.Delay = dmNone;
    Engine.UpdateCommunicationDelays();
    EXPECT_EQ(Engine.State().WriteDelay, 110 + 150); // unchanged
}

TEST(Stopwatch, AddsRunningSpansAndResets) {
    std::int64_t now = 1000;
    TStopwatch watch([&] { return now; });
    watch.Reset();
    watch.Start();
    now += 1500;
    EXPECT_EQ(watch.ElapsedMs(), 1500);
    watch.Stop();
    now += 100;
    EXPECT_EQ(watch.ElapsedMs(), 1500);
    watch.Start();
    now += 10;
    EXPECT_EQ(watch.ElapsedMs(), 1510);
    watch.Reset();
    EXPECT_EQ(watch.ElapsedMs(), 0);
}
