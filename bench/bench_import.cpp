// Import of a whole log: 62001 record blocks fed through the read completion, one import pass
// and the final sort.
//
//   bench_import                   Google Benchmark run
//   bench_import --hold            fill a full table and list once and exit, for
//                                  /usr/bin/time -v (peak memory of a full download's data)
#include "DownloadState.h"
#include "ModbusTransaction.h"
#include "NullDownloadHost.h"
#include "RecordImporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

using namespace Sondrel;

namespace {

constexpr std::int32_t kRecords = TDownloadState::RecordSpace;
// The window starts mid-log, so the records arrive wrapped and the sort has work to do.
constexpr std::int32_t kFirstRecord = 30000;

void MakeBlock(std::int32_t n, Corvane::TRegValues& r) {
    r.assign(104, 0);
    r[1] = static_cast<std::uint16_t>(n);
    r[3] = 2014;
    r[4] = static_cast<std::uint16_t>(1 + n % 12);
    r[5] = static_cast<std::uint16_t>(1 + n % 28);
    r[6] = static_cast<std::uint16_t>(n % 24);
    r[7] = static_cast<std::uint16_t>(n % 60);
    for (int k = 1; k <= 9; ++k) {
        r[31 + 2 * k] = static_cast<std::uint16_t>(n % 3);
        r[32 + 2 * k] = static_cast<std::uint16_t>(n * k);
        r[62 + 2 * k] = static_cast<std::uint16_t>(k);
        r[63 + 2 * k] = static_cast<std::uint16_t>(n % 100);
    }
}

void StartDownload(TDownloadState& state, TRecordImporter& importer) {
    state.AllDataMode = true;
    state.FirstRecord = kFirstRecord;
    state.RecordsRequested = kRecords;
    state.Interval = 1;
    importer.ClearCounts();
    importer.List().Clear();
    importer.ReceivedRows().Clear();
    importer.ImportedRows().Clear();
}

// One download's worth of replies, import and sort; true when the import found no record
// missing.
bool DownloadWholeLog(TRecordImporter& importer, Corvane::TRegValues& block) {
    Corvane::TTransactionInfo info;
    info.Status = Corvane::rsNormalResponse;
    for (std::int32_t k = 1; k <= kRecords; ++k) {
        MakeBlock((kFirstRecord + k) % kRecords, block);
        (void)importer.OnHoldingRegistersRead(info, 256, 104, block);
    }
    const auto missing = importer.importData();
    importer.SortRecordList();
    return missing && missing->empty();
}

void BM_ImportAndSortWholeLog(benchmark::State& bench) {
    TNullDownloadHost host;
    TDownloadState state;
    TRecordImporter importer(state, host);
    Corvane::TRegValues block;
    for (auto _ : bench) {
        StartDownload(state, importer);
        const bool complete = DownloadWholeLog(importer, block);
        if (importer.List().Count() != kRecords || !complete) {
            bench.SkipWithError("the import lost records");
            break;
        }
    }
    bench.counters["records"] = importer.List().Count();
}
BENCHMARK(BM_ImportAndSortWholeLog)->Unit(benchmark::kMillisecond);

// Producing every text of the list, as a view or an exporter reads it.
void BM_ListTextsOfWholeLog(benchmark::State& bench) {
    TNullDownloadHost host;
    TDownloadState state;
    TRecordImporter importer(state, host);
    Corvane::TRegValues block;
    StartDownload(state, importer);
    DownloadWholeLog(importer, block);
    for (auto _ : bench) {
        std::size_t bytes = 0;
        for (std::int32_t row = 0; row < importer.List().Count(); ++row) {
            for (std::int32_t c = 0; c < TRecordList::ColumnCount; ++c) {
                bytes += importer.List().Text(row, c).size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ListTextsOfWholeLog)->Unit(benchmark::kMillisecond);

int HoldFullLog() {
    TNullDownloadHost host;
    TDownloadState state;
    TRecordImporter importer(state, host);
    Corvane::TRegValues block;
    StartDownload(state, importer);
    DownloadWholeLog(importer, block);
    std::printf("records in the list: %d, first %s, last %s\n", importer.List().Count(),
                importer.List().Text(0, 0).c_str(),
                importer.List().Text(importer.List().Count() - 1, 0).c_str());
    return importer.List().Count() == kRecords ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--hold") == 0) {
        return HoldFullLog();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
