// The instrument's register map and the layout of one log record block, as the simulated
// instrument presents them. Offsets are positions inside the block read from register 256.
#pragma once

#include <cstdint>

namespace SondrelSim {

// --- The circular log ----------------------------------------------------------------------
inline constexpr int kRecordCount = 62001; // record numbers 0..62000
inline constexpr int kLastRecordNumber = kRecordCount - 1;
inline constexpr int kChannelCount = 9;

// --- One record block ----------------------------------------------------------------------
inline constexpr int kBlockSize = 104;    // registers returned for one record
inline constexpr int kUsedRegisters = 84; // of which the download decodes these
inline constexpr std::uint16_t kEmptyState = 65535;

inline constexpr int kStateWord = 0;
inline constexpr int kRecordNumber = 1;
inline constexpr int kYear = 3;
inline constexpr int kMonth = 4;
inline constexpr int kDay = 5;
inline constexpr int kHour = 6;
inline constexpr int kMinute = 7;
inline constexpr int kCellCondition = 13;
inline constexpr int kLaserCondition = 14;
inline constexpr int kFlowRate = 15;
inline constexpr int kTotalCountsHigh = 51;
inline constexpr int kTotalCountsLow = 52;

// Channel k = 1..9.
constexpr int ChannelCountsHigh(int k) {
    return 31 + 2 * k;
}
constexpr int ChannelCountsLow(int k) {
    return 32 + 2 * k;
}
constexpr int PpbInteger(int k) {
    return 62 + 2 * k;
}
constexpr int PpbHundredths(int k) {
    return 63 + 2 * k;
}

// Counts are split so that the download's display formula, high x 65535 + low (65535, not
// 65536), gives the count back exactly: high = count / 65535, low = count % 65535.
inline constexpr std::uint32_t kCountsWordBase = 65535;

// --- Holding registers ---------------------------------------------------------------------
inline constexpr std::uint16_t kRegCurrentHigh = 2;
inline constexpr std::uint16_t kRegCurrentLow = 3;
inline constexpr std::uint16_t kRegSearchResult = 230;
inline constexpr std::uint16_t kRegOutputA = 243;
inline constexpr std::uint16_t kRegOutputB = 244;
inline constexpr std::uint16_t kRegModbusMode = 245;
inline constexpr std::uint16_t kRegCommand = 246;
inline constexpr std::uint16_t kRegErase = 249;
inline constexpr std::uint16_t kRegSearchMonth = 250;
inline constexpr std::uint16_t kRegSearchDay = 251;
inline constexpr std::uint16_t kRegSearchHour = 252;
inline constexpr std::uint16_t kRegSearchMinute = 253;
inline constexpr std::uint16_t kRegRecordPointer = 254;
inline constexpr std::uint16_t kRegNthRecord = 255;
inline constexpr std::uint16_t kRegBlockStart = 256;
// The last readable register: the end of the record block window.
inline constexpr std::uint16_t kRegLast = kRegBlockStart + kBlockSize - 1;

inline constexpr std::uint16_t kCommandStopAcquisition = 10;
inline constexpr std::uint16_t kCommandStartAcquisition = 11;
inline constexpr std::uint16_t kModbusModeValue = 85;
inline constexpr std::uint16_t kEraseValue = 1;
inline constexpr std::uint16_t kNotFound = 65535;

// The channel size table: a read of this many registers at 256 while output selection A is 1
// and B is 0.
inline constexpr int kSizeTableCount = 88;

} // namespace SondrelSim
