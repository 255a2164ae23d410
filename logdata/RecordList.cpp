#include "RecordList.h"

#include "RecordSort.h"

#include <algorithm>

namespace Sondrel {

TRecordList::TRecordList() {
    for (std::int32_t c = 0; c < ColumnCount; ++c) {
        FCaptions[static_cast<std::size_t>(c)] = DefaultCaption(c);
    }
}

std::string TRecordList::Text(std::int32_t row, std::int32_t column) const {
    if (row < 0 || row >= Count()) {
        return {};
    }
    return FItems[static_cast<std::size_t>(row)].Text(column);
}

bool TRecordList::IsSilver(std::int32_t row) const {
    return row >= 0 && row < Count() && FItems[static_cast<std::size_t>(row)].IsSilver();
}

TRowOrder TRecordList::OrderBy(std::int32_t column, bool descending) const {
    return SortedRows(*this, column, descending);
}

std::int32_t TRecordList::EmptyCount() const {
    return static_cast<std::int32_t>(std::count_if(
        FItems.begin(), FItems.end(), [](const auto& item) { return item.IsEmpty(); }));
}

const std::string& TRecordList::ColumnCaption(std::int32_t column) const {
    static const std::string kNone;
    return column >= 0 && column < ColumnCount ? FCaptions[static_cast<std::size_t>(column)]
                                               : kNone;
}

void TRecordList::SetColumnCaption(std::int32_t column, std::string caption) {
    if (column < 0 || column >= ColumnCount) {
        return;
    }
    FCaptions[static_cast<std::size_t>(column)] = std::move(caption);
    if (OnCaptionsChanged) {
        OnCaptionsChanged();
    }
}

void TRecordList::Clear() {
    BeginReset();
    FItems.clear();
    FReportedCount = 0;
    EndReset();
}

void TRecordList::Append(const TRecordItem& item) {
    FItems.push_back(item);
    if (FUpdateDepth == 0) {
        NotifyAppended();
    }
}

void TRecordList::BeginUpdate() {
    ++FUpdateDepth;
}

void TRecordList::EndUpdate() {
    if (FUpdateDepth > 0 && --FUpdateDepth == 0) {
        NotifyAppended();
    }
}

void TRecordList::SortAndRemoveDuplicates() {
    BeginReset();
    std::stable_sort(FItems.begin(), FItems.end(), [](const auto& a, const auto& b) {
        return a.RecordIndex() < b.RecordIndex();
    });
    // Walk backwards over each run of equal captions so that the run's last item is kept.
    auto last = std::unique(FItems.rbegin(), FItems.rend(), [](const auto& a, const auto& b) {
        return a.RecordIndex() == b.RecordIndex();
    });
    FItems.erase(FItems.begin(), last.base());
    FReportedCount = Count();
    EndReset();
}

void TRecordList::NotifyAppended() {
    const std::int32_t first = FReportedCount;
    FReportedCount = Count();
    if (FReportedCount > first && OnItemsAppended) {
        OnItemsAppended(first, FReportedCount - first);
    }
}

} // namespace Sondrel
