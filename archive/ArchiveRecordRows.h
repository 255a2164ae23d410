// TArchiveRecordRows: a range of the archive as record rows (TRecordRows), read page by page,
// so that a view or an export of a million records never copies them all. The record table's
// item model shows it and the exports write it, as they do the download's list.
//
// The rows are those of the query (instrument, date-time range, order). A header click sorts
// them by its column (Sort). The Index column numbers the rows of the range from 1.
// Pages of PageSize records are read when first needed and the last few are kept; reading the
// rows in order (an export, scrolling down) continues each page from the one before.
//
// A failure to read (the archive went away, another program locked it) leaves the rows empty
// and is kept for TakeError.
//
// Threads: main thread. Borrows the store (a connection of the main thread's own), which must
// outlive it.
#pragma once

#include "ArchiveStore.h"
#include "RecordRows.h"

#include <list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

class TArchiveRecordRows : public TRecordRows {
public:
    static constexpr std::int32_t PageSize = 512;
    static constexpr std::size_t KeptPages = 8;

    explicit TArchiveRecordRows(IArchiveStore& store);

    // The rows of another range; views are reset.
    void SetQuery(const TRecordQuery& query);
    const TRecordQuery& Query() const { return FQuery; }

    std::int32_t Count() const override { return FCount; }
    std::string Text(std::int32_t row, std::int32_t column) const override;
    bool IsSilver(std::int32_t row) const override;
    bool Sort(std::int32_t column, bool ascending) override;

    // The error of the last failed read since the last call, or nothing.
    std::optional<std::string> TakeError();

private:
    const TRecordItem* Item(std::int32_t row) const;
    void Reload();

    IArchiveStore& FStore;
    TRecordQuery FQuery;
    std::int32_t FCount = 0;
    // Pages by number, and the order they were used in (most recent first).
    mutable std::map<std::int32_t, std::vector<TRecordItem>> FPages;
    mutable std::list<std::int32_t> FRecent;
    mutable std::optional<std::string> FError;
};

} // namespace Sondrel
