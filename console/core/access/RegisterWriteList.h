// The rows of the register write list ("Register Write"): one row per register to write, with
// its value (decimal text, the cell the operator edits in place) and its address cell
// "Register %d".
//
// Rebuild is what the list does when the start or count edit loses focus (and once at
// creation): both edits are checked first (start 0..65535, then count 1..123; on a bad edit
// nothing changes and the result names it), then rows with the value "0" are added at the end
// or the last rows deleted until there are count rows, and row i's address cell becomes
// "Register %d" with start + i. The label is not limited to 16 bits (start 65535, count 3 gives
// 65535, 65536, 65537); the client's own limits judge the write. Existing rows keep their
// values.
//
// EditValue is the end of an in-place edit: an integer text is stored as the decimal form of
// its low 16 bits taken as unsigned (70000 -> "4464", -1 -> "65535"); any other text leaves the
// old value and gives "You've entered an invalid value for '%s'" with the row's address cell.
//
// A plain value; main thread in practice (it backs a list control), no locking.
#pragma once

#include "EditRangeCheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Sondrel {

class TRegisterWriteList {
public:
    static constexpr std::int64_t MaxCount = 123;
    // Indexes of the edits in a failed Rebuild's FailedEdit.
    static constexpr std::size_t StartEdit = 0;
    static constexpr std::size_t CountEdit = 1;

    struct TRow {
        std::string Value = "0";
        std::string AddressText;
    };

    TEditRangesCheck Rebuild(std::string_view startText, std::string_view countText);

    std::size_t Count() const { return FRows.size(); }
    const TRow& Row(std::size_t row) const { return FRows.at(row); }

    // Stores an edited value; returns the error when the text is not an integer.
    std::optional<std::string> EditValue(std::size_t row, std::string_view text);

    // "Write Single Register" is enabled exactly when the list has one row, but only while the
    // connection is open; none while it is closed (the button keeps the state that the
    // connection's enabling gave it).
    std::optional<bool> WriteSingleEnabled(bool connectionOpen) const;

    // The row's register address: its address cell after the first 9 characters
    // ("Register "); none when that is not an integer.
    std::optional<std::int64_t> Address(std::size_t row) const;
    // The first row's address as the write requests take it; none for an empty list or an
    // address outside 0..65535.
    std::optional<std::uint16_t> StartAddress() const;
    // The values of all rows in row order.
    std::vector<std::uint16_t> Values() const;

private:
    std::vector<TRow> FRows;
};

// The stored form of an integer register value: the decimal text of its low 16 bits, unsigned.
std::string RegisterValueText(std::int64_t value);

} // namespace Sondrel
