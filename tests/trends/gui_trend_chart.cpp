// The chart of a series group drawn offscreen: what it draws of the data, its axes, limit
// lines and legend, and its image.
#include "TrendChart.h"
#include "TrendTestSupport.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Sondrel;
using TrendTest::Base;
using TrendTest::TSample;

namespace {

std::vector<TSample> Minutely(std::size_t count, std::int64_t start = 0) {
    return TrendTest::Minutely(count, start, [](std::size_t i, TSample& s) {
        s.Counts1 = static_cast<std::uint32_t>(10 + i % 7);
        s.TotalCounts = static_cast<std::uint32_t>(100 + i % 13);
        s.FlowRate = 280;
    });
}

std::shared_ptr<const TTrendData> Shared(const std::vector<TSample>& samples) {
    return std::make_shared<const TTrendData>(TrendTest::Data(samples));
}

std::size_t PointsOf(const std::vector<QLineSeries*>& lines) {
    std::size_t points = 0;
    for (const QLineSeries* line : lines) {
        points += static_cast<std::size_t>(line->count());
    }
    return points;
}

std::vector<QString> VisibleLegend(const QChart& chart) {
    std::vector<QString> names;
    for (QLegendMarker* marker : chart.legend()->markers()) {
        if (marker->isVisible()) {
            names.push_back(marker->label());
        }
    }
    return names;
}

} // namespace

TEST(TrendChart, DrawsEachVisibleSeriesOfItsGroupWithItsRealPoints) {
    TTrendChart chart(TSeriesGroup::Counts);
    chart.SetData(Shared(Minutely(50)));
    chart.SetVisibleSeries({TTrendSeries::TotalCounts, TTrendSeries::Counts1,
                            TTrendSeries::FlowRate}); // flow rate belongs to Health
    chart.Resize(QSizeF(900, 400));

    const auto total = chart.Polylines(TTrendSeries::TotalCounts);
    ASSERT_EQ(total.size(), 1U);
    ASSERT_EQ(total.front()->count(), 50);
    EXPECT_DOUBLE_EQ(total.front()->at(0).x(), static_cast<double>(Base()));
    EXPECT_DOUBLE_EQ(total.front()->at(0).y(), 100);
    EXPECT_DOUBLE_EQ(total.front()->at(20).y(), 107);
    EXPECT_EQ(PointsOf(chart.Polylines(TTrendSeries::Counts1)), 50U);
    EXPECT_TRUE(chart.Polylines(TTrendSeries::FlowRate).empty());
    EXPECT_TRUE(chart.Polylines(static_cast<TTrendSeries>(1)).empty());
    // Each series keeps its own colour.
    EXPECT_EQ(total.front()->pen().color(), SeriesColour(TTrendSeries::TotalCounts));
    EXPECT_NE(SeriesColour(TTrendSeries::TotalCounts), SeriesColour(TTrendSeries::Counts1));
    EXPECT_EQ(chart.FromMinutes(), static_cast<double>(Base()));
    EXPECT_EQ(chart.ToMinutes(), static_cast<double>(Base() + 49));
}

TEST(TrendChart, AGapBreaksTheLineAndTheLegendNamesTheSeriesOnce) {
    auto samples = Minutely(30);
    const auto later = Minutely(30, 600); // ten hours later
    samples.insert(samples.end(), later.begin(), later.end());
    TTrendChart chart(TSeriesGroup::Counts);
    chart.SetData(Shared(samples));
    chart.SetVisibleSeries({TTrendSeries::TotalCounts});
    chart.Resize(QSizeF(900, 400));

    const auto lines = chart.Polylines(TTrendSeries::TotalCounts);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0]->count(), 30);
    EXPECT_EQ(lines[1]->count(), 30);
    EXPECT_LT(lines[0]->at(29).x(), lines[1]->at(0).x());
    EXPECT_EQ(VisibleLegend(*chart.Chart()), std::vector<QString>{"Total Cnts"});

    // Zoomed in on the first stretch, the later one is no longer drawn.
    chart.SetTimeRange(static_cast<double>(Base()), static_cast<double>(Base() + 20));
    EXPECT_EQ(chart.Polylines(TTrendSeries::TotalCounts).size(), 1U);
    EXPECT_EQ(VisibleLegend(*chart.Chart()), std::vector<QString>{"Total Cnts"});
}

