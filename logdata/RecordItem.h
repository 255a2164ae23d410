// One item of the record list: the numbers behind one list row, and their display texts.
//
// An item is built from one row of the record table when the row is imported. It keeps only
// the numbers it shows (about 100 bytes), and produces its texts on demand, so a list of 62001
// items costs a few megabytes instead of 62001 x 27 strings.
//
// Columns: the caption (column 0, "Record Index", the record index formatted "00000") and 26
// sub-items: Date, Time, Cnts 1..9, Total Cnts, PPB 1..9, Total PPB, Flow Rate, Cell Condition,
// Laser Condition, Index. A sub-item whose guard cell was empty at import is left out, and the
// sub-items after it move one place to the left (an item then has fewer than 26 sub-items and
// the missing trailing columns read as empty text).
//
// An empty record (read from erased memory, 65535 in every register: its time stamp reads
// 65535/65535/65535 65535:65535) keeps its caption and its Index and shows every other column
// empty, so that nobody takes 4294901760 counts or 66190.35 PPB for data.
//
// Threads: any; an item is a plain value.
#pragma once

#include "RecordTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

class TRecordItem {
public:
    // The sub-item fields in column order.
    enum TRecordField : std::uint8_t {
        rfDate,
        rfTime,
        rfCounts1, // rfCounts1 + k - 1 for channel k = 1..9
        rfTotalCounts = rfCounts1 + 9,
        rfPpb1, // rfPpb1 + k - 1 for channel k = 1..9
        rfTotalPpb = rfPpb1 + 9,
        rfFlowRate,
        rfCellCondition,
        rfLaserCondition,
        rfIndex,
        rfFieldCount
    };

    static constexpr std::int32_t ColumnCount = 1 + rfFieldCount;
    // Record numbers run 0..62000 and wrap at this count.
    static constexpr std::int32_t RecordSpace = 62001;

    // Builds the item for row `row` of `table` as the import does. The caption is the record
    // number of cell 1, or `row` when cell 1 holds no record number (above 62000: an empty
    // record read from erased memory, stored in the row of the record being read). The Index
    // column is the record's offset after firstRecord, wrapped at 62001 like record numbers,
    // plus 1.
    // Returns nothing when a cell that a shown value needs is empty (a conversion error, which
    // ends the import of the pass).
    static std::optional<TRecordItem> FromRow(const TRecordTable& table, std::int32_t row,
                                              std::int32_t firstRecord);
    // The same item built from the registers of one block as read (at least the 84 registers
    // of the all-data layout; nothing when there are fewer): every cell is present, so every
    // field is shown. `row` stands in for the record number of an empty record.
    static std::optional<TRecordItem> FromRegisters(const std::vector<std::uint16_t>& registers,
                                                    std::int32_t row, std::int32_t firstRecord);

    // The numbers behind the shown texts (each 0 when its field is not shown).
    std::uint16_t Year() const { return FYear; }
    std::uint16_t Month() const { return FMonth; }
    std::uint16_t Day() const { return FDay; }
    std::uint16_t Hour() const { return FHour; }
    std::uint16_t Minute() const { return FMinute; }
    // Channel k = 1..9 counts; k = 10 is the total.
    std::uint32_t Counts(std::int32_t k) const {
        return FCounts.at(static_cast<std::size_t>(k - 1));
    }
    // PPB of channel k = 1..9 in hundredths; k = 10 is the total of the shown channels.
    std::uint32_t PpbHundredths(std::int32_t k) const;
    std::uint16_t FlowRate() const { return FFlowRate; }
    std::uint16_t CellCondition() const { return FCellCondition; }
    std::uint16_t LaserCondition() const { return FLaserCondition; }
    // The Index column's number (the record's place in the download or the shown range).
    std::int32_t Sequence() const { return FSequence; }
    void SetSequence(std::int32_t sequence) { FSequence = sequence; }

    // The record index shown as the caption, or -1 when the item has no caption.
    std::int32_t RecordIndex() const { return FRecordIndex; }
    std::string Caption() const;
    std::int32_t SubItemCount() const;
    // Sub-item k (0-based, after the shift-left of left-out fields); empty past the last one.
    std::string SubItem(std::int32_t k) const;
    // Column 0 is the caption, column c >= 1 is sub-item c - 1.
    std::string Text(std::int32_t column) const;
    // The row is drawn in silver when its third sub-item (the "Cnts 1" column) reads "65535",
    // and when it is an empty record.
    bool IsSilver() const;
    bool IsEmpty() const { return FEmpty; }
    // The record's date as its Date column shows it; only when that column shows one.
    bool HasDate() const { return !FEmpty && Shows(rfDate); }

    // The number that column `column` shows, for sorting: the record index, the date and time
    // together as one number (the Date and Time columns sort alike, chronologically), the counts,
    // the PPB in hundredths, the conditions, the Index. Nothing for a column the item leaves empty
    // (an empty record's values, a left-out sub-item).
    std::optional<std::int64_t> SortKey(std::int32_t column) const;

private:
    // Builds the item from a cell reader: cell(c) is register c, or nothing when empty.
    template <typename CellReader>
    static std::optional<TRecordItem> FromCells(const CellReader& cell, std::int32_t row,
                                                std::int32_t firstRecord);
    std::string FieldText(std::int32_t field) const;
    std::optional<std::int64_t> FieldNumber(std::int32_t field) const;
    // The field that column `column` shows after the shift-left of left-out fields, or -1.
    std::int32_t ColumnField(std::int32_t column) const;
    bool Shows(std::int32_t field) const { return (FShown >> field) & 1U; }

    std::int32_t FRecordIndex = -1;
    std::int32_t FSequence = 0;
    bool FEmpty = false;
    std::uint32_t FShown = 0; // bit f set when field f is shown
    std::uint16_t FYear = 0, FMonth = 0, FDay = 0, FHour = 0, FMinute = 0;
    std::uint16_t FFlowRate = 0, FCellCondition = 0, FLaserCondition = 0;
    // Channel 1..9 counts and the total: high word x 65535 + low word, at most 4294901760.
    std::array<std::uint32_t, 10> FCounts{};
    // PPB of channel 1..9 in hundredths: integer part x 100 + hundredths.
    std::array<std::uint32_t, 9> FPpbHundredths{};
};

} // namespace Sondrel
