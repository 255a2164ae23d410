#include "RecordItem.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace Sondrel {

namespace {

// Record offsets of the all-data layout.
constexpr std::int32_t kStateCell = 0;
constexpr std::int32_t kRecordNumberCell = 1;
constexpr std::int32_t kYearCell = 3;
constexpr std::int32_t kMonthCell = 4;
constexpr std::int32_t kDayCell = 5;
constexpr std::int32_t kHourCell = 6;
constexpr std::int32_t kMinuteCell = 7;
constexpr std::int32_t kCellConditionCell = 13;
constexpr std::int32_t kLaserConditionCell = 14;
constexpr std::int32_t kFlowRateCell = 15;
constexpr std::int32_t kTotalCountsHighCell = 51;
constexpr std::uint16_t kErased = 65535;

// A record read from erased memory has no time stamp: year, month, day, hour and minute all
// read 65535, which no sample carries. (The rest of such a block is erased too, though some
// instruments keep the record number or zero the high words of the counts.)
template <typename CellReader>
bool TimeStampErased(const CellReader& cell) {
    for (std::int32_t c = kYearCell; c <= kMinuteCell; ++c) {
        if (cell(c) != std::optional<std::uint16_t>(kErased)) {
            return false;
        }
    }
    return true;
}

// Counts: the high word weighs 65535 (not 65536), as the instrument's own software shows them.
// Computed in 64 bits: the largest result, 4294901760, does not fit a signed 32-bit integer.
std::uint32_t CountsOf(std::uint16_t high, std::uint16_t low) {
    return static_cast<std::uint32_t>(std::uint64_t{high} * 65535U + low);
}

// Number formats of the list: "0" is a digit that is always written, "#" one written only when
// significant. "00" pads to two digits; "####" writes nothing at all for 0.
std::string ZeroPadded(std::int64_t value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld", width, static_cast<long long>(value));
    return text;
}

std::string OptionalDigits(std::int64_t value) {
    return value == 0 ? std::string() : std::to_string(value);
}

// "0.00" of a value held in hundredths.
std::string Hundredths(std::uint64_t hundredths) {
    return std::to_string(hundredths / 100) + "." + ZeroPadded(hundredths % 100, 2);
}

} // namespace

std::optional<TRecordItem> TRecordItem::FromRow(const TRecordTable& table, std::int32_t row,
                                                std::int32_t firstRecord) {
    return FromCells([&](std::int32_t c) { return table.Value(row, c); }, row, firstRecord);
}

std::optional<TRecordItem> TRecordItem::FromRegisters(const std::vector<std::uint16_t>& registers,
                                                      std::int32_t row, std::int32_t firstRecord) {
    if (registers.size() < static_cast<std::size_t>(TRecordTable::CellCount)) {
        return std::nullopt;
    }
    return FromCells(
        [&](std::int32_t c) -> std::optional<std::uint16_t> {
            return c >= 0 && c < TRecordTable::CellCount
                       ? std::optional<std::uint16_t>(registers[static_cast<std::size_t>(c)])
                       : std::nullopt;
        },
        row, firstRecord);
}

template <typename CellReader>
std::optional<TRecordItem> TRecordItem::FromCells(const CellReader& cell, std::int32_t row,
                                                  std::int32_t firstRecord) {
    TRecordItem item;
    bool complete = true;
    // A value cell that is needed but empty is a conversion error.
    auto need = [&](std::int32_t c) -> std::uint16_t {
        const std::optional<std::uint16_t> value = cell(c);
        if (!value) {
            complete = false;
            return 0;
        }
        return *value;
    };
    auto guard = [&](std::int32_t c) { return cell(c).has_value(); };
    auto show = [&](std::int32_t field) { item.FShown |= 1U << field; };

    // The record's number, from its record number cell. An empty record read from erased
    // memory has none there (65535): it is the record of the row it was stored in, so that
    // every empty record of the window keeps a row of its own in the list.
    const std::uint16_t numberCell = need(kRecordNumberCell);
    const std::int32_t number = numberCell < RecordSpace ? numberCell : row;
    if (guard(kStateCell)) {
        item.FRecordIndex = number;
    }
    // Offset after the first record of the window, wrapped like record numbers.
    const std::int64_t offset = std::int64_t{number} - firstRecord;
    item.FSequence =
        static_cast<std::int32_t>(((offset % RecordSpace) + RecordSpace) % RecordSpace) + 1;

    if (guard(kYearCell)) {
        item.FMonth = need(kMonthCell);
        item.FDay = need(kDayCell);
        item.FYear = need(kYearCell);
        show(rfDate);
    }
    if (guard(kHourCell)) {
        item.FHour = need(kHourCell);
        item.FMinute = need(kMinuteCell);
        show(rfTime);
    }
    // Guard cells 9..17 for the channels, 18 for the total (they follow the import's column
    // steps, not the cells that hold the values).
    for (std::int32_t k = 1; k <= 10; ++k) {
        if (guard(8 + k)) {
            const std::int32_t high = k <= 9 ? 31 + 2 * k : kTotalCountsHighCell;
            item.FCounts[k - 1] = CountsOf(need(high), need(high + 1));
            show(rfCounts1 + k - 1);
        }
    }
    for (std::int32_t k = 1; k <= 9; ++k) {
        if (guard(18 + k)) {
            item.FPpbHundredths[k - 1] = std::uint32_t{need(62 + 2 * k)} * 100U + need(63 + 2 * k);
            show(rfPpb1 + k - 1);
        }
    }
    show(rfTotalPpb);
    if (guard(26)) {
        item.FFlowRate = need(kFlowRateCell);
        show(rfFlowRate);
    }
    if (guard(27)) {
        item.FCellCondition = need(kCellConditionCell);
        show(rfCellCondition);
    }
    if (guard(28)) {
        item.FLaserCondition = need(kLaserConditionCell);
        show(rfLaserCondition);
    }
    show(rfIndex);

    if (!complete) {
        return std::nullopt;
    }
    if (TimeStampErased(cell)) {
        // Every column keeps its place: only the caption and the Index show.
        item.FEmpty = true;
        item.FShown = (1U << rfFieldCount) - 1U;
    }
    return item;
}

