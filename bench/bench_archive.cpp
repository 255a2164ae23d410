// The archive in numbers: how fast records go into the SQLite file and how large it grows,
// and the Archive tab's table over a million records (the record table's model reading pages
// of the range from the file, in a QTableView on the offscreen platform).
//
//   bench_archive                      Google Benchmark run: inserts in the writer's batches;
//                                      a 1 000 000-record range opened, first paint, scrolling
//   bench_archive --make FILE N        write an archive of N records (one instrument, one
//                                      record a minute) to FILE, for `sondrel-cli archive
//                                      export` under /usr/bin/time -v
//   bench_archive --view FILE          open FILE's whole range as the Archive tab does (the
//                                      instrument list, the range's rows), paint it,
//                                      scroll to the middle and the end painting each, print the
//                                      times and exit: /usr/bin/time -v gives the peak memory
#include "ArchiveRecordRows.h"
#include "ArchiveTestSupport.h"
#include "RecordListModel.h"
#include "SqliteArchive.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

using namespace Sondrel;

namespace {

constexpr std::int32_t kBatch = 250; // about what the writer commits at a fast line's pace
constexpr std::int64_t kViewRecords = 1000000;

// Writes count records, record i numbered i % 62001 and dated minute i, in batches.
void WriteRecords(TSqliteArchive& archive, std::int64_t count, std::int64_t firstMinute = 0) {
    const std::int64_t instrument = archive.EnsureInstrument(ArchiveTest::Instrument());
    TDownloadRecord download;
    download.InstrumentId = instrument;
    download.Kind = kDownloadWhole;
    download.StartedAt = "2024-01-01T00:00:00Z";
    const std::int64_t id = archive.BeginDownload(download);
    std::vector<TArchivedRecord> batch;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t minute = firstMinute + i;
        batch.push_back(ArchiveTest::Record(static_cast<std::int32_t>(minute % 62001), minute));
        if (batch.size() == kBatch || i + 1 == count) {
            archive.AddRecords(instrument, id, batch);
            batch.clear();
        }
    }
}

// Records into a new archive in the writer's batches; file size per record as a counter.
void BM_Insert(benchmark::State& state) {
    const std::int64_t records = state.range(0);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ExportTest::TTempFolder folder;
        const std::string path = folder.File("archive.sqlite");
        {
            TSqliteArchive archive(path, path);
            state.ResumeTiming();
            WriteRecords(archive, records);
            state.PauseTiming();
        }
        bytes = 0;
        for (const char* suffix : {"", "-wal"}) {
            std::error_code error;
            const auto size = std::filesystem::file_size(path + suffix, error);
            bytes += error ? 0 : static_cast<std::int64_t>(size);
        }
        state.ResumeTiming();
    }
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(records * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes/record"] = static_cast<double>(bytes) / static_cast<double>(records);
}
BENCHMARK(BM_Insert)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The Archive tab's table over the whole range of an archive: its read-only store, the paged
// rows, the record table's model and a view of the tab's size.
struct TShownRange {
    explicit TShownRange(const std::string& path) : Store(OpenReadOnly(path)), Rows(*Store) {
        Rows.SetQuery({});
        View.resize(1200, 700);
        SetUpRecordListView(View, Model, 1);
    }
    static std::unique_ptr<TSqliteArchive> OpenReadOnly(const std::string& path) {
        TSqliteArchiveOptions options;
        options.ReadOnly = true;
        return std::make_unique<TSqliteArchive>(path, path, options);
    }
    // Paints the whole view into an image, as a screen update would.
    void Paint() {
        Image.fill(Qt::white);
        View.render(&Image);
        benchmark::DoNotOptimize(Image.bits());
    }
    void ScrollTo(double fraction) {
        QScrollBar& bar = *View.verticalScrollBar();
        bar.setValue(static_cast<int>(bar.maximum() * fraction));
        Paint();
    }

    std::unique_ptr<TSqliteArchive> Store;
    TArchiveRecordRows Rows;
    TRecordListModel Model{Rows};
    QTableView View;
    QImage Image{1200, 700, QImage::Format_ARGB32};
};

// One million-record archive for the view benchmarks, made on first use.
const std::string& MillionArchive() {
    static ExportTest::TTempFolder folder;
    static const std::string path = [] {
        const std::string file = folder.File("million.sqlite");
        TSqliteArchive archive(file, file);
        WriteRecords(archive, kViewRecords);
        return file;
    }();
    return path;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Opening the range and painting its first screen.
void BM_OpenAndFirstPaint(benchmark::State& state) {
    const std::string& path = MillionArchive();
    for (auto _ : state) {
        TShownRange shown(path);
        shown.Paint();
    }
}
BENCHMARK(BM_OpenAndFirstPaint)->Unit(benchmark::kMillisecond);

// A scroll to a new place in the range and the paint that follows, jumping by pages.
void BM_ScrollAndPaint(benchmark::State& state) {
    TShownRange shown(MillionArchive());
    int step = 0;
    for (auto _ : state) {
        // Forward through the range in jumps of about 8% (a page of the database each time).
        step = (step + 7919) % 100000;
        shown.ScrollTo(step / 100000.0);
    }
}
BENCHMARK(BM_ScrollAndPaint)->Unit(benchmark::kMillisecond);

int Make(const std::string& path, std::int64_t count) {
    std::filesystem::remove(path);
    const auto start = std::chrono::steady_clock::now();
    {
        TSqliteArchive archive(path, path);
        WriteRecords(archive, count);
    }
    const double ms = Ms(std::chrono::steady_clock::now() - start);
    const auto bytes = std::filesystem::file_size(path);
    std::printf("%lld records in %.0f ms (%.0f records/s), %llu bytes (%.1f bytes/record)\n",
                static_cast<long long>(count), ms, static_cast<double>(count) * 1000.0 / ms,
                static_cast<unsigned long long>(bytes),
                static_cast<double>(bytes) / static_cast<double>(count));
    return 0;
}

int View(const std::string& path) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    TShownRange shown(path);
    // The tab lists the instruments with their counts and first and last records first.
    const auto listed = Clock::now();
    const std::size_t instruments = shown.Store->Instruments().size();
    const double listMs = Ms(Clock::now() - listed);
    shown.Paint();
    std::printf("%d rows; first paint after %.1f ms, of which %.1f ms listing %zu instruments\n",
                shown.Model.rowCount(), Ms(Clock::now() - start), listMs, instruments);
    for (const double at : {0.5, 1.0, 0.25}) {
        const auto before = Clock::now();
        shown.ScrollTo(at);
        std::printf("scrolled to %.0f%% and painted in %.1f ms\n", at * 100,
                    Ms(Clock::now() - before));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && std::strcmp(argv[1], "--make") == 0) {
        return Make(argv[2], std::stoll(argv[3]));
    }
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--view") == 0) {
        return View(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
