// The Trends view over a whole log and over a long archive range: 62001 and 1 000 000 points,
// three visible series (Total Cnts, Total PPB, Flow Rate, so three stacked charts), drawn at
// 1600 x 900 on the offscreen platform.
//
//   bench_trends                  Google Benchmark run
//   bench_trends --hold N         build N points and show them once, then exit, for
//                                 /usr/bin/time -v (peak memory of the view with its data)
#include "TrendPlotView.h"
#include "TrendTestSupport.h"
#include "TrendsView.h"

#include <QApplication>
#include <QImage>
#include <QWheelEvent>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace Sondrel;

namespace {

const QSize kSize(1600, 900);

// One record a minute with varying counts, PPB and flow, and an hour's gap every 5000 records;
// the records are made from their register blocks, as a download or the archive gives them.
std::shared_ptr<const TTrendData> Build(std::int64_t points) {
    TTrendDataBuilder builder;
    std::int64_t minute = TrendTest::Base();
    for (std::int64_t i = 0; i < points; ++i) {
        TrendTest::TSample s;
        minute += i % 5000 == 4999 ? 60 : 1;
        s.Minutes = minute;
        s.TotalCounts =
            static_cast<std::uint32_t>(1000 + (i * 7919) % 5000 + (i % 997 == 0 ? 90000 : 0));
        s.PpbWhole1 = static_cast<std::uint16_t>(i % 40);
        s.FlowRate = static_cast<std::uint16_t>(270 + i % 20);
        builder.Add(TrendTest::Item(s), static_cast<std::int32_t>(i));
    }
    return std::make_shared<const TTrendData>(builder.Finish());
}

struct TShownTrends {
    TTrendsView View;
    QImage Image{kSize, QImage::Format_ARGB32_Premultiplied};

    explicit TShownTrends(std::shared_ptr<const TTrendData> data) {
        View.resize(kSize);
        View.SetVisibleSeries(
            {TTrendSeries::TotalCounts, TTrendSeries::TotalPpb, TTrendSeries::FlowRate});
        View.SetData(std::move(data));
        View.show();
    }
    void Paint() {
        Image.fill(Qt::white);
        View.render(&Image);
    }
};

// Records to data, then the first picture of the view.
void BM_BuildAndShow(benchmark::State& state) {
    for (auto _ : state) {
        TShownTrends shown(Build(state.range(0)));
        shown.Paint();
        benchmark::DoNotOptimize(shown.Image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildAndShow)->Arg(62001)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The data already built: only the view's first picture.
void BM_FirstShow(benchmark::State& state) {
    const auto data = Build(state.range(0));
    for (auto _ : state) {
        TShownTrends shown(data);
        shown.Paint();
        benchmark::DoNotOptimize(shown.Image.constBits());
    }
}
BENCHMARK(BM_FirstShow)->Arg(62001)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One frame of zooming: a wheel notch on the Counts chart (in, then out, alternately, about
// the middle), every chart decimated again, and the view painted.
void BM_ZoomFrame(benchmark::State& state) {
    TShownTrends shown(Build(state.range(0)));
    shown.Paint();
    QWidget* viewport = shown.View.PlotView(TSeriesGroup::Counts).viewport();
    const QPointF middle(viewport->width() / 2.0, viewport->height() / 2.0);
    int notch = 120;
    for (auto _ : state) {
        QWheelEvent wheel(middle, viewport->mapToGlobal(middle), QPoint(), QPoint(0, notch),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        shown.Paint();
        notch = -notch;
    }
}
BENCHMARK(BM_ZoomFrame)->Arg(62001)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--hold") == 0) {
        const std::int64_t points = std::atoll(argv[2]);
        TShownTrends shown(Build(points));
        shown.Paint();
        return shown.View.Data()->PointCount() == static_cast<std::size_t>(points) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
