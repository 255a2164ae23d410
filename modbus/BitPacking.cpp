#include "BitPacking.h"

#include "ModbusBuffer.h"

namespace Corvane {

std::int32_t BitsToBytes(std::int32_t n) {
    return n / 8 + (n % 8 != 0 ? 1 : 0);
}

void PackBits(const TBitValues& values, std::int32_t highIndex, TModbusBuffer& buffer) {
    std::uint8_t current = 0;
    for (std::int32_t i = 0; i <= highIndex; ++i) {
        if (values[static_cast<std::size_t>(i)]) {
            current = static_cast<std::uint8_t>(current | (1u << (i % 8)));
        }
        if (i % 8 == 7 || i == highIndex) {
            buffer.WriteByte(current);
            current = 0;
        }
    }
}

void UnpackBits(TModbusBuffer& buffer, TBitValues& values, std::int32_t highIndex) {
    std::uint8_t current = buffer.ReadByte();
    buffer.Seek(bmByteForward);
    for (std::int32_t i = 0; i <= highIndex; ++i) {
        if (i > 0 && i % 8 == 0) {
            current = buffer.ReadByte();
            buffer.Seek(bmByteForward);
        }
        values[static_cast<std::size_t>(i)] = ((current >> (i % 8)) & 1) != 0;
    }
}

} // namespace Corvane
