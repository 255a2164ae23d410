// The Log Data table over a whole log: 62001 records shown through TRecordListModel in a
// QTableView on the offscreen platform.
//
//   bench_record_view              Google Benchmark run
//   bench_record_view --hold       build a full list and its view once, paint it and exit, for
//                                  /usr/bin/time -v (peak memory of the table on screen)
#include "RecordList.h"
#include "RecordListModel.h"
#include "RecordTable.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

using namespace Sondrel;

namespace {

constexpr std::int32_t kRecords = TRecordItem::RecordSpace; // 62001

// A whole log of plausible records: dates, counts in both words, PPB values; every 50th record
// reads 65535 in "Cnts 1" so that silver rows are drawn too.
void FillList(TRecordList& list) {
    TRecordTable table;
    list.BeginUpdate();
    for (std::int32_t r = 0; r < kRecords; ++r) {
        const int row = r % 1000;
        for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
            table.SetValue(row, c, static_cast<std::uint16_t>((r * 7 + c * 13) % 1000));
        }
        table.SetValue(row, 1, static_cast<std::uint16_t>(r));
        table.SetValue(row, 3, 2014);
        table.SetValue(row, 4, static_cast<std::uint16_t>(1 + r % 12));
        table.SetValue(row, 5, static_cast<std::uint16_t>(1 + r % 28));
        table.SetValue(row, 33, r % 50 == 0 ? 1 : 0);
        if (r % 50 == 0) {
            table.SetValue(row, 34, 0);
        }
        list.Append(*TRecordItem::FromRow(table, row, 0));
    }
    list.EndUpdate();
}

// Paints the whole view (headers, grid, the visible rows' texts and colours) into an image,
// as a screen update would; unlike repaint() this does not depend on the offscreen window
// having been exposed.
void Paint(QTableView& view, QImage& image) {
    image.fill(Qt::white);
    view.render(&image);
}

struct TShownTable {
    TRecordList List;
    std::unique_ptr<TRecordListModel> Model;
    QTableView View;
    QImage Image{1280, 800, QImage::Format_ARGB32_Premultiplied};

    explicit TShownTable(bool fill) {
        if (fill) {
            FillList(List);
        }
        Model = std::make_unique<TRecordListModel>(List);
        SetUpRecordListView(View, *Model);
        View.resize(1280, 800);
        View.show();
        Paint(View, Image);
    }
};

// A view over an already full list: model, view set-up, first paint.
void BM_ShowFullList(benchmark::State& state) {
    TRecordList list;
    FillList(list);
    for (auto _ : state) {
        TRecordListModel model(list);
        QTableView view;
        SetUpRecordListView(view, model);
        view.resize(1280, 800);
        view.show();
        QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
        Paint(view, image);
        benchmark::DoNotOptimize(view.model()->rowCount());
    }
}
BENCHMARK(BM_ShowFullList)->Unit(benchmark::kMillisecond);

// A download's import under a visible view: 62001 items appended, in passes of 2000 records
// (each pass one update bracket), the view repainted after every pass.
void BM_ImportWhileShown(benchmark::State& state) {
    for (auto _ : state) {
        TShownTable table(false);
        TRecordTable records;
        for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
            records.SetValue(0, c, 1);
        }
        for (std::int32_t first = 0; first < kRecords; first += 2000) {
            table.List.BeginUpdate();
            for (std::int32_t r = first; r < std::min(first + 2000, kRecords); ++r) {
                records.SetValue(0, 1, static_cast<std::uint16_t>(r));
                table.List.Append(*TRecordItem::FromRow(records, 0, 0));
            }
            table.List.EndUpdate();
            Paint(table.View, table.Image);
        }
        benchmark::DoNotOptimize(table.View.model()->rowCount());
    }
}
BENCHMARK(BM_ImportWhileShown)->Unit(benchmark::kMillisecond);

// Scrolling: one page down and a repaint per iteration, wrapping at the end.
void BM_ScrollOnePage(benchmark::State& state) {
    TShownTable table(true);
    QScrollBar& bar = *table.View.verticalScrollBar();
    for (auto _ : state) {
        const int next = bar.value() + bar.pageStep();
        bar.setValue(next > bar.maximum() ? 0 : next);
        Paint(table.View, table.Image);
    }
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMicrosecond);

// Jumps to far-apart positions (dragging the scroll bar): a repaint per jump.
void BM_ScrollJump(benchmark::State& state) {
    TShownTable table(true);
    QScrollBar& bar = *table.View.verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        step = (step + 7919) % 10007;
        bar.setValue(static_cast<int>(static_cast<long long>(bar.maximum()) * step / 10007));
        Paint(table.View, table.Image);
    }
}
BENCHMARK(BM_ScrollJump)->Unit(benchmark::kMicrosecond);

// The sort at the end of a download resets the model under the view.
void BM_SortWhileShown(benchmark::State& state) {
    TShownTable table(true);
    for (auto _ : state) {
        table.List.SortAndRemoveDuplicates();
        Paint(table.View, table.Image);
    }
}
BENCHMARK(BM_SortWhileShown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--hold") == 0) {
        TShownTable table(true);
        table.View.scrollToBottom();
        Paint(table.View, table.Image);
        return table.View.model()->rowCount() == kRecords ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
