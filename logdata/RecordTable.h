// The raw table of downloaded registers, indexed by record number.
//
// 65536 rows (one per 16-bit record number) by 84 cells (register j of the record's block).
// A cell is either empty or holds one 16-bit register value; its text is the value in decimal,
// or the empty text when the cell is empty. The table is stored compactly: one 16-bit value per
// cell plus a presence bit, about 11.7 MB in all, allocated once by the constructor.
//
// Out-of-range rows or cells read as empty and writes to them are ignored, so a record number
// taken from a reply can never index outside the table.
//
// Threads: main thread only (it is filled by completion events and read by the import).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

class TRecordTable {
public:
    static constexpr std::int32_t RowCount = 65536;
    static constexpr std::int32_t CellCount = 84;

    TRecordTable();

    bool HasValue(std::int32_t row, std::int32_t cell) const;
    // The cell's value, or nothing when the cell is empty or out of range.
    std::optional<std::uint16_t> Value(std::int32_t row, std::int32_t cell) const;
    // The cell as decimal text, empty when the cell is empty.
    std::string Text(std::int32_t row, std::int32_t cell) const;

    void SetValue(std::int32_t row, std::int32_t cell, std::uint16_t value);
    void Clear(std::int32_t row, std::int32_t cell);

    // Sets cells firstCell..lastCell of rows firstRow..lastRow (inclusive) to value, or empties
    // them when value is nothing. The ranges are clipped to the table.
    void Fill(std::int32_t firstRow, std::int32_t lastRow, std::int32_t firstCell,
              std::int32_t lastCell, std::optional<std::uint16_t> value);

private:
    static bool InRange(std::int32_t row, std::int32_t cell);

    std::vector<std::uint16_t> FValues;
    // Two 64-bit words of presence bits per row (cells 0..63 and 64..83).
    std::vector<std::array<std::uint64_t, 2>> FPresent;
};

} // namespace Sondrel
