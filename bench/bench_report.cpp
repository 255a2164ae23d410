// The printed report of a whole log: 62001 records (one a minute) made into a report's content
// and written as a PDF with its three charts, with few or with many excursions (a flow rate
// that dips below its alert limit every tenth record). Run it offscreen:
//   build/release/bench/bench_report
#include "RecordList.h"
#include "ReportChart.h"
#include "ReportContent.h"
#include "ReportWriter.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

using namespace Sondrel;

constexpr std::int32_t kRecords = 62001;

// Record n at 2024-01-01 00:00 + n minutes; counts rising and falling, flow rate 28 but 20 on
// every `dipEvery`-th record.
std::vector<std::uint16_t> Block(std::int32_t n, std::int32_t dipEvery) {
    std::vector<std::uint16_t> r(104, 0);
    const std::int32_t minute = n % 60, hour = n / 60 % 24, day = n / 1440;
    r[1] = static_cast<std::uint16_t>(n);
    r[3] = 2024;
    r[4] = static_cast<std::uint16_t>(1 + day / 28);
    r[5] = static_cast<std::uint16_t>(1 + day % 28);
    r[6] = static_cast<std::uint16_t>(hour);
    r[7] = static_cast<std::uint16_t>(minute);
    r[13] = 95;
    r[14] = 98;
    r[15] = static_cast<std::uint16_t>(n % dipEvery == 0 ? 20 : 28);
    for (int k = 1; k <= 9; ++k) {
        r[32 + 2 * k] = static_cast<std::uint16_t>((n * 7 + k * 100) % 5000 / k);
        r[63 + 2 * k] = static_cast<std::uint16_t>((n + k) % 100);
    }
    return r;
}

TRecordList Log(std::int32_t dipEvery) {
    TRecordList list;
    for (std::int32_t n = 0; n < kRecords; ++n) {
        list.Append(*TRecordItem::FromRegisters(Block(n, dipEvery), n, 0));
    }
    return list;
}

TReportContent Content(const TRecordList& list) {
    TInstrumentLimits limits;
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 4990);
    limits.Of(TTrendSeries::FlowRate).Set(TLimitKind::AlertLow, 25);
    return RecordListReportContent(list, {"bench", "name bench", "/dev/null", 1}, std::nullopt,
                                   limits, AllSeriesGroups());
}

void BM_ReportContent(benchmark::State& state) {
    const TRecordList list = Log(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Content(list));
    }
}
BENCHMARK(BM_ReportContent)->Arg(kRecords + 1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_ReportPdf(benchmark::State& state) {
    const TReportContent content = Content(Log(static_cast<std::int32_t>(state.range(0))));
    const QString path = QDir::temp().filePath("bench_report.pdf");
    int pages = 0;
    for (auto _ : state) {
        pages = TReportWriter(ReportChartImage).Write(content, path);
    }
    state.counters["pages"] = pages;
    state.counters["excursions"] = static_cast<double>(content.Excursions.size());
    QFile::remove(path);
}
BENCHMARK(BM_ReportPdf)
    ->Arg(kRecords + 1)
    ->Arg(100)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