TEST(TrendChart, ManyPointsDrawAFewPerPixelColumnAndKeepEverySpike) {
    auto samples = Minutely(120000);
    const std::vector<std::size_t> spikes{777, 45001, 119000};
    for (const std::size_t i : spikes) {
        samples[i].TotalCounts = static_cast<std::uint32_t>(50000 + i);
    }
    samples[60000].TotalCounts = 0; // a dip
    TTrendChart chart(TSeriesGroup::Counts);
    chart.SetData(Shared(samples));
    chart.SetVisibleSeries({TTrendSeries::TotalCounts});
    chart.Resize(QSizeF(1200, 500));

    const auto columns = static_cast<std::size_t>(std::round(chart.PlotArea().width()));
    ASSERT_GT(columns, 500U);
    const auto lines = chart.Polylines(TTrendSeries::TotalCounts);
    const std::size_t wide = PointsOf(lines);
    EXPECT_LE(wide, TDecimationRequest::PointsPerColumn * columns + 2);
    std::vector<double> values;
    for (const QLineSeries* line : lines) {
        for (const QPointF& p : line->points()) {
            values.push_back(p.y());
        }
    }
    for (const std::size_t i : spikes) {
        EXPECT_NE(std::find(values.begin(), values.end(), 50000.0 + static_cast<double>(i)),
                  values.end())
            << "spike " << i;
    }
    EXPECT_NE(std::find(values.begin(), values.end(), 0.0), values.end());
    // The value axis reaches the highest spike.
    EXPECT_GE(static_cast<QValueAxis*>(chart.ValueAxis())->max(), 50000.0 + 119000);

    // A narrower chart draws fewer points; the range has not changed.
    chart.Resize(QSizeF(500, 500));
    EXPECT_LT(PointsOf(chart.Polylines(TTrendSeries::TotalCounts)), wide * 3 / 4);
    EXPECT_EQ(chart.FromMinutes(), static_cast<double>(Base()));
}

TEST(TrendChart, LogarithmicAxisLeavesOutZerosAndBreaksTheLineThere) {
    auto samples = Minutely(20);
    samples[5].TotalCounts = 0;
    samples[6].TotalCounts = 0;
    TTrendChart chart(TSeriesGroup::Counts);
    chart.SetData(Shared(samples));
    chart.SetVisibleSeries({TTrendSeries::TotalCounts});
    chart.SetLogarithmic(true);
    EXPECT_TRUE(chart.IsLogarithmic());
    ASSERT_NE(qobject_cast<QLogValueAxis*>(chart.ValueAxis()), nullptr);

    const auto lines = chart.Polylines(TTrendSeries::TotalCounts);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(PointsOf(lines), 18U);
    for (const QLineSeries* line : lines) {
        for (const QPointF& p : line->points()) {
            EXPECT_GT(p.y(), 0);
        }
    }
    const auto* axis = static_cast<QLogValueAxis*>(chart.ValueAxis());
    EXPECT_GT(axis->min(), 0);
    EXPECT_LE(axis->min(), 100);
    EXPECT_GE(axis->max(), 112);

    // Nothing but zeros: an empty log chart, not a crash.
    auto zeros = Minutely(5);
    for (TSample& s : zeros) {
        s.TotalCounts = 0;
    }
    chart.SetData(Shared(zeros));
    EXPECT_TRUE(chart.Polylines(TTrendSeries::TotalCounts).empty());
    EXPECT_FALSE(chart.ToImage(QSize(400, 300)).isNull());

    chart.SetLogarithmic(false);
    ASSERT_NE(qobject_cast<QValueAxis*>(chart.ValueAxis()), nullptr);
    EXPECT_EQ(PointsOf(chart.Polylines(TTrendSeries::TotalCounts)), 5U);

    // The health values stay on a linear axis.
    TTrendChart health(TSeriesGroup::Health);
    health.SetLogarithmic(true);
    EXPECT_FALSE(health.IsLogarithmic());
    EXPECT_NE(qobject_cast<QValueAxis*>(health.ValueAxis()), nullptr);
}

