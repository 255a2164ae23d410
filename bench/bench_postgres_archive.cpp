// The PostgreSQL archive's write speed over a Unix socket, on a server that the benchmark
// starts for itself (initdb in a temporary folder, as the tests do): records per second added
// in batches of the writer thread's sizes (a batch is one transaction), new records and records
// the archive holds already (a second collector of the same instrument), and the reads of a
// page by date-time. fsync is off on the benchmark's server: the figures are the program's and
// the protocol's, not the disk's.
#include "ArchiveTestSupport.h"
#include "PostgresArchive.h"
#include "PostgresServer.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace Sondrel;

namespace {

TestSupport::TPostgresServer& Server() {
    return TestSupport::TPostgresServer::Shared();
}

struct TTarget {
    std::unique_ptr<TPostgresArchive> Archive;
    std::int64_t Instrument = 0;
    std::int64_t Download = 0;
};

TTarget NewArchive() {
    const std::string database = Server().CreateDatabase("bench");
    TTarget target;
    target.Archive = std::make_unique<TPostgresArchive>(Server().Url(database), database);
    target.Instrument = target.Archive->EnsureInstrument(ArchiveTest::Instrument());
    TDownloadRecord download;
    download.InstrumentId = target.Instrument;
    download.Kind = kDownloadNew;
    target.Download = target.Archive->BeginDownload(download);
    return target;
}

void BM_AddNewRecords(benchmark::State& state) {
    if (!Server().Available()) {
        state.SkipWithError(Server().SkipReason().c_str());
        return;
    }
    TTarget target = NewArchive();
    const auto batch = static_cast<std::int32_t>(state.range(0));
    std::int32_t first = 0;
    for (auto _ : state) {
        // Record numbers wrap at 62001; the minute keeps every record new.
        state.PauseTiming();
        std::vector<TArchivedRecord> records;
        for (std::int32_t i = 0; i < batch; ++i) {
            records.push_back(ArchiveTest::Record((first + i) % 62001, first + i));
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            target.Archive->AddRecords(target.Instrument, target.Download, records));
        first += batch;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * batch);
}
BENCHMARK(BM_AddNewRecords)
    ->Arg(50)
    ->Arg(250)
    ->Arg(1000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_AddRecordsAlreadyStored(benchmark::State& state) {
    if (!Server().Available()) {
        state.SkipWithError(Server().SkipReason().c_str());
        return;
    }
    TTarget target = NewArchive();
    const auto batch = static_cast<std::int32_t>(state.range(0));
    const std::vector<TArchivedRecord> records = ArchiveTest::Records(0, batch);
    target.Archive->AddRecords(target.Instrument, target.Download, records);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            target.Archive->AddRecords(target.Instrument, target.Download, records));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * batch);
}
BENCHMARK(BM_AddRecordsAlreadyStored)->Arg(250)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ReadPagesByTime(benchmark::State& state) {
    if (!Server().Available()) {
        state.SkipWithError(Server().SkipReason().c_str());
        return;
    }
    TTarget target = NewArchive();
    for (std::int32_t first = 0; first < 50000; first += 1000) {
        target.Archive->AddRecords(target.Instrument, target.Download,
                                   ArchiveTest::Records(first, 1000));
    }
    std::int64_t offset = 0;
    for (auto _ : state) {
        const auto page = target.Archive->ReadRecords({}, offset, 200);
        offset = page.size() == 200 ? offset + 200 : 0;
        benchmark::DoNotOptimize(page.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 200);
}
BENCHMARK(BM_ReadPagesByTime)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