std::uint32_t TRecordItem::PpbHundredths(std::int32_t k) const {
    if (k == 10) {
        std::uint32_t total = 0;
        for (std::int32_t channel = 0; channel < 9; ++channel) {
            if (Shows(rfPpb1 + channel)) {
                total += FPpbHundredths[static_cast<std::size_t>(channel)];
            }
        }
        return total;
    }
    return FPpbHundredths.at(static_cast<std::size_t>(k - 1));
}

std::string TRecordItem::Caption() const {
    return FRecordIndex < 0 ? std::string() : ZeroPadded(FRecordIndex, 5);
}

std::int32_t TRecordItem::SubItemCount() const {
    return std::popcount(FShown);
}

std::string TRecordItem::SubItem(std::int32_t k) const {
    if (k < 0 || k >= rfFieldCount) {
        return {};
    }
    const std::int32_t field = ColumnField(k + 1);
    return field < 0 ? std::string() : FieldText(field);
}

std::string TRecordItem::Text(std::int32_t column) const {
    return column == 0 ? Caption() : SubItem(column - 1);
}

bool TRecordItem::IsSilver() const {
    return FEmpty || SubItem(2) == "65535";
}

std::int32_t TRecordItem::ColumnField(std::int32_t column) const {
    if (column < 1 || column > rfFieldCount) {
        return -1;
    }
    std::int32_t k = column - 1;
    for (std::int32_t field = 0; field < rfFieldCount; ++field) {
        if (Shows(field) && k-- == 0) {
            return field;
        }
    }
    return -1;
}

std::optional<std::int64_t> TRecordItem::SortKey(std::int32_t column) const {
    if (column == 0) {
        return FRecordIndex < 0 ? std::nullopt : std::optional<std::int64_t>(FRecordIndex);
    }
    const std::int32_t field = ColumnField(column);
    return field < 0 ? std::nullopt : FieldNumber(field);
}

std::optional<std::int64_t> TRecordItem::FieldNumber(std::int32_t field) const {
    if (FEmpty && field != rfIndex) {
        return std::nullopt;
    }
    switch (field) {
    case rfDate:
    case rfTime: {
        // Year, month, day, hour and minute in that order of weight, each below the next's
        // unit; a value that no calendar has (above 255) sorts as 255, after every real one.
        std::int64_t key = FYear;
        for (const std::uint16_t part : {FMonth, FDay, FHour, FMinute}) {
            key = key * 256 + std::min<std::uint16_t>(part, 255);
        }
        return key;
    }
    case rfTotalPpb: {
        std::int64_t total = 0;
        for (std::int32_t k = 0; k < 9; ++k) {
            if (Shows(rfPpb1 + k)) {
                total += FPpbHundredths[k];
            }
        }
        return total;
    }
    case rfFlowRate:
        return FFlowRate;
    case rfCellCondition:
        return FCellCondition;
    case rfLaserCondition:
        return FLaserCondition;
    case rfIndex:
        return FSequence;
    default:
        break;
    }
    if (field >= rfCounts1 && field <= rfTotalCounts) {
        return FCounts[field - rfCounts1];
    }
    if (field >= rfPpb1 && field < rfPpb1 + 9) {
        return FPpbHundredths[field - rfPpb1];
    }
    return std::nullopt;
}

std::string TRecordItem::FieldText(std::int32_t field) const {
    if (FEmpty && field != rfIndex) {
        return {};
    }
    switch (field) {
    case rfDate:
        return ZeroPadded(FMonth, 2) + "/" + ZeroPadded(FDay, 2) + "/" + OptionalDigits(FYear);
    case rfTime:
        return ZeroPadded(FHour, 2) + ":" + ZeroPadded(FMinute, 2);
    case rfTotalPpb:
        // The running total of the channel PPB values shown on this item.
        return Hundredths(PpbHundredths(10));
    case rfFlowRate:
        return std::to_string(FFlowRate);
    case rfCellCondition:
        return std::to_string(FCellCondition);
    case rfLaserCondition:
        return std::to_string(FLaserCondition);
    case rfIndex:
        return ZeroPadded(FSequence, 5);
    default:
        break;
    }
    if (field >= rfCounts1 && field <= rfTotalCounts) {
        return std::to_string(FCounts[field - rfCounts1]);
    }
    if (field >= rfPpb1 && field < rfPpb1 + 9) {
        return Hundredths(FPpbHundredths[field - rfPpb1]);
    }
    return {};
}

} // namespace Sondrel
