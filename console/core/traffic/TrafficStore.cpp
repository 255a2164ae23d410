#include "TrafficStore.h"

#include <algorithm>

namespace Sondrel {

void TTrafficStore::SetLimit(std::size_t limit) {
    FLimit = std::clamp(limit, kMinimumLimit, kMaximumLimit);
}

void TTrafficStore::Append(std::vector<TTrafficRow> rows) {
    for (auto& row : rows) {
        FRows.push_back(std::move(row));
    }
}

void TTrafficStore::TrimToLimit() {
    const std::size_t excess = Excess();
    FRows.erase(FRows.begin(), FRows.begin() + static_cast<std::ptrdiff_t>(excess));
}

} // namespace Sondrel
