// Limits, the file that keeps them, the excursions beyond them, the summary statistics, and an
// archive range as a trend.
#include "ArchiveTestSupport.h"
#include "ArchiveTrend.h"
#include "ConsoleFileError.h"
#include "Excursions.h"
#include "LimitsFile.h"
#include "OpenArchive.h"
#include "TrendStatistics.h"
#include "TrendTestSupport.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace Sondrel;
using TrendTest::Base;
using TrendTest::TSample;

namespace {

TTrendData CountsData(const std::vector<std::uint32_t>& counts, std::int64_t pauseAfter = -1) {
    std::vector<TSample> samples;
    std::int64_t minute = Base();
    for (std::size_t i = 0; i < counts.size(); ++i) {
        TSample s;
        s.Minutes = minute++;
        if (static_cast<std::int64_t>(i) == pauseAfter) {
            minute += 60;
        }
        s.Counts1 = counts[i];
        s.FlowRate = static_cast<std::uint16_t>(counts[i]);
        samples.push_back(s);
    }
    return TrendTest::Data(samples);
}

} // namespace

TEST(Limits, ActionIsGraverThanAlertOnEitherSide) {
    TSeriesLimits limits;
    limits.Set(TLimitKind::AlertHigh, 100);
    limits.Set(TLimitKind::ActionHigh, 200);
    limits.Set(TLimitKind::AlertLow, 10);
    EXPECT_EQ(limits.WorstBeyond(100), std::nullopt); // at the limit is not beyond it
    EXPECT_EQ(limits.WorstBeyond(150), TLimitKind::AlertHigh);
    EXPECT_EQ(limits.WorstBeyond(201), TLimitKind::ActionHigh);
    EXPECT_EQ(limits.WorstBeyond(9.5), TLimitKind::AlertLow);
    EXPECT_FALSE(limits.Beyond(TLimitKind::ActionLow, -1e9)); // not set: not watched
    EXPECT_TRUE(limits.Any());
    EXPECT_FALSE(TInstrumentLimits().Any());
    for (const TLimitKind kind : AllLimitKinds()) {
        EXPECT_EQ(LimitKindFromKey(LimitKindKey(kind)), kind);
    }
    EXPECT_EQ(LimitKindFromKey("alert_high"), std::nullopt);
}

TEST(Excursions, RunsBeyondEachLimitWithTheirPeaks) {
    TInstrumentLimits limits;
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 100);
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::ActionHigh, 200);
    limits.Of(TTrendSeries::FlowRate).Set(TLimitKind::AlertLow, 20);
    //                          0   1    2    3    4   5    6   7   8
    const TTrendData data = CountsData({50, 150, 250, 120, 50, 101, 10, 50, 150}, 7);
    const std::vector<TExcursion> found = FindExcursions(data, limits);
    ASSERT_EQ(found.size(), 5U);
    // Ordered by start; the action run lies within the alert run.
    EXPECT_EQ(found[0].Kind, TLimitKind::AlertHigh);
    EXPECT_EQ(found[0].FirstPoint, 1U);
    EXPECT_EQ(found[0].LastPoint, 3U);
    EXPECT_EQ(found[0].Points, 3);
    EXPECT_EQ(found[0].Peak, 250);
    EXPECT_EQ(found[0].Limit, 100);
    EXPECT_EQ(found[0].Start(), "2024-01-01 00:01");
    EXPECT_EQ(found[0].End(), "2024-01-01 00:03");
    EXPECT_EQ(found[1].Kind, TLimitKind::ActionHigh);
    EXPECT_EQ(found[1].FirstPoint, 2U);
    EXPECT_EQ(found[1].Points, 1);
    EXPECT_EQ(found[2].FirstPoint, 5U);
    EXPECT_EQ(found[2].Peak, 101);
    // A low limit: the peak is the lowest value; flow at 10 < 20.
    EXPECT_EQ(found[3].Series, TTrendSeries::FlowRate);
    EXPECT_EQ(found[3].Kind, TLimitKind::AlertLow);
    EXPECT_EQ(found[3].Peak, 10);
    // The last point comes after an hour's pause: a run of its own.
    EXPECT_EQ(found[4].FirstPoint, 8U);
    EXPECT_EQ(found[4].End(), "2024-01-01 01:08");
}

TEST(Excursions, AGapEndsARun) {
    TInstrumentLimits limits;
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 100);
    const auto found = FindExcursions(CountsData({150, 150, 150, 150}, 1), limits);
    ASSERT_EQ(found.size(), 2U);
    EXPECT_EQ(found[0].Points, 2);
    EXPECT_EQ(found[1].Points, 2);
    EXPECT_TRUE(FindExcursions(CountsData({150}), TInstrumentLimits()).empty());
}

TEST(Statistics, MinMeanMaxAndNearestRankPercentile) {
    std::vector<std::uint32_t> counts;
    for (std::uint32_t v = 20; v >= 1; --v) {
        counts.push_back(v);
    }
    const auto twenty = SeriesStatistics(CountsData(counts), TTrendSeries::Counts1);
    ASSERT_TRUE(twenty);
    EXPECT_EQ(twenty->Count, 20U);
    EXPECT_EQ(twenty->Min, 1);
    EXPECT_EQ(twenty->Max, 20);
    EXPECT_DOUBLE_EQ(twenty->Mean, 10.5);
    EXPECT_EQ(twenty->Percentile95, 19);
    const auto one = SeriesStatistics(CountsData({7}), TTrendSeries::Counts1);
    EXPECT_EQ(one->Percentile95, 7);
    counts.push_back(1000); // 21 values: the 20th (ceil 19.95) is 20
    EXPECT_EQ(SeriesStatistics(CountsData(counts), TTrendSeries::Counts1)->Percentile95, 20);
    EXPECT_FALSE(SeriesStatistics(TTrendData(), TTrendSeries::Counts1));
}

