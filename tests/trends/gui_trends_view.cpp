// The trends view as the operator uses it, offscreen: the series and charts shown, zoom, pan
// and reset by mouse and keys, the cursor's read-out, the logarithmic switch, building the
// data only when shown, and the export of the charts.
#include "TrendExportDialog.h"
#include "TrendPlotView.h"
#include "TrendTestSupport.h"
#include "TrendsView.h"

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace Sondrel;
using TrendTest::Base;
using TrendTest::TSample;

namespace {

// One sample a minute for `count` minutes; total counts 100 + i, flow 280.
std::shared_ptr<const TTrendData> Minutely(std::size_t count) {
    std::vector<TSample> samples;
    for (std::size_t i = 0; i < count; ++i) {
        TSample s;
        s.Minutes = Base() + static_cast<std::int64_t>(i);
        s.TotalCounts = static_cast<std::uint32_t>(100 + i);
        s.PpbWhole1 = 3;
        s.PpbHundredths1 = 25;
        s.FlowRate = 280;
        samples.push_back(s);
    }
    return std::make_shared<const TTrendData>(TrendTest::Data(samples));
}

class TrendsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        View.resize(1200, 800);
        View.SetData(Minutely(600));
        View.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&View));
    }

    QWidget* Viewport(TSeriesGroup group) { return View.PlotView(group).viewport(); }
    // A point inside the plot area at a share of its width, in viewport coordinates.
    QPoint At(TSeriesGroup group, double share) {
        TTrendPlotView& plot = View.PlotView(group);
        const QRectF area = plot.Chart().PlotArea();
        return plot.mapFromScene(QPointF(area.left() + share * area.width(), area.center().y()));
    }
    void Wheel(TSeriesGroup group, QPoint at, int delta) {
        QWheelEvent wheel(at, Viewport(group)->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(group), &wheel);
    }
    template <typename T>
    T* Find(const char* name) {
        return View.findChild<T*>(QLatin1String(name));
    }

    TTrendsView View;
};

} // namespace

TEST_F(TrendsViewTest, ShowsTheDefaultSeriesInOneChartPerGroupAndCountsTheRecords) {
    EXPECT_EQ(View.VisibleSeries(),
              (std::set<TTrendSeries>{TTrendSeries::TotalCounts, TTrendSeries::TotalPpb,
                                      TTrendSeries::FlowRate}));
    for (const TSeriesGroup g : {TSeriesGroup::Counts, TSeriesGroup::Ppb, TSeriesGroup::Health}) {
        EXPECT_TRUE(View.PlotView(g).isVisible());
    }
    EXPECT_EQ(View.Chart(TSeriesGroup::Counts).Polylines(TTrendSeries::TotalCounts).size(), 1U);
    EXPECT_EQ(Find<QLabel>("recordCountLabel")->text(), "600 records");
    // The stacked plots line up (their value labels differ in width: 700s, 3s, 280s).
    const QRectF counts = View.Chart(TSeriesGroup::Counts).PlotArea();
    for (const TSeriesGroup g : {TSeriesGroup::Ppb, TSeriesGroup::Health}) {
        EXPECT_NEAR(View.Chart(g).PlotArea().left(), counts.left(), 1.0);
        EXPECT_NEAR(View.Chart(g).PlotArea().right(), counts.right(), 1.0);
    }

    // Only PPB 1: one chart left, the others hidden.
    View.SetVisibleSeries({TTrendSeries::Ppb1});
    EXPECT_FALSE(View.PlotView(TSeriesGroup::Counts).isVisible());
    EXPECT_TRUE(View.PlotView(TSeriesGroup::Ppb).isVisible());
    EXPECT_FALSE(View.PlotView(TSeriesGroup::Health).isVisible());
    EXPECT_EQ(View.Chart(TSeriesGroup::Ppb).VisibleSeries(), std::set{TTrendSeries::Ppb1});

    // Nothing visible says so.
    View.SetVisibleSeries({});
    EXPECT_TRUE(Find<QLabel>("emptyLabel")->isVisible());
    EXPECT_FALSE(Find<QPushButton>("exportChartButton")->isEnabled());
}

