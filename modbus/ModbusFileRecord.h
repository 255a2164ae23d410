// File records of the Read/Write File Record functions (20 and 21).
#pragma once

#include "ModbusTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Corvane {

// One record: registers RecordNumber .. RecordNumber + RegCount() - 1 of a file.
// Invariant: RecordNumber + RegCount() - 1 <= 9999.
class TModbusFileRecord {
public:
    TModbusFileRecord(std::uint16_t fileNumber, std::uint16_t recordNumber, std::int32_t regCount);

    // Raises "Starting register index is invalid (%d)" when the range passes register 9999.
    void SetRange(std::uint16_t recordNumber, std::int32_t regCount);
    std::int32_t RegCount() const { return static_cast<std::int32_t>(RegValues.size()); }
    // Raises "Register index is invalid (%d)" for an index outside the record.
    void SetRegValue(std::int32_t index, std::uint16_t value);

    std::uint16_t FileNumber;
    TRegValues RegValues;
    std::uint16_t RecordNumber = 0;
};

// An ordered list that owns its records.
class TModbusFileRecordList {
public:
    TModbusFileRecord& Add(std::uint16_t fileNumber, std::uint16_t recordNumber,
                           std::int32_t regCount);
    void Clear() { FItems.clear(); }
    void Delete(std::int32_t index);
    TModbusFileRecord& Items(std::int32_t index) {
        return *FItems.at(static_cast<std::size_t>(index));
    }
    const TModbusFileRecord& Items(std::int32_t index) const {
        return *FItems.at(static_cast<std::size_t>(index));
    }
    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }

private:
    std::vector<std::unique_ptr<TModbusFileRecord>> FItems;
};

} // namespace Corvane
