// The trend data: record times, the order and segments of the points, the nearest point, and
// the decimation that draws them.
#include "TrendDecimation.h"
#include "TrendTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Sondrel;
using TrendTest::Base;
using TrendTest::TSample;

namespace {

// One sample a minute from Base() + start, counts1 = i, flow 100.
std::vector<TSample> Minutely(std::size_t count, std::int64_t start = 0) {
    return TrendTest::Minutely(count, start, [](std::size_t i, TSample& s) {
        s.Counts1 = static_cast<std::uint32_t>(i);
        s.FlowRate = 100;
    });
}

} // namespace

TEST(RecordTime, MinutesAndTextsAgreeAcrossTheCalendar) {
    EXPECT_EQ(RecordMinutes(1970, 1, 1, 0, 0), 0);
    EXPECT_EQ(RecordMinutes(1970, 1, 2, 1, 1), 1440 + 61);
    for (const auto& [y, m, d] :
         {std::tuple{2024, 2, 29}, {2000, 2, 29}, {2023, 12, 31}, {2100, 3, 1}, {9999, 12, 31}}) {
        const auto minutes =
            RecordMinutes(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m),
                          static_cast<std::uint16_t>(d), 23, 59);
        ASSERT_TRUE(minutes);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%04d-%02d-%02d 23:59", y, m, d);
        EXPECT_EQ(MinutesText(*minutes), expected);
    }
    // Fields no clock shows have no place in time.
    EXPECT_FALSE(RecordMinutes(2023, 2, 29, 0, 0));
    EXPECT_FALSE(RecordMinutes(2100, 2, 29, 0, 0));
    EXPECT_FALSE(RecordMinutes(2024, 13, 1, 0, 0));
    EXPECT_FALSE(RecordMinutes(2024, 0, 1, 0, 0));
    EXPECT_FALSE(RecordMinutes(2024, 4, 31, 0, 0));
    EXPECT_FALSE(RecordMinutes(2024, 1, 1, 24, 0));
    EXPECT_FALSE(RecordMinutes(2024, 1, 1, 0, 60));
    EXPECT_FALSE(RecordMinutes(1969, 12, 31, 0, 0));
    EXPECT_FALSE(RecordMinutes(65535, 65535, 65535, 65535, 65535));
}

