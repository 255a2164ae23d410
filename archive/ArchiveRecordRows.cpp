#include "ArchiveRecordRows.h"

#include <algorithm>
#include <limits>

namespace Sondrel {

TArchiveRecordRows::TArchiveRecordRows(IArchiveStore& store) : FStore(store) {}

void TArchiveRecordRows::SetQuery(const TRecordQuery& query) {
    FQuery = query;
    Reload();
}

bool TArchiveRecordRows::Sort(std::int32_t column, bool ascending) {
    if (column < 0 || column >= ColumnCount) {
        return false;
    }
    FQuery.OrderColumn = column;
    FQuery.Ascending = ascending;
    Reload();
    return true;
}

void TArchiveRecordRows::Reload() {
    BeginReset();
    FPages.clear();
    FRecent.clear();
    try {
        const std::int64_t count = FStore.CountRecords(FQuery);
        FCount = static_cast<std::int32_t>(
            std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max()));
    } catch (const std::exception& e) {
        FCount = 0;
        FError = e.what();
    }
    EndReset();
}

const TRecordItem* TArchiveRecordRows::Item(std::int32_t row) const {
    if (row < 0 || row >= FCount) {
        return nullptr;
    }
    const std::int32_t number = row / PageSize;
    auto page = FPages.find(number);
    if (page == FPages.end()) {
        std::vector<TRecordItem> items;
        try {
            const std::int64_t first = std::int64_t{number} * PageSize;
            const auto records = FStore.ReadRecords(FQuery, first, PageSize);
            items.reserve(records.size());
            for (std::size_t i = 0; i < records.size(); ++i) {
                auto item =
                    TRecordItem::FromRegisters(records[i].Registers, records[i].RecordNumber, 0);
                if (!item) {
                    item = TRecordItem(); // a damaged record shows as an empty row
                }
                item->SetSequence(static_cast<std::int32_t>(first + static_cast<std::int64_t>(i)) +
                                  1);
                items.push_back(*item);
            }
        } catch (const std::exception& e) {
            FError = e.what();
            return nullptr;
        }
        if (FPages.size() >= KeptPages) {
            FPages.erase(FRecent.back());
            FRecent.pop_back();
        }
        page = FPages.emplace(number, std::move(items)).first;
        FRecent.push_front(number);
    } else if (FRecent.front() != number) {
        FRecent.remove(number);
        FRecent.push_front(number);
    }
    const auto index = static_cast<std::size_t>(row % PageSize);
    return index < page->second.size() ? &page->second[index] : nullptr;
}

std::string TArchiveRecordRows::Text(std::int32_t row, std::int32_t column) const {
    const TRecordItem* item = Item(row);
    return item != nullptr ? item->Text(column) : std::string();
}

bool TArchiveRecordRows::IsSilver(std::int32_t row) const {
    const TRecordItem* item = Item(row);
    return item != nullptr && item->IsSilver();
}

std::optional<std::string> TArchiveRecordRows::TakeError() {
    std::optional<std::string> error = std::move(FError);
    FError.reset();
    return error;
}

} // namespace Sondrel
