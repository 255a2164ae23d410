#include "ArchiveTrend.h"

namespace Sondrel {

namespace {

constexpr std::int32_t kPageSize = 4096;

} // namespace

TTrendData LoadArchiveTrend(IArchiveStore& store, TRecordQuery query,
                            const std::function<bool(std::int64_t, std::int64_t)>& progress) {
    const std::int64_t total = store.CountRecords(query);
    TTrendDataBuilder builder;
    std::int64_t done = 0;
    while (done < total) {
        const std::vector<TStoredRecord> records = store.ReadRecords(query, done, kPageSize);
        if (records.empty()) {
            break; // records deleted while reading: what is there has been read
        }
        for (const TStoredRecord& record : records) {
            const auto row = static_cast<std::int32_t>(done);
            const auto item = TRecordItem::FromRegisters(record.Registers, record.RecordNumber, 0);
            if (item) {
                builder.Add(*item, row);
            } else {
                builder.Add(TRecordItem(), row); // a damaged record has no place in time
            }
            ++done;
        }
        if (progress && !progress(done, total)) {
            break;
        }
    }
    return builder.Finish();
}

} // namespace Sondrel
