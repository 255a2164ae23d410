// The two Modbus frame checks, over plain bytes. Knows nothing of buffers or frames: the
// buffer and the framing call it, never the reverse.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Corvane {

// CRC-16/MODBUS (polynomial 0xA001 reflected, start 0xFFFF, no final inversion), computed
// from a 256-entry table that is built once, before main() runs.
std::uint16_t CRC16(const std::uint8_t* data, std::size_t count);

// Modbus ASCII longitudinal redundancy check: the two's complement of the 8-bit sum.
std::uint8_t LRC(const std::uint8_t* data, std::size_t count);

} // namespace Corvane
