// Export of a whole log: 62001 list items written as CSV, HTML and XLSX files through the file
// front end (temporary file, flush to disk, rename), as the window's "Export to File" does.
//
//   bench_export                     Google Benchmark run (files in the system's temp folder)
//   bench_export --xlsx-once FILE    one XLSX export of a full list and exit, for
//                                    /usr/bin/time -v (peak memory of the spreadsheet export)
#include "DownloadState.h"
#include "LogExporter.h"
#include "RecordList.h"
#include "RecordTable.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

using namespace Sondrel;

namespace {

constexpr std::int32_t kRecords = TDownloadState::RecordSpace;

// A full list: every record of the log with varied values in every column.
std::unique_ptr<TRecordList> MakeFullList() {
    auto list = std::make_unique<TRecordList>();
    auto table = std::make_unique<TRecordTable>();
    for (std::int32_t n = 0; n < kRecords; ++n) {
        const auto v = [n](std::int32_t k) {
            return static_cast<std::uint16_t>((n * 7 + k) % 65536);
        };
        for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
            table->SetValue(n, c, v(c));
        }
        table->SetValue(n, 0, 0);
        table->SetValue(n, 1, static_cast<std::uint16_t>(n));
        table->SetValue(n, 3, 2014);
        table->SetValue(n, 4, static_cast<std::uint16_t>(1 + n % 12));
        table->SetValue(n, 5, static_cast<std::uint16_t>(1 + n % 28));
        table->SetValue(n, 6, static_cast<std::uint16_t>(n % 24));
        table->SetValue(n, 7, static_cast<std::uint16_t>(n % 60));
        for (int k = 1; k <= 9; ++k) {
            table->SetValue(n, 31 + 2 * k, static_cast<std::uint16_t>(n % 3));
            table->SetValue(n, 63 + 2 * k, static_cast<std::uint16_t>((n + k) % 100));
        }
        list->Append(*TRecordItem::FromRow(*table, n, 0));
    }
    return list;
}

const TRecordList& FullList() {
    static const std::unique_ptr<TRecordList> list = MakeFullList();
    return *list;
}

void ExportOf(benchmark::State& bench, TExportKind kind, const char* extension) {
    // The Log Data download's layout: every column with data rows.
    const TLogExporter exporter(FullList(), true);
    const auto path =
        std::filesystem::temp_directory_path() / (std::string("sondrel-bench-export.") + extension);
    for (auto _ : bench) {
        exporter.Export(kind, path.string());
    }
    bench.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    bench.counters["rows/s"] = benchmark::Counter(static_cast<double>(FullList().Count()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
    std::filesystem::remove(path);
}

void BM_ExportCsv(benchmark::State& bench) {
    ExportOf(bench, ekCsv, "csv");
}
void BM_ExportHtml(benchmark::State& bench) {
    ExportOf(bench, ekHtml, "html");
}
void BM_ExportXlsx(benchmark::State& bench) {
    ExportOf(bench, ekXlsx, "xlsx");
}

BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int ExportXlsxOnce(const char* path) {
    const TRecordList& list = FullList();
    const auto start = std::chrono::steady_clock::now();
    TLogExporter(list, true).Export(ekXlsx, path);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%d rows exported to %s in %.3f s\n", list.Count(), path, elapsed.count());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--xlsx-once") == 0) {
        return ExportXlsxOnce(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
