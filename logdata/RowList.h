// An arrival-ordered list of row (record) numbers with constant-time membership.
//
// The download keeps several such lists: the rows stored by the current pass (in the order the
// replies arrived), the rows already imported into the record list, and the record indexes
// present in the list. Each needs both its order and a fast "is n in it" test; a 65536-bit set
// beside the ordered entries answers the test without scanning.
//
// Keys outside 0..65535 (such as the -999 "free" marker) are never members and are not stored.
//
// Threads: main thread only. Appending while another caller walks the list by index is safe
// (the walk sees the new entries); iterators are not offered for that reason.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

namespace Sondrel {

class TRowList {
public:
    static constexpr std::int32_t KeyCount = 65536;
    // The value of an entry that does not exist.
    static constexpr std::int32_t Free = -999;

    // Appends key in arrival order (duplicates are kept in the order list).
    void Add(std::int32_t key);
    bool Contains(std::int32_t key) const;
    void Clear();

    std::int32_t Count() const { return static_cast<std::int32_t>(FOrder.size()); }
    // Entry i in arrival order, or Free when i is out of range.
    std::int32_t operator[](std::int32_t i) const;

private:
    std::vector<std::int32_t> FOrder;
    std::bitset<KeyCount> FMembers;
};

} // namespace Sondrel