TEST_F(TrendsViewTest, NoRecordsSaysSoAndLeftOutRecordsAreCounted) {
    View.SetData(std::make_shared<const TTrendData>());
    EXPECT_TRUE(Find<QLabel>("emptyLabel")->isVisible());
    EXPECT_EQ(Find<QLabel>("emptyLabel")->text(), "No records to chart");
    EXPECT_FALSE(Find<QWidget>("chartsArea")->isVisible());
    View.ShowCursorAt(1000);
    Wheel(TSeriesGroup::Counts, QPoint(10, 10), 120);
    View.ResetZoom();
    EXPECT_FALSE(View.CursorPoint());

    TTrendDataBuilder builder;
    builder.Add(TrendTest::Item(TSample{Base(), 1, 2}), 0);
    builder.Add(*TRecordItem::FromRegisters(TrendTest::ErasedBlock(), 1, 0), 1);
    builder.Add(*TRecordItem::FromRegisters(TrendTest::ErasedBlock(), 2, 0), 2);
    View.SetData(std::make_shared<const TTrendData>(builder.Finish()));
    EXPECT_EQ(Find<QLabel>("recordCountLabel")->text(), "3 records, 2 without a date left out");
    EXPECT_FALSE(Find<QLabel>("emptyLabel")->isVisible());
}

TEST_F(TrendsViewTest, WheelZoomsAboutTheMouseAndTheChartsShareTheRange) {
    const double whole = View.Range().Span();
    const QPoint quarter = At(TSeriesGroup::Counts, 0.25);
    const double under =
        View.Chart(TSeriesGroup::Counts)
            .MinutesAt(View.PlotView(TSeriesGroup::Counts).mapToScene(quarter).x());
    Wheel(TSeriesGroup::Counts, quarter, 120);
    EXPECT_LT(View.Range().Span(), whole);
    // The minute under the mouse stays under it.
    EXPECT_NEAR(View.Chart(TSeriesGroup::Counts)
                    .MinutesAt(View.PlotView(TSeriesGroup::Counts).mapToScene(quarter).x()),
                under, 0.01);
    for (const TSeriesGroup g : {TSeriesGroup::Ppb, TSeriesGroup::Health}) {
        EXPECT_EQ(View.Chart(g).FromMinutes(), View.Range().From());
        EXPECT_EQ(View.Chart(g).ToMinutes(), View.Range().To());
    }
    Wheel(TSeriesGroup::Health, At(TSeriesGroup::Health, 0.5), -240);
    Wheel(TSeriesGroup::Health, At(TSeriesGroup::Health, 0.5), -240);
    EXPECT_TRUE(View.Range().IsWhole());
}

TEST_F(TrendsViewTest, RubberBandZoomsToTheDraggedSpanAndPanShiftsIt) {
    QWidget* viewport = Viewport(TSeriesGroup::Ppb);
    const QPoint from = At(TSeriesGroup::Ppb, 0.2);
    const QPoint to = At(TSeriesGroup::Ppb, 0.4);
    const double start = View.Range().From() + 0.2 * View.Range().Span();
    const double end = View.Range().From() + 0.4 * View.Range().Span();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    EXPECT_NEAR(View.Range().From(), start, 1.5);
    EXPECT_NEAR(View.Range().To(), end, 1.5);

    // A right drag to the right by a tenth of the plot moves the range back in time.
    const double span = View.Range().Span();
    const double before = View.Range().From();
    QTest::mousePress(viewport, Qt::RightButton, {}, At(TSeriesGroup::Ppb, 0.5));
    QTest::mouseMove(viewport, At(TSeriesGroup::Ppb, 0.6));
    QTest::mouseRelease(viewport, Qt::RightButton, {}, At(TSeriesGroup::Ppb, 0.6));
    EXPECT_NEAR(View.Range().From(), before - span / 10, 1.0);
    EXPECT_NEAR(View.Range().Span(), span, 1e-6);

    // The arrow keys pan too; Home restores the whole data, as does Reset Zoom.
    const double beforeKey = View.Range().From();
    QTest::keyClick(&View.PlotView(TSeriesGroup::Ppb), Qt::Key_Right);
    EXPECT_NEAR(View.Range().From(), beforeKey + span / 10, 1e-6);
    QTest::keyClick(&View.PlotView(TSeriesGroup::Ppb), Qt::Key_Home);
    EXPECT_TRUE(View.Range().IsWhole());
    View.SetTimeRange(Base() + 100, Base() + 200);
    QTest::mouseClick(Find<QPushButton>("resetZoomButton"), Qt::LeftButton);
    EXPECT_TRUE(View.Range().IsWhole());
    EXPECT_EQ(View.Chart(TSeriesGroup::Counts).FromMinutes(), static_cast<double>(Base()));
    EXPECT_EQ(View.Chart(TSeriesGroup::Counts).ToMinutes(), static_cast<double>(Base() + 599));
}

