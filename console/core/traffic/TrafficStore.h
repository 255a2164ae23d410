// TTrafficStore: the captured rows the traffic view shows, at most Limit() of them; appending
// beyond drops the oldest. Append and TrimToLimit are separate steps so that a Qt model can
// announce the rows it appends at the end and those it removes at the front one after the
// other.
//
// Qt-free; main thread only. A plain value.
#pragma once

#include "TrafficRow.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace Sondrel {

class TTrafficStore {
public:
    static constexpr std::size_t kDefaultLimit = 100000;
    static constexpr std::size_t kMinimumLimit = 100;
    static constexpr std::size_t kMaximumLimit = 10000000;

    explicit TTrafficStore(std::size_t limit = kDefaultLimit) { SetLimit(limit); }

    std::size_t Limit() const { return FLimit; }
    // Clamped to kMinimumLimit .. kMaximumLimit; takes effect at the next TrimToLimit.
    void SetLimit(std::size_t limit);

    std::size_t Count() const { return FRows.size(); }
    const TTrafficRow& Row(std::size_t index) const { return FRows.at(index); }

    void Append(std::vector<TTrafficRow> rows);
    // How many rows TrimToLimit would drop now.
    std::size_t Excess() const { return FRows.size() > FLimit ? FRows.size() - FLimit : 0; }
    void TrimToLimit();
    void Clear() { FRows.clear(); }

private:
    std::size_t FLimit = kDefaultLimit;
    std::deque<TTrafficRow> FRows;
};

} // namespace Sondrel
