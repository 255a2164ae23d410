#include "RecordFields.h"

#include "RecordItem.h"

#include <zlib.h>

namespace Sondrel {

std::optional<TRecordFields> FieldsOfRegisters(const std::vector<std::uint16_t>& registers) {
    // The record table's own decoding, so that the stored fields are what the table shows.
    const std::optional<TRecordItem> item = TRecordItem::FromRegisters(registers, 0, 0);
    if (!item) {
        return std::nullopt;
    }
    TRecordFields fields;
    fields.State = registers[0];
    fields.Year = item->Year();
    fields.Month = item->Month();
    fields.Day = item->Day();
    fields.Hour = item->Hour();
    fields.Minute = item->Minute();
    for (std::int32_t k = 1; k <= 10; ++k) {
        fields.Counts[static_cast<std::size_t>(k - 1)] = item->Counts(k);
        fields.PpbHundredths[static_cast<std::size_t>(k - 1)] = item->PpbHundredths(k);
    }
    fields.FlowRate = item->FlowRate();
    fields.CellCondition = item->CellCondition();
    fields.LaserCondition = item->LaserCondition();
    return fields;
}

std::vector<std::uint8_t> RegisterBlob(const std::vector<std::uint16_t>& registers) {
    std::vector<std::uint8_t> blob;
    blob.reserve(registers.size() * 2);
    for (const std::uint16_t value : registers) {
        blob.push_back(static_cast<std::uint8_t>(value >> 8));
        blob.push_back(static_cast<std::uint8_t>(value & 0xFF));
    }
    return blob;
}

std::optional<std::vector<std::uint16_t>> RegistersOfBlob(const std::uint8_t* data,
                                                          std::size_t size) {
    if (size % 2 != 0 || (size > 0 && data == nullptr)) {
        return std::nullopt;
    }
    std::vector<std::uint16_t> registers(size / 2);
    for (std::size_t i = 0; i < registers.size(); ++i) {
        registers[i] = static_cast<std::uint16_t>((data[2 * i] << 8) | data[2 * i + 1]);
    }
    return registers;
}

std::uint32_t BlobChecksum(const std::vector<std::uint8_t>& blob) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, blob.data(), static_cast<uInt>(blob.size()));
    return static_cast<std::uint32_t>(crc);
}

std::vector<std::int64_t> RecordFieldValues(const TRecordFields& f) {
    std::vector<std::int64_t> values = {f.State, f.Year, f.Month, f.Day, f.Hour, f.Minute};
    values.insert(values.end(), f.Counts.begin(), f.Counts.end());
    values.insert(values.end(), f.PpbHundredths.begin(), f.PpbHundredths.end());
    values.insert(values.end(), {f.FlowRate, f.CellCondition, f.LaserCondition});
    return values;
}

} // namespace Sondrel