TEST_F(TrendsViewTest, CursorSnapsToTheNearestRecordAndReadsItsValues) {
    View.SetVisibleSeries({TTrendSeries::TotalCounts, TTrendSeries::Ppb1, TTrendSeries::FlowRate});
    View.ShowCursorAt(static_cast<double>(Base()) + 7.3);
    ASSERT_TRUE(View.CursorPoint());
    EXPECT_EQ(*View.CursorPoint(), 7U);
    const QString text = Find<QLabel>("cursorLabel")->text();
    EXPECT_TRUE(text.contains("2024-01-01 00:07")) << text.toStdString();
    EXPECT_TRUE(text.contains("Total Cnts: 107")) << text.toStdString();
    EXPECT_TRUE(text.contains("PPB 1: 3.25")) << text.toStdString();
    EXPECT_TRUE(text.contains("Flow Rate: 280")) << text.toStdString();

    // The mouse moves it.
    QTest::mouseMove(Viewport(TSeriesGroup::Health), At(TSeriesGroup::Health, 0.5));
    ASSERT_TRUE(View.CursorPoint());
    EXPECT_NEAR(static_cast<double>(*View.CursorPoint()), 299.5, 2);
}

TEST_F(TrendsViewTest, LogarithmicSwitchChangesTheCountAndPpbAxes) {
    const auto ppb2 = static_cast<TTrendSeries>(SeriesIndex(TTrendSeries::Ppb1) + 1);
    View.SetVisibleSeries({TTrendSeries::TotalCounts, ppb2, TTrendSeries::FlowRate});
    Find<QCheckBox>("logarithmicCheck")->setChecked(true);
    EXPECT_NE(qobject_cast<QLogValueAxis*>(View.Chart(TSeriesGroup::Counts).ValueAxis()), nullptr);
    EXPECT_NE(qobject_cast<QLogValueAxis*>(View.Chart(TSeriesGroup::Ppb).ValueAxis()), nullptr);
    EXPECT_NE(qobject_cast<QValueAxis*>(View.Chart(TSeriesGroup::Health).ValueAxis()), nullptr);
    // PPB 2 is zero everywhere here: nothing to draw, nothing broken.
    EXPECT_TRUE(View.Chart(TSeriesGroup::Ppb).Polylines(ppb2).empty());
    EXPECT_FALSE(View.grab().isNull());
    Find<QCheckBox>("logarithmicCheck")->setChecked(false);
    EXPECT_NE(qobject_cast<QValueAxis*>(View.Chart(TSeriesGroup::Counts).ValueAxis()), nullptr);

    TInstrumentLimits limits;
    limits.Of(TTrendSeries::FlowRate).Set(TLimitKind::AlertLow, 250);
    View.SetLimits(limits);
    const auto lines = View.Chart(TSeriesGroup::Health).LimitLines(TLimitKind::AlertLow);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines.front()->at(0).y(), 250);
}

