// TRecordGenerator: the deterministic contents of the simulated log's records.
//
// A record's registers are a function of the seed and of the record's time stamp alone, so
// the same seed always gives the same log, and a record written later at the same position
// (after the log wrapped) gets new contents. The values are plausible for a particle
// counter: nine channels whose counts fall with the channel's particle size, now and then a
// burst that lifts the small channels above 65535 (so the high words are used), the total as
// the sum of the channels, parts per billion with hundredths, flow rate and conditions in
// narrow ranges.
//
// A plain value object: any thread, no shared state.
#pragma once

#include "RecordLayout.h"
#include "RecordTime.h"

#include <array>
#include <cstdint>

namespace SondrelSim {

using TRecordBlock = std::array<std::uint16_t, kBlockSize>;

// The decoded quantities of one sample, before they are spread over the registers.
struct TSample {
    std::array<std::uint32_t, kChannelCount> Counts{};
    std::array<std::uint32_t, kChannelCount> PpbHundredths{};
    std::uint16_t CellCondition = 0;
    std::uint16_t LaserCondition = 0;
    std::uint16_t FlowRate = 0;
};

class TRecordGenerator {
public:
    explicit TRecordGenerator(std::uint64_t seed) : FSeed(seed) {}

    std::uint64_t Seed() const { return FSeed; }

    // The sample taken at a time stamp.
    TSample SampleAt(TRecordTime time) const;

    // The block of a record that holds data: state word 0, the record number, the time
    // stamp, the sample, and filler for the offsets the download does not decode.
    TRecordBlock FilledBlock(int recordNumber, TRecordTime time) const;

    // The block of an empty record: state word 65535 and every other register 65535 (like
    // erased memory), except the high words of the counts, which are 0, so that the counts of
    // an empty record read as 65535 through the display formula.
    static TRecordBlock EmptyBlock();

private:
    std::uint64_t Hash(TRecordTime time, std::uint64_t salt) const;

    std::uint64_t FSeed;
};

} // namespace SondrelSim
