#include "ChannelSizeTable.h"

namespace SondrelSim {

TSizeTableRegisters TChannelSizeTable::Registers() {
    TSizeTableRegisters table{};
    table[kChannelCountOffset] = kChannelCount;
    table[kUnitOffset] = kUnitNanometres;
    // Channels 1..8 have both bounds; channel 9 (open-ended) leaves its pair at 0.
    for (std::size_t i = 0; i + 1 < kBounds.size(); ++i) {
        table[kFirstBoundOffset + 2 * i] = kBounds[i];
        table[kFirstBoundOffset + 2 * i + 1] = kBounds[i + 1];
    }
    return table;
}

} // namespace SondrelSim
