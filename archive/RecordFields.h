// What the archive stores of one record besides its registers: the fields of the record table
// as numbers, the registers as a blob and the blob's checksum. Every backend stores the same.
//
// - Fields: the state word, the date and time fields, the counts of channels 1..9 and their
//   total as the table shows them (high word x 65535 + low word), the PPB of channels 1..9 and
//   their total in hundredths, flow rate, cell and laser condition.
// - Blob: the 104 registers as read, two bytes each, high byte first (as on the line).
// - Checksum: the CRC-32 of the blob (the polynomial of zlib and PNG, 0xEDB88320 reflected).
//
// Threads: any; pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

struct TRecordFields {
    std::uint16_t State = 0;
    std::uint16_t Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0;
    std::array<std::uint32_t, 10> Counts{};        // channels 1..9, then the total
    std::array<std::uint32_t, 10> PpbHundredths{}; // channels 1..9, then the total
    std::uint16_t FlowRate = 0;
    std::uint16_t CellCondition = 0;
    std::uint16_t LaserCondition = 0;

    bool operator==(const TRecordFields&) const = default;
};

// The fields of a block of at least 84 registers; nothing for a shorter one.
std::optional<TRecordFields> FieldsOfRegisters(const std::vector<std::uint16_t>& registers);

// The fields in the order of RecordFieldColumns (ArchiveSchema.h).
std::vector<std::int64_t> RecordFieldValues(const TRecordFields& fields);
std::vector<std::uint8_t> RegisterBlob(const std::vector<std::uint16_t>& registers);
// The registers of a blob; nothing when its size is odd.
std::optional<std::vector<std::uint16_t>> RegistersOfBlob(const std::uint8_t* data,
                                                          std::size_t size);
std::uint32_t BlobChecksum(const std::vector<std::uint8_t>& blob);

} // namespace Sondrel