TEST(LimitsFile, KeepsEachInstrumentsLimitsApart) {
    ExportTest::TTempFolder folder;
    TLimitsFile file(folder.File("limits.dat"));
    EXPECT_FALSE(file.Read("server id 01").Limits.Any()); // no file: nothing set

    TInstrumentLimits first;
    first.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 1000);
    first.Of(TTrendSeries::FlowRate).Set(TLimitKind::ActionLow, 2.83);
    TInstrumentLimits second;
    second.Of(TTrendSeries::TotalPpb).Set(TLimitKind::ActionHigh, 0.1);
    const std::string oddName = "name [room 3] = \"clean\" ; east";
    file.Write("server id 01", first);
    file.Write(oddName, second);
    EXPECT_EQ(file.Read("server id 01").Limits, first);
    EXPECT_EQ(file.Read(oddName).Limits, second);
    EXPECT_TRUE(file.Read(oddName).Problems.empty());

    // Clearing a limit writes it empty; the other instrument is untouched.
    first.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, std::nullopt);
    file.Write("server id 01", first);
    EXPECT_EQ(file.Read("server id 01").Limits, first);
    EXPECT_EQ(file.Read(oddName).Limits, second);

    EXPECT_THROW(file.Write("name a\nb", first), std::invalid_argument);
    EXPECT_THROW(file.Write("", first), std::invalid_argument);
}

TEST(LimitsFile, ReadsNumbersInOneFormWhateverTheLocaleAndRefusesTheRest) {
    ExportTest::TTempFolder folder;
    const std::string path = folder.File("limits.dat");
    ExportTest::WriteFile(path, "[Instrument 1]\r\nIdentity=name x\r\n"
                                "counts1.alert_high= 12.5 \r\ncounts2.alert_high=abc\r\n"
                                "counts3.alert_high=nan\r\ncounts4.alert_high=1e999\r\n"
                                "counts5.alert_high=1,5\r\nunknown.key=3\r\n"
                                "flow_rate.action_low=-4\r\n");
    // A locale whose decimal mark is a comma changes nothing (where the system has one).
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = before != nullptr ? before : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const TLimitsRead read = TLimitsFile(path).Read("name x");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(read.Limits.Of(TTrendSeries::Counts1).Of(TLimitKind::AlertHigh), 12.5);
    EXPECT_EQ(read.Limits.Of(TTrendSeries::FlowRate).Of(TLimitKind::ActionLow), -4);
    for (const TTrendSeries s :
         {TTrendSeries(1), TTrendSeries(2), TTrendSeries(3), TTrendSeries(4)}) {
        EXPECT_FALSE(read.Limits.Of(s).Any()) << SeriesKey(s);
    }
    ASSERT_EQ(read.Problems.size(), 4U);
    EXPECT_EQ(read.Problems[0], "counts2.alert_high: 'abc' is not a number");
}

TEST(LimitsFile, AFileThatCannotBeWrittenIsReportedByName) {
    ExportTest::TTempFolder folder;
    ExportTest::WriteFile(folder.File("plain"), "not a folder");
    TLimitsFile file(folder.File("plain") + "/limits.dat");
    TInstrumentLimits limits;
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 5);
    try {
        file.Write("name x", limits);
        FAIL() << "the write went through";
    } catch (const EConsoleFileError& e) {
        EXPECT_NE(std::string(e.what()).find("limits.dat"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ExportTest::ReadFile(folder.File("plain")), "not a folder");
}

TEST(ArchiveTrend, AnArchiveRangeBecomesTheTrendOfItsRecords) {
    ExportTest::TTempFolder folder;
    const auto store = OpenArchive(*ParseArchiveLocation(folder.File("a.sqlite")));
    const std::int64_t instrument = store->EnsureInstrument(ArchiveTest::Instrument());
    TDownloadRecord download;
    download.InstrumentId = instrument;
    download.Kind = kDownloadWhole;
    const std::int64_t id = store->BeginDownload(download);
    std::vector<TArchivedRecord> records = ArchiveTest::Records(0, 9000);
    store->AddRecords(instrument, id, records);

    TRecordQuery query;
    query.InstrumentId = instrument;
    query.From = ArchiveTest::DateTimeOfMinute(100);
    query.To = ArchiveTest::DateTimeOfMinute(8099);
    std::vector<std::int64_t> progress;
    const TTrendData data = LoadArchiveTrend(*store, query, [&](std::int64_t done, std::int64_t) {
        progress.push_back(done);
        return true;
    });
    EXPECT_EQ(data.PointCount(), 8000U);
    EXPECT_EQ(MinutesText(data.Minutes.front()), query.From);
    EXPECT_EQ(MinutesText(data.Minutes.back()), query.To);
    EXPECT_EQ(progress, (std::vector<std::int64_t>{4096, 8000}));

    // Stopped after the first page: what was read is kept.
    const TTrendData part = LoadArchiveTrend(*store, query, [](auto, auto) { return false; });
    EXPECT_EQ(part.PointCount(), 4096U);
}
