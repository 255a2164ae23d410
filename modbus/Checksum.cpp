#include "Checksum.h"

#include <array>

namespace Corvane {

namespace {

std::array<std::uint16_t, 256> BuildCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t entry = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            entry = (entry & 1) ? static_cast<std::uint16_t>((entry >> 1) ^ 0xA001)
                                : static_cast<std::uint16_t>(entry >> 1);
        }
        table[i] = entry;
    }
    return table;
}

// Built during static initialisation of the library, before any connection can exist.
const std::array<std::uint16_t, 256> kCrcTable = BuildCrcTable();

} // namespace

std::uint16_t CRC16(const std::uint8_t* data, std::size_t count) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc = static_cast<std::uint16_t>(kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8));
    }
    return crc;
}

std::uint8_t LRC(const std::uint8_t* data, std::size_t count) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    return static_cast<std::uint8_t>(0u - sum);
}

} // namespace Corvane
