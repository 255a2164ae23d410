#include "RecordTable.h"

#include <algorithm>

namespace Sondrel {

namespace {

std::uint64_t BitOf(std::int32_t cell) {
    return std::uint64_t{1} << (cell % 64);
}

} // namespace

TRecordTable::TRecordTable()
    : FValues(static_cast<std::size_t>(RowCount) * CellCount), FPresent(RowCount) {}

bool TRecordTable::InRange(std::int32_t row, std::int32_t cell) {
    return row >= 0 && row < RowCount && cell >= 0 && cell < CellCount;
}

bool TRecordTable::HasValue(std::int32_t row, std::int32_t cell) const {
    return InRange(row, cell) && (FPresent[row][cell / 64] & BitOf(cell)) != 0;
}

std::optional<std::uint16_t> TRecordTable::Value(std::int32_t row, std::int32_t cell) const {
    if (!HasValue(row, cell)) {
        return std::nullopt;
    }
    return FValues[static_cast<std::size_t>(row) * CellCount + cell];
}

std::string TRecordTable::Text(std::int32_t row, std::int32_t cell) const {
    const auto value = Value(row, cell);
    return value ? std::to_string(*value) : std::string();
}

void TRecordTable::SetValue(std::int32_t row, std::int32_t cell, std::uint16_t value) {
    if (!InRange(row, cell)) {
        return;
    }
    FValues[static_cast<std::size_t>(row) * CellCount + cell] = value;
    FPresent[row][cell / 64] |= BitOf(cell);
}

void TRecordTable::Clear(std::int32_t row, std::int32_t cell) {
    if (!InRange(row, cell)) {
        return;
    }
    FValues[static_cast<std::size_t>(row) * CellCount + cell] = 0;
    FPresent[row][cell / 64] &= ~BitOf(cell);
}

void TRecordTable::Fill(std::int32_t firstRow, std::int32_t lastRow, std::int32_t firstCell,
                        std::int32_t lastCell, std::optional<std::uint16_t> value) {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, RowCount - 1);
    firstCell = std::max(firstCell, 0);
    lastCell = std::min(lastCell, CellCount - 1);
    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        for (std::int32_t cell = firstCell; cell <= lastCell; ++cell) {
            if (value) {
                SetValue(row, cell, *value);
            } else {
                Clear(row, cell);
            }
        }
    }
}

} // namespace Sondrel
