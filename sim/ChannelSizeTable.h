// TChannelSizeTable: the instrument's channel size table, the 88 registers that a read at
// register 256 returns while the size table is selected.
//
// Layout (registers as offsets in the table):
//   0        number of channels (9)
//   1        size unit: 1 = nanometres
//   17 + 2i  lower size bound of channel i + 1 (i = 0..8)
//   18 + 2i  upper size bound of channel i + 1
// A channel's upper bound is the next channel's lower bound. The last channel is open-ended:
// its bound pair (33, 34) holds 0 and 35 holds 0, so that a client that captions the channels
// from the triples (lower a = 17 + 2i, upper u = 18 + 2i, next lower b = 19 + 2i) shows
// "300-500 cnts" up to "7000-10000 cnts" and "> 10000 cnts" for channel 9. Every other
// register holds 0.
//
// Stateless; any thread.
#pragma once

#include <array>
#include <cstdint>

#include "RecordLayout.h"

namespace SondrelSim {

using TSizeTableRegisters = std::array<std::uint16_t, kSizeTableCount>;

class TChannelSizeTable {
public:
    static constexpr int kChannelCountOffset = 0;
    static constexpr int kUnitOffset = 1;
    static constexpr int kFirstBoundOffset = 17;
    static constexpr std::uint16_t kUnitNanometres = 1;

    // Channel bounds in nanometres: channel k covers Bounds[k-1] .. Bounds[k]; channel 9
    // is everything above Bounds[8].
    static constexpr std::array<std::uint16_t, kChannelCount> kBounds = {
        300, 500, 700, 1000, 2000, 3000, 5000, 7000, 10000};

    static TSizeTableRegisters Registers();
};

} // namespace SondrelSim