TEST(TrendsViewSource, BuildsTheDataOnlyWhenShown) {
    int builds = 0;
    TTrendsView view;
    view.SetSource([&builds] {
        ++builds;
        return Minutely(10);
    });
    view.Invalidate();
    QCoreApplication::processEvents();
    EXPECT_EQ(builds, 0);
    view.show();
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(view.Data()->PointCount(), 10U);

    // Several changes while shown build once, after them.
    view.Invalidate();
    view.Invalidate();
    view.Invalidate();
    EXPECT_EQ(builds, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(builds, 2);

    view.hide();
    view.Invalidate();
    QCoreApplication::processEvents();
    EXPECT_EQ(builds, 2);
    view.show();
    EXPECT_EQ(builds, 3);
}

TEST_F(TrendsViewTest, ExportsPngAndSvgAtTheChosenSize) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString png = folder.filePath("trends.png");
    const auto written = View.ExportChart(png, TChartFormat::Png, QSize(900, 500));
    ASSERT_TRUE(written.Ok) << written.Error.toStdString();
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(900, 500));
    // The operator's charts keep their own size.
    EXPECT_EQ(View.Chart(TSeriesGroup::Counts).Chart()->size().toSize(),
              View.PlotView(TSeriesGroup::Counts).viewport()->size());

    const QString svg = folder.filePath("trends.svg");
    ASSERT_TRUE(View.ExportChart(svg, TChartFormat::Svg, QSize(1600, 900)).Ok);
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    while (!xml.atEnd() && !xml.isStartElement()) {
        xml.readNext();
    }
    ASSERT_EQ(xml.name(), QStringLiteral("svg"));
    EXPECT_EQ(xml.attributes().value("viewBox"), QStringLiteral("0 0 1600 900"));
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 1600, 900));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(TrendsViewTest, AFailedExportNamesTheFileAndCauseAndLeavesNothing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // A folder that is a file: no one, not even root, can write below it.
    const QString blocker = folder.filePath("not-a-folder");
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    for (const TChartFormat format : {TChartFormat::Png, TChartFormat::Svg}) {
        const QString path = blocker + "/trends.out";
        const auto result = View.ExportChart(path, format, QSize(800, 600));
        EXPECT_FALSE(result.Ok);
        EXPECT_TRUE(result.Error.contains(path)) << result.Error.toStdString();
        EXPECT_GT(result.Error.size(), path.size() + 16) << "no cause given";
    }
    // Sizes out of bounds are refused before anything is written, and an older file stays.
    const QString kept = folder.filePath("kept.png");
    ASSERT_TRUE(View.ExportChart(kept, TChartFormat::Png, QSize(300, 300)).Ok);
    for (const QSize size : {QSize(199, 600), QSize(800, 8001), QSize(-5, -5)}) {
        const auto result = View.ExportChart(kept, TChartFormat::Png, size);
        EXPECT_FALSE(result.Ok);
        EXPECT_TRUE(result.Error.contains("200")) << result.Error.toStdString();
    }
    EXPECT_EQ(QImage(kept).size(), QSize(300, 300));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"kept.png", "not-a-folder"}));
}

TEST(TrendExportDialog, FormatAndFileNameFollowEachOther) {
    TTrendExportDialog dialog("/tmp/chart.png");
    auto* file = dialog.findChild<QLineEdit*>("exportFileEdit");
    auto* format = dialog.findChild<QComboBox*>("exportFormatCombo");
    ASSERT_TRUE(file && format);
    EXPECT_EQ(dialog.Format(), TChartFormat::Png);
    EXPECT_EQ(dialog.Size(), QSize(1600, 900));
    file->setText("/tmp/chart.SVG");
    EXPECT_EQ(dialog.Format(), TChartFormat::Svg);
    format->setCurrentIndex(format->findData(static_cast<int>(TChartFormat::Png)));
    EXPECT_EQ(dialog.Path(), "/tmp/chart.png");
    file->setText("/tmp/plain");
    format->setCurrentIndex(format->findData(static_cast<int>(TChartFormat::Svg)));
    EXPECT_EQ(dialog.Path(), "/tmp/plain.svg");
    auto* width = dialog.findChild<QSpinBox*>("exportWidthSpin");
    ASSERT_TRUE(width);
    width->setValue(100000);
    EXPECT_EQ(dialog.Size().width(), kExportMostSide);
}
