// The two Modbus frame checks and the bit packing of coil and discrete-input lists.
#pragma once

#include "ModbusTypes.h"

#include <cstddef>
#include <cstdint>

namespace Corvane {

class TModbusBuffer;

// CRC-16/MODBUS (polynomial 0xA001 reflected, start 0xFFFF, no final inversion), computed
// from a 256-entry table that is built once, before main() runs.
std::uint16_t CRC16(const std::uint8_t* data, std::size_t count);

// Modbus ASCII longitudinal redundancy check: the two's complement of the 8-bit sum.
std::uint8_t LRC(const std::uint8_t* data, std::size_t count);

// Number of bytes that hold n bits: n div 8, plus one when n mod 8 is not 0.
std::int32_t BitsToBytes(std::int32_t n);

// Appends BitsToBytes(highIndex + 1) bytes holding values[0..highIndex], least significant
// bit first; nothing when highIndex is -1.
void PackBits(const TBitValues& values, std::int32_t highIndex, TModbusBuffer& buffer);

// Fills values[0..highIndex] from the bytes at the cursor, moving the cursor past every byte
// it reads (always at least one). values must hold at least highIndex + 1 entries.
void UnpackBits(TModbusBuffer& buffer, TBitValues& values, std::int32_t highIndex);

} // namespace Corvane
