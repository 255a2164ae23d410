#include "RecordPageCursor.h"

namespace Sondrel {

const TRecordPageEnd* TRecordPageCursor::Continued(const TRecordQuery& query,
                                                   std::int64_t offset) const {
    if (FEnd && FEnd->Query == query && FEnd->NextOffset == offset) {
        return &*FEnd;
    }
    return nullptr;
}

void TRecordPageCursor::Advance(const TRecordQuery& query, std::int64_t offset,
                                const std::vector<TStoredRecord>& records) {
    if (records.empty()) {
        FEnd.reset();
        return;
    }
    const TStoredRecord& last = records.back();
    FEnd = TRecordPageEnd{query, offset + static_cast<std::int64_t>(records.size()),
                          last.RecordedAt, last.InstrumentId, last.RecordNumber};
}

} // namespace Sondrel
