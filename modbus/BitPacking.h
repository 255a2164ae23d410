// The bit packing of coil and discrete-input lists: eight values to a byte, the first value in
// the least significant bit of the first byte, the unused high bits of the last byte 0.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

class TModbusBuffer;

// Number of bytes that hold n bits: n div 8, plus one when n mod 8 is not 0.
std::int32_t BitsToBytes(std::int32_t n);

// Appends BitsToBytes(highIndex + 1) bytes holding values[0..highIndex], least significant
// bit first; nothing when highIndex is -1.
void PackBits(const TBitValues& values, std::int32_t highIndex, TModbusBuffer& buffer);

// Fills values[0..highIndex] from the bytes at the cursor, moving the cursor past every byte
// it reads (always at least one). values must hold at least highIndex + 1 entries.
void UnpackBits(TModbusBuffer& buffer, TBitValues& values, std::int32_t highIndex);

} // namespace Corvane
