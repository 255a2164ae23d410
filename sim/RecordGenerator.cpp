#include "RecordGenerator.h"

#include <algorithm>

namespace SondrelSim {

namespace {

// The finaliser of the SplitMix64 generator: a cheap, well-mixed 64-bit hash.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Per mille of channel 1's count expected in each channel: counts fall with particle size.
constexpr std::array<std::uint32_t, kChannelCount> kChannelShare = {1000, 450, 210, 95, 40,
                                                                    16,   6,   2,   1};
// Relative particle volume per channel, which turns counts into parts per billion.
constexpr std::array<std::uint32_t, kChannelCount> kVolumeWeight = {1,   3,    8,    40,   180,
                                                                    700, 2400, 6800, 30000};

// Salts that keep the hashed quantities of one sample independent of each other.
enum : std::uint64_t {
    kSaltBase = 1,
    kSaltBurst,
    kSaltBurstSize,
    kSaltCell,
    kSaltLaser,
    kSaltFlow,
    kSaltChannel = 100,
    kSaltFiller = 200,
};

void PutCounts(TRecordBlock& block, int highOffset, std::uint32_t count) {
    block[static_cast<std::size_t>(highOffset)] =
        static_cast<std::uint16_t>(count / kCountsWordBase);
    block[static_cast<std::size_t>(highOffset + 1)] =
        static_cast<std::uint16_t>(count % kCountsWordBase);
}

bool IsDecodedOffset(int offset) {
    return offset == kStateWord || offset == kRecordNumber ||
           (offset >= kYear && offset <= kMinute) ||
           (offset >= kCellCondition && offset <= kFlowRate) ||
           (offset >= ChannelCountsHigh(1) && offset <= kTotalCountsLow) ||
           (offset >= PpbInteger(1) && offset <= PpbHundredths(kChannelCount));
}

} // namespace

std::uint64_t TRecordGenerator::Hash(TRecordTime time, std::uint64_t salt) const {
    return Mix(Mix(FSeed ^ Mix(static_cast<std::uint64_t>(time.Minutes()))) + salt);
}

TSample TRecordGenerator::SampleAt(TRecordTime time) const {
    TSample sample;
    // Channel 1 usually sees 2000..40000 particles a minute; one minute in five a burst
    // multiplies that by 2..5, which often passes 65535.
    std::uint32_t base = 2000 + static_cast<std::uint32_t>(Hash(time, kSaltBase) % 38000);
    if (Hash(time, kSaltBurst) % 5 == 0) {
        base *= 2 + static_cast<std::uint32_t>(Hash(time, kSaltBurstSize) % 4);
    }
    std::uint32_t previous = UINT32_MAX;
    for (int k = 0; k < kChannelCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        // +-10 % jitter per channel, never above the smaller channel before it.
        const auto jitter = static_cast<std::uint32_t>(Hash(time, kSaltChannel + i) % 201);
        const std::uint64_t expected = std::uint64_t{base} * kChannelShare[i] / 1000;
        auto count = static_cast<std::uint32_t>(expected * (900 + jitter) / 1000);
        count = std::min(count, previous);
        if (k == 0 && count == kCountsWordBase) {
            // 65535 in channel 1 is how the download marks an empty record: avoid it.
            count += 1;
        }
        sample.Counts[i] = count;
        sample.PpbHundredths[i] = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{count} * kVolumeWeight[i] / 1000, 6553599));
        previous = count;
    }
    sample.CellCondition = static_cast<std::uint16_t>(90 + Hash(time, kSaltCell) % 11);
    sample.LaserCondition = static_cast<std::uint16_t>(95 + Hash(time, kSaltLaser) % 6);
    sample.FlowRate = static_cast<std::uint16_t>(278 + Hash(time, kSaltFlow) % 11);
    return sample;
}

TRecordBlock TRecordGenerator::FilledBlock(int recordNumber, TRecordTime time) const {
    TRecordBlock block{};
    // Filler: 12-bit readings (analog inputs, sensor status) for the offsets of the record
    // that the download stores but does not show; 0 beyond the used registers, and 0 at
    // offset 2 (high word of the record number) and 8 (seconds of the time stamp).
    for (int offset = 9; offset < kUsedRegisters; ++offset) {
        if (!IsDecodedOffset(offset)) {
            block[static_cast<std::size_t>(offset)] = static_cast<std::uint16_t>(
                Hash(time, kSaltFiller + static_cast<std::uint64_t>(offset)) % 4096);
        }
    }
    block[kStateWord] = 0;
    block[kRecordNumber] = static_cast<std::uint16_t>(recordNumber);
    block[kYear] = static_cast<std::uint16_t>(time.Year());
    block[kMonth] = static_cast<std::uint16_t>(time.Month());
    block[kDay] = static_cast<std::uint16_t>(time.Day());
    block[kHour] = static_cast<std::uint16_t>(time.Hour());
    block[kMinute] = static_cast<std::uint16_t>(time.Minute());

    const TSample sample = SampleAt(time);
    block[kCellCondition] = sample.CellCondition;
    block[kLaserCondition] = sample.LaserCondition;
    block[kFlowRate] = sample.FlowRate;
    std::uint32_t total = 0;
    for (int k = 1; k <= kChannelCount; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        PutCounts(block, ChannelCountsHigh(k), sample.Counts[i]);
        total += sample.Counts[i];
        block[static_cast<std::size_t>(PpbInteger(k))] =
            static_cast<std::uint16_t>(sample.PpbHundredths[i] / 100);
        block[static_cast<std::size_t>(PpbHundredths(k))] =
            static_cast<std::uint16_t>(sample.PpbHundredths[i] % 100);
    }
    PutCounts(block, kTotalCountsHigh, total);
    return block;
}

TRecordBlock TRecordGenerator::EmptyBlock() {
    TRecordBlock block;
    block.fill(65535);
    for (int k = 1; k <= kChannelCount; ++k) {
        block[static_cast<std::size_t>(ChannelCountsHigh(k))] = 0;
    }
    block[kTotalCountsHigh] = 0;
    return block;
}

} // namespace SondrelSim