TEST(TrendData, SortsPointsAndLeavesOutRecordsWithoutATime) {
    TTrendDataBuilder builder;
    std::vector<TSample> samples = Minutely(3);
    builder.Add(TrendTest::Item(samples[2]), 0);
    builder.Add(*TRecordItem::FromRegisters(TrendTest::ErasedBlock(), 7, 0), 1);
    builder.Add(TrendTest::Item(samples[0]), 2);
    std::vector<std::uint16_t> badMonth = TrendTest::Block(samples[1]);
    badMonth[4] = 13;
    builder.Add(*TRecordItem::FromRegisters(badMonth, 3, 0), 3);
    builder.Add(TrendTest::Item(samples[1]), 4);
    const TTrendData data = builder.Finish();

    EXPECT_EQ(data.LeftOut, 2);
    ASSERT_EQ(data.PointCount(), 3U);
    EXPECT_EQ(data.Rows, (std::vector<std::int32_t>{2, 4, 0}));
    EXPECT_EQ(data.Minutes, (std::vector<std::int64_t>{Base(), Base() + 1, Base() + 2}));
    EXPECT_EQ(data.Of(TTrendSeries::Counts1), (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(data.Of(TTrendSeries::FlowRate), (std::vector<double>{100, 100, 100}));
    EXPECT_EQ(data.SegmentStarts, (std::vector<std::size_t>{0}));
    // The builder starts again empty.
    EXPECT_EQ(builder.Finish().PointCount(), 0U);
}

TEST(TrendData, TakesEverySeriesAsTheTableShowsIt) {
    TSample s;
    s.Minutes = Base();
    s.Counts1 = 70000; // needs the high word
    s.TotalCounts = 4294901760U;
    s.PpbWhole1 = 12;
    s.PpbHundredths1 = 34;
    s.CellCondition = 7;
    s.LaserCondition = 9;
    const TTrendData data = TrendTest::Data({s});
    EXPECT_EQ(data.Of(TTrendSeries::Counts1)[0], 70000);
    EXPECT_EQ(data.Of(TTrendSeries::TotalCounts)[0], 4294901760.0);
    EXPECT_DOUBLE_EQ(data.Of(TTrendSeries::Ppb1)[0], 12.34);
    EXPECT_DOUBLE_EQ(data.Of(TTrendSeries::TotalPpb)[0], 12.34);
    EXPECT_EQ(data.Of(TTrendSeries::CellCondition)[0], 7);
    EXPECT_EQ(data.Of(TTrendSeries::LaserCondition)[0], 9);
    EXPECT_EQ(SeriesName(TTrendSeries::Ppb1), "PPB 1");
    EXPECT_EQ(SeriesFromKey(SeriesKey(TTrendSeries::LaserCondition)), TTrendSeries::LaserCondition);
    EXPECT_EQ(SeriesFromKey("counts10"), std::nullopt);
}

TEST(TrendData, GapsLongerThanTheUsualIntervalBeginSegments) {
    // Every 2 minutes; a pause of 6 minutes is no gap (3 intervals), one of 7 is.
    std::vector<TSample> samples;
    for (const std::int64_t m : {0, 2, 4, 10, 12, 19, 21, 21, 23}) {
        TSample s;
        s.Minutes = Base() + m;
        samples.push_back(s);
    }
    const TTrendData data = TrendTest::Data(samples);
    EXPECT_EQ(data.SegmentStarts, (std::vector<std::size_t>{0, 5}));
    EXPECT_TRUE(data.BeginsSegment(5));
    EXPECT_FALSE(data.BeginsSegment(3));

    // Records of one minute alone never make every step a gap.
    const TTrendData same = TrendTest::Data({samples[6], samples[7]});
    EXPECT_EQ(same.SegmentStarts, (std::vector<std::size_t>{0}));
}

TEST(TrendData, NearestPointByTime) {
    const TTrendData data = TrendTest::Data(Minutely(3, 10));
    const double base = static_cast<double>(Base());
    EXPECT_EQ(data.NearestPoint(base), 0U);
    EXPECT_EQ(data.NearestPoint(base + 11.4), 1U);
    EXPECT_EQ(data.NearestPoint(base + 11.6), 2U);
    EXPECT_EQ(data.NearestPoint(base + 1e9), 2U);
    EXPECT_EQ(TTrendData().NearestPoint(base), std::nullopt);
}

TEST(Decimation, ShowsTheRealPointsWhenTheyFitWithOneBeyondEachEnd) {
    const TTrendData data = TrendTest::Data(Minutely(100));
    const double base = static_cast<double>(Base());
    const auto lines = DecimateSeries(data, TTrendSeries::Counts1, {base + 10, base + 20, 1000});
    ASSERT_EQ(lines.size(), 1U);
    ASSERT_EQ(lines[0].size(), 13U);
    EXPECT_EQ(lines[0].front(), (TTrendPoint{base + 9, 9}));
    EXPECT_EQ(lines[0].back(), (TTrendPoint{base + 21, 21}));
    // A range before or after every point still draws the nearest one (the line to the edge).
    EXPECT_EQ(PointCount(DecimateSeries(data, TTrendSeries::Counts1, {0, 1, 100})), 1U);
    EXPECT_TRUE(DecimateSeries(TTrendData(), TTrendSeries::Counts1, {0, 1, 100}).empty());
    EXPECT_TRUE(DecimateSeries(data, TTrendSeries::Counts1, {base + 5, base, 100}).empty());
}

TEST(Decimation, KeepsEverySpikeOfAMillionPointsInAFewPointsPerColumn) {
    std::vector<TSample> samples = Minutely(200000);
    for (auto& s : samples) {
        s.Counts1 = 50;
    }
    samples[12345].Counts1 = 90000;
    samples[150001].Counts1 = 0;
    samples[150002].Counts1 = 7;
    const TTrendData data = TrendTest::Data(samples);
    const double base = static_cast<double>(Base());
    const std::size_t columns = 800;
    const auto lines = DecimateSeries(data, TTrendSeries::Counts1, {base, base + 199999, columns});
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_LE(PointCount(lines), 4 * columns + 8);
    const auto has = [&](double minutes, double value) {
        return std::find(lines[0].begin(), lines[0].end(), TTrendPoint{minutes, value}) !=
               lines[0].end();
    };
    EXPECT_TRUE(has(base + 12345, 90000));
    EXPECT_TRUE(has(base + 150001, 0));
    EXPECT_TRUE(std::is_sorted(
        lines[0].begin(), lines[0].end(),
        [](const TTrendPoint& a, const TTrendPoint& b) { return a.Minutes < b.Minutes; }));
    // Zoomed in on the spike, the points are the real ones again.
    const auto zoomed =
        DecimateSeries(data, TTrendSeries::Counts1, {base + 12340, base + 12350, columns});
    EXPECT_EQ(PointCount(zoomed), 13U);
}

TEST(Decimation, NeverJoinsSegmentsItCanShowApart) {
    std::vector<TSample> samples = Minutely(10000);
    const std::vector<TSample> later = Minutely(10000, 20000);
    samples.insert(samples.end(), later.begin(), later.end());
    const TTrendData data = TrendTest::Data(samples);
    ASSERT_EQ(data.SegmentStarts.size(), 2U);
    const double base = static_cast<double>(Base());
    // Decimated and real points alike: two lines, the first ending before the gap.
    for (const std::size_t columns : {std::size_t{100}, std::size_t{100000}}) {
        const auto lines =
            DecimateSeries(data, TTrendSeries::Counts1, {base, base + 29999, columns});
        ASSERT_EQ(lines.size(), 2U) << columns;
        EXPECT_EQ(lines[0].back().Minutes, base + 9999);
        EXPECT_EQ(lines[1].front().Minutes, base + 20000);
    }
    // A gap narrower than one column cannot be seen: one line there, and never more lines
    // than columns however many gaps there are.
    std::vector<TSample> gappy;
    for (std::int64_t i = 0; i < 40000; ++i) {
        TSample s;
        s.Minutes = Base() + (i / 2) * 12 + i % 2; // pairs a minute apart, 11 minutes between
        gappy.push_back(s);
    }
    const TTrendData many = TrendTest::Data(gappy);
    ASSERT_GT(many.SegmentStarts.size(), 10000U);
    const auto few = DecimateSeries(
        many, TTrendSeries::Counts1,
        {static_cast<double>(many.Minutes.front()), static_cast<double>(many.Minutes.back()), 200});
    EXPECT_LE(few.size(), 202U);
    EXPECT_LE(PointCount(few), 4U * 202U);
}
