// The time range the charts show (zoom, pan, their bounds) and the time axis's ticks.
#include "TrendData.h"
#include "TrendTimeAxis.h"
#include "TrendTimeRange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Sondrel;

TEST(TrendTimeRange, ZoomKeepsTheMinuteUnderTheMouseAndStaysWithinTheData) {
    TTrendTimeRange range;
    range.SetExtent(1000, 2000);
    EXPECT_TRUE(range.IsWhole());

    range.ZoomAbout(1250, 0.5);
    EXPECT_DOUBLE_EQ(range.Span(), 500);
    // 1250 was a quarter into the range and still is.
    EXPECT_DOUBLE_EQ((1250 - range.From()) / range.Span(), 0.25);
    EXPECT_FALSE(range.IsWhole());

    // Zooming out never goes past the data.
    range.ZoomAbout(1900, 10);
    EXPECT_DOUBLE_EQ(range.From(), 1000);
    EXPECT_DOUBLE_EQ(range.To(), 2000);

    // Nor in below the least span.
    for (int i = 0; i < 50; ++i) {
        range.ZoomAbout(1500, 0.5);
    }
    EXPECT_DOUBLE_EQ(range.Span(), TTrendTimeRange::MinSpan);
    EXPECT_GE(range.From(), 1000);
}

TEST(TrendTimeRange, ZoomToAndPanAreBoundedByTheData) {
    TTrendTimeRange range;
    range.SetExtent(0, 600);
    range.ZoomTo(400, 100); // a drag from right to left
    EXPECT_DOUBLE_EQ(range.From(), 100);
    EXPECT_DOUBLE_EQ(range.To(), 400);

    range.PanBy(1000);
    EXPECT_DOUBLE_EQ(range.To(), 600);
    EXPECT_DOUBLE_EQ(range.Span(), 300);
    range.PanBy(-1000);
    EXPECT_DOUBLE_EQ(range.From(), 0);
    EXPECT_DOUBLE_EQ(range.Span(), 300);

    // A click without a drag does not zoom to nothing.
    range.ZoomTo(200, 200);
    EXPECT_DOUBLE_EQ(range.Span(), TTrendTimeRange::MinSpan);

    range.Reset();
    EXPECT_TRUE(range.IsWhole());
}

TEST(TrendTimeRange, ASinglePointGetsAnHourAndNonNumbersAreIgnored) {
    TTrendTimeRange range;
    range.SetExtent(500, 500);
    EXPECT_DOUBLE_EQ(range.From(), 470);
    EXPECT_DOUBLE_EQ(range.To(), 530);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    range.ZoomAbout(nan, 0.5);
    range.ZoomAbout(500, nan);
    range.ZoomAbout(500, -1);
    range.ZoomTo(nan, 10);
    range.PanBy(inf);
    EXPECT_DOUBLE_EQ(range.From(), 470);
    EXPECT_DOUBLE_EQ(range.To(), 530);

    range.SetExtent(nan, inf);
    EXPECT_TRUE(std::isfinite(range.From()));
    EXPECT_TRUE(std::isfinite(range.To()));
}

TEST(TimeTicks, RoundTimesWithinTheRangeLabelledFromTheInstrumentsClock) {
    const double from = static_cast<double>(*RecordMinutes(2024, 3, 31, 0, 7));
    const double to = from + 6 * 60; // across the spring change of many time zones
    const auto ticks = TimeTicks(from, to, 8);
    ASSERT_FALSE(ticks.empty());
    EXPECT_LE(ticks.size(), 9U);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i].Minutes, from);
        EXPECT_LE(ticks[i].Minutes, to);
        // Round hours: the instrument's 02:00 is there although many clocks skip it.
        EXPECT_EQ(std::fmod(ticks[i].Minutes, 60), 0);
        EXPECT_EQ(ticks[i].Label,
                  MinutesText(static_cast<std::int64_t>(ticks[i].Minutes)).substr(5));
        if (i > 0) {
            EXPECT_GT(ticks[i].Minutes, ticks[i - 1].Minutes);
        }
    }
    EXPECT_EQ(ticks.front().Label, "03-31 01:00");
}

TEST(TimeTicks, LongRangesStepByDaysMonthsAndYears) {
    const double jan = static_cast<double>(*RecordMinutes(2024, 1, 15, 0, 0));
    const auto days = TimeTicks(jan, jan + 6 * 1440, 10);
    ASSERT_FALSE(days.empty());
    EXPECT_EQ(days.front().Label, "2024-01-15");

    const auto months = TimeTicks(jan, jan + 300 * 1440, 12);
    ASSERT_GE(months.size(), 5U);
    EXPECT_EQ(months.front().Label, "2024-02");
    EXPECT_EQ(months.front().Minutes, static_cast<double>(*RecordMinutes(2024, 2, 1, 0, 0)));
    EXPECT_LE(months.size(), 13U);

    const auto years = TimeTicks(jan, jan + 30 * 366 * 1440.0, 6);
    ASSERT_FALSE(years.empty());
    EXPECT_EQ(years.front().Label.size(), 4U);
    EXPECT_LE(years.size(), 7U);
}

TEST(TimeTicks, RangesNoCalendarNamesGiveNoTicks) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(TimeTicks(nan, 10, 5).empty());
    EXPECT_TRUE(TimeTicks(0, std::numeric_limits<double>::infinity(), 5).empty());
    EXPECT_TRUE(TimeTicks(100, 50, 5).empty());
    EXPECT_TRUE(TimeTicks(-1e12, 0, 5).empty());
    EXPECT_TRUE(TimeTicks(0, 1e300, 5).empty());
    // No ticks allowed still gives a usable axis.
    EXPECT_LE(TimeTicks(0, 1e6, 0).size(), 2U);
}