TEST(TrendChart, LimitsAreLinesAcrossTheRangeNamedOncePerKind) {
    TInstrumentLimits limits;
    limits.Of(TTrendSeries::TotalCounts).Set(TLimitKind::AlertHigh, 500);
    limits.Of(TTrendSeries::TotalCounts).Set(TLimitKind::ActionHigh, 800);
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 40);
    limits.Of(static_cast<TTrendSeries>(1)).Set(TLimitKind::AlertHigh, 7); // not visible
    TTrendChart chart(TSeriesGroup::Counts);
    chart.SetData(Shared(Minutely(60)));
    chart.SetVisibleSeries({TTrendSeries::TotalCounts, TTrendSeries::Counts1});
    chart.SetLimits(limits);

    const auto alerts = chart.LimitLines(TLimitKind::AlertHigh);
    const auto actions = chart.LimitLines(TLimitKind::ActionHigh);
    ASSERT_EQ(alerts.size(), 2U);
    ASSERT_EQ(actions.size(), 1U);
    std::vector<double> alertValues;
    for (const QLineSeries* line : alerts) {
        ASSERT_EQ(line->count(), 2);
        EXPECT_EQ(line->at(0).y(), line->at(1).y());
        EXPECT_DOUBLE_EQ(line->at(0).x(), chart.FromMinutes());
        EXPECT_DOUBLE_EQ(line->at(1).x(), chart.ToMinutes());
        EXPECT_EQ(line->pen().style(), Qt::DashLine);
        alertValues.push_back(line->at(0).y());
    }
    std::sort(alertValues.begin(), alertValues.end());
    EXPECT_EQ(alertValues, (std::vector<double>{40, 500}));
    EXPECT_EQ(actions.front()->at(0).y(), 800);
    EXPECT_NE(actions.front()->pen().color(), alerts.front()->pen().color());
    // The value axis shows the highest limit although the data stay far below it.
    EXPECT_GE(static_cast<QValueAxis*>(chart.ValueAxis())->max(), 800);
    EXPECT_EQ(VisibleLegend(*chart.Chart()),
              (std::vector<QString>{"Cnts 1", "Total Cnts", "Alert limit", "Action limit"}));

    // The lines follow the range.
    chart.SetTimeRange(static_cast<double>(Base() + 10), static_cast<double>(Base() + 20));
    EXPECT_DOUBLE_EQ(actions.front()->at(1).x(), static_cast<double>(Base() + 20));

    // A log axis has no place for a limit at zero.
    limits.Of(TTrendSeries::TotalCounts).Set(TLimitKind::AlertLow, 0);
    chart.SetLimits(limits);
    EXPECT_EQ(chart.LimitLines(TLimitKind::AlertLow).size(), 1U);
    chart.SetLogarithmic(true);
    EXPECT_TRUE(chart.LimitLines(TLimitKind::AlertLow).empty());
    EXPECT_EQ(chart.LimitLines(TLimitKind::AlertHigh).size(), 2U);
}

TEST(TrendChart, TimeAxisLabelsAreTheInstrumentsClock) {
    auto samples = Minutely(180, 0);
    TTrendChart chart(TSeriesGroup::Health);
    chart.SetData(Shared(samples));
    chart.SetVisibleSeries({TTrendSeries::FlowRate});
    chart.Resize(QSizeF(1000, 300));
    const QStringList labels = chart.TimeAxis()->categoriesLabels();
    ASSERT_FALSE(labels.isEmpty());
    // 2024-01-01 00:00 onwards, whatever the computer's time zone.
    EXPECT_TRUE(labels.contains("01-01 01:00")) << labels.join(", ").toStdString();
    EXPECT_DOUBLE_EQ(chart.TimeAxis()->min(), static_cast<double>(Base()));
    EXPECT_DOUBLE_EQ(chart.TimeAxis()->max(), static_cast<double>(Base() + 179));
}

TEST(TrendChart, RendersOffscreenAtTheAskedSizeWithOrWithoutData) {
    TTrendChart empty(TSeriesGroup::Ppb);
    const QImage blank = empty.ToImage(QSize(640, 360));
    EXPECT_EQ(blank.size(), QSize(640, 360));

    TTrendChart chart(TSeriesGroup::Counts);
    chart.SetData(Shared(Minutely(100)));
    chart.SetVisibleSeries({TTrendSeries::TotalCounts});
    const QImage image = chart.ToImage(QSize(1600, 450));
    ASSERT_EQ(image.size(), QSize(1600, 450));
    EXPECT_NEAR(chart.PlotArea().width(), 1400, 250);
    // The total's colour is drawn somewhere inside the plot area.
    const QColor colour = SeriesColour(TTrendSeries::TotalCounts);
    const QRect plot = chart.PlotArea().toRect();
    bool found = false;
    for (int y = plot.top(); y <= plot.bottom() && !found; ++y) {
        for (int x = plot.left(); x <= plot.right() && !found; ++x) {
            found = image.pixelColor(x, y) == colour;
        }
    }
    EXPECT_TRUE(found);

    chart.SetData(nullptr);
    EXPECT_TRUE(chart.Polylines(TTrendSeries::TotalCounts).empty());
    EXPECT_FALSE(chart.ToImage(QSize(300, 200)).isNull());
}

TEST(TrendChart, MapsPositionsToMinutesAndShowsTheCursorWithinTheRange) {
    TTrendChart chart(TSeriesGroup::Counts);
    chart.SetData(Shared(Minutely(100)));
    chart.Resize(QSizeF(800, 300));
    const QRectF plot = chart.PlotArea();
    EXPECT_DOUBLE_EQ(chart.MinutesAt(plot.left()), chart.FromMinutes());
    EXPECT_DOUBLE_EQ(chart.MinutesAt(plot.right()), chart.ToMinutes());
    EXPECT_NEAR(chart.XOf(chart.MinutesAt(plot.center().x())), plot.center().x(), 1e-6);
}
