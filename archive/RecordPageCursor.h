// TRecordPageCursor: where the previous page of a date-time ordered read ended, so that a read
// of the page right after it starts from its last row by the index instead of skipping the
// rows of every page before it (which made the export of a long range quadratic).
#pragma once

#include "ArchiveTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

struct TRecordPageEnd {
    TRecordQuery Query;
    std::int64_t NextOffset = 0;
    std::string RecordedAt;
    std::int64_t InstrumentId = 0;
    std::int64_t RecordNumber = 0;
};

class TRecordPageCursor {
public:
    // The end of the previous page when a read of query at offset continues it, else null.
    const TRecordPageEnd* Continued(const TRecordQuery& query, std::int64_t offset) const;
    // Remembers where the page read for query at offset ended; an empty page forgets it.
    void Advance(const TRecordQuery& query, std::int64_t offset,
                 const std::vector<TStoredRecord>& records);

private:
    std::optional<TRecordPageEnd> FEnd;
};

} // namespace Sondrel
