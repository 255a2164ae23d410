#include "RowList.h"

namespace Sondrel {

void TRowList::Add(std::int32_t key) {
    if (key < 0 || key >= KeyCount) {
        return;
    }
    FOrder.push_back(key);
    FMembers.set(static_cast<std::size_t>(key));
}

bool TRowList::Contains(std::int32_t key) const {
    return key >= 0 && key < KeyCount && FMembers.test(static_cast<std::size_t>(key));
}

void TRowList::Clear() {
    // Clearing only the keys that were added keeps a clear of a short list cheap.
    for (const std::int32_t key : FOrder) {
        FMembers.reset(static_cast<std::size_t>(key));
    }
    FOrder.clear();
}

std::int32_t TRowList::operator[](std::int32_t i) const {
    return i >= 0 && i < Count() ? FOrder[static_cast<std::size_t>(i)] : Free;
}

} // namespace Sondrel
