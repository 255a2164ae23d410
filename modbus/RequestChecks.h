// Argument checks shared by the client's requests and the connection's broadcasts:
// the count first, then the address range (sums in 32 bits, so start 65535 with count 1
// passes and with count 2 fails).
#pragma once

#include <cstddef>
#include <cstdint>

namespace Corvane {

// Largest counts: a write request or a read reply at the limit fills a transaction buffer.
constexpr std::int64_t kMaxReadBits = 2048;
constexpr std::int64_t kMaxWriteBits = 2016;
constexpr std::int64_t kMaxReadRegisters = 128;
constexpr std::int64_t kMaxWriteRegisters = 126;
constexpr std::int64_t kMaxReadWriteRegisters = 124;

void CheckBitRange(std::uint16_t start, std::int64_t count, std::int64_t maxCount);
void CheckRegisterRange(std::uint16_t start, std::int64_t count, std::int64_t maxCount);

inline void CheckMultipleCoilsWrite(std::uint16_t start, std::size_t count) {
    CheckBitRange(start, static_cast<std::int64_t>(count), kMaxWriteBits);
}

inline void CheckMultipleRegistersWrite(std::uint16_t start, std::size_t count) {
    CheckRegisterRange(start, static_cast<std::int64_t>(count), kMaxWriteRegisters);
}

} // namespace Corvane
