#include "ServerItemFile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace E2eTests {

namespace {

constexpr std::size_t kRecordSize = 10;

void PutWord(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

std::uint16_t WordAt(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

} // namespace

void ServerItemFile::Write(const std::string& path, const std::vector<ServerItemRecord>& records) {
    std::string bytes;
    for (const ServerItemRecord& r : records) {
        PutWord(bytes, r.Address);
        bytes += static_cast<char>(r.Kind);
        PutWord(bytes, r.Value);
        PutWord(bytes, r.Min);
        PutWord(bytes, r.Max);
        bytes += static_cast<char>(r.Writeable);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<ServerItemRecord> ServerItemFile::Read(const std::string& path) {
    const std::string bytes = Bytes(path);
    std::vector<ServerItemRecord> records;
    for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
        ServerItemRecord r;
        r.Address = WordAt(bytes, at);
        r.Kind = static_cast<std::uint8_t>(bytes[at + 2]);
        r.Value = WordAt(bytes, at + 3);
        r.Min = WordAt(bytes, at + 5);
        r.Max = WordAt(bytes, at + 7);
        r.Writeable = static_cast<std::uint8_t>(bytes[at + 9]);
        records.push_back(r);
    }
    return records;
}

std::string ServerItemFile::Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace E2eTests
