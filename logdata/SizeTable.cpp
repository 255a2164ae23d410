#include "SizeTable.h"

#include <algorithm>

namespace Sondrel {

namespace {

// The list column of channel 1's counts and of channel 1's PPB.
constexpr std::int32_t kFirstCountsColumn = 3;
constexpr std::int32_t kFirstPpbColumn = 13;

} // namespace

void TSizeTable::Clear() {
    FData.fill(std::nullopt);
}

void TSizeTable::Store(const std::vector<std::uint16_t>& registers) {
    Clear();
    const std::size_t n = std::min<std::size_t>(registers.size(), Size);
    for (std::size_t i = 0; i < n; ++i) {
        FData[i] = registers[i];
    }
}

std::string TSizeTable::Text(std::int32_t i) const {
    if (i < 0 || i >= Size || !FData[static_cast<std::size_t>(i)]) {
        return {};
    }
    return std::to_string(*FData[static_cast<std::size_t>(i)]);
}

void TSizeTable::ApplyCaptions(TRecordList& list) const {
    if (IsEmpty()) {
        return;
    }
    for (std::int32_t i = 0; i <= 8; ++i) {
        const auto& a = FData[static_cast<std::size_t>(17 + 2 * i)];
        const auto& u = FData[static_cast<std::size_t>(18 + 2 * i)];
        const auto& b = FData[static_cast<std::size_t>(19 + 2 * i)];
        if (!a || !u || !b) {
            continue; // a short reply: nothing to describe this channel with
        }
        const std::string lower = std::to_string(*a);
        const std::string upper = std::to_string(*u);
        const std::int32_t counts = kFirstCountsColumn + i;
        const std::int32_t ppb = kFirstPpbColumn + i;
        if (*a > 0 && *b > 0) {
            const std::string range = lower + "-" + std::to_string(*b);
            list.SetColumnCaption(counts, range + " cnts");
            list.SetColumnCaption(ppb, range + " ppb");
        } else if (i < 8 && *a > 0 && *b == 0) {
            list.SetColumnCaption(counts, lower + "-" + upper + " cnts");
            list.SetColumnCaption(counts + 1, "> " + upper + " cnts");
            list.SetColumnCaption(ppb, lower + "-" + upper + " ppb");
            list.SetColumnCaption(ppb + 1, "> " + upper + " ppb");
        }
    }
}

} // namespace Sondrel
