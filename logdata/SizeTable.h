// The instrument's channel size table and the column captions it gives the record list.
//
// The whole-log download reads the table as one 88-register block; its first 45 registers are
// kept (SizeData). Register 17 + 2i, 18 + 2i and 19 + 2i describe channel i (0..8): the lower
// size a, the upper size u and the next channel's lower size b. From them the captions of the
// channel's own count and PPB columns (list columns i + 3 and i + 13) are rewritten:
// - a > 0 and b > 0: "a-b cnts" and "a-b ppb";
// - i < 8, a > 0 and b = 0 (the last channel in use): "a-u cnts" and "a-u ppb", and the next
//   columns (i + 4 and i + 14) read "> u cnts" and "> u ppb";
// - otherwise the channel's columns keep their captions.
//
// Threads: main thread only.
#pragma once

#include "RecordList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

class TSizeTable {
public:
    static constexpr std::int32_t Size = 45;

    void Clear();
    // Keeps registers 0..44 of a reply; a shorter reply leaves the rest empty.
    void Store(const std::vector<std::uint16_t>& registers);
    // The table is empty when its register 17 (the first channel's lower size) is.
    bool IsEmpty() const { return !FData[17].has_value(); }
    // SizeData[i] as decimal text, empty when not read.
    std::string Text(std::int32_t i) const;

    // Rewrites the channel captions of list from the table (nothing when the table is empty).
    void ApplyCaptions(TRecordList& list) const;

private:
    std::array<std::optional<std::uint16_t>, Size> FData{};
};

} // namespace Sondrel
