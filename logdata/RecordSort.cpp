#include "RecordSort.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace Sondrel {

std::vector<std::int32_t> SortedRows(const TRecordList& list, std::int32_t column,
                                     bool descending) {
    struct TKeyed {
        std::int32_t Row;
        std::optional<std::int64_t> Key;
    };
    std::vector<TKeyed> keyed;
    keyed.reserve(static_cast<std::size_t>(list.Count()));
    for (std::int32_t row = 0; row < list.Count(); ++row) {
        keyed.push_back({row, list.Item(row).SortKey(column)});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const TKeyed& a, const TKeyed& b) {
        if (!a.Key || !b.Key) {
            return a.Key.has_value() && !b.Key.has_value();
        }
        return descending ? *a.Key > *b.Key : *a.Key < *b.Key;
    });
    std::vector<std::int32_t> rows;
    rows.reserve(keyed.size());
    for (const TKeyed& k : keyed) {
        rows.push_back(k.Row);
    }
    return rows;
}

} // namespace Sondrel
