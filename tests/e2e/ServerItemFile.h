// ServerItemFile: the item map file of "sondrel-cli serve" as the tests write and read it,
// byte by byte from the file format rather than through the product's own map code: 10-byte
// records, address u16 little-endian, kind u8 (0 coil, 1 discrete input, 2 holding
// register, 3 input register), value, min and max u16 little-endian, writeable u8; no header.
//
// Plain functions on files; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace E2eTests {

struct ServerItemRecord {
    std::uint16_t Address = 0;
    std::uint8_t Kind = 0;
    std::uint16_t Value = 0;
    std::uint16_t Min = 0;
    std::uint16_t Max = 65535;
    std::uint8_t Writeable = 1;

    bool operator==(const ServerItemRecord&) const = default;
};

class ServerItemFile {
public:
    static constexpr std::uint8_t Coil = 0;
    static constexpr std::uint8_t DiscreteInput = 1;
    static constexpr std::uint8_t HoldingRegister = 2;
    static constexpr std::uint8_t InputRegister = 3;

    // Throws std::runtime_error when the file cannot be written or read.
    static void Write(const std::string& path, const std::vector<ServerItemRecord>& records);
    static std::vector<ServerItemRecord> Read(const std::string& path);
    // The file's bytes.
    static std::string Bytes(const std::string& path);
};

} // namespace E2eTests
