// The rows of the coil write list ("Discrete Write"): one row per coil to write, its text
// "Coil %d" with the coil's address and its check state the value to write.
//
// Rebuild is what the list does when the start or count edit loses focus (and once at
// creation): both edits are checked first (start 0..65535, then count 1..1976; on a bad edit
// nothing changes and the result names it), then rows are added unchecked at the end or the
// last rows deleted until there are count rows, and row i is relabelled "Coil %d" with
// start + i. Existing rows keep their check state.
//
// The write requests take the address back from the first row's text (after "Coil ") and the
// check states of all rows in row order.
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

class TCoilWriteList {
public:
    static constexpr std::int64_t MaxCount = 1976;
    // Indexes of the edits in a failed Rebuild's FailedEdit.
    static constexpr std::size_t StartEdit = 0;
    static constexpr std::size_t CountEdit = 1;

    struct TRow {
        std::string Text;
        bool Checked = false;
    };

    TEditRangesCheck Rebuild(std::string_view startText, std::string_view countText);

    std::size_t Count() const { return FRows.size(); }
    const TRow& Row(std::size_t row) const { return FRows.at(row); }
    void SetChecked(std::size_t row, bool checked) { FRows.at(row).Checked = checked; }

    // "Write Single Coil" is enabled exactly when the list has one row.
    bool WriteSingleEnabled() const { return FRows.size() == 1; }

    // The row's coil address: its text after the first 5 characters ("Coil "); none when that
    // is not an integer.
    std::optional<std::int64_t> Address(std::size_t row) const;
    // The first row's address as the write requests take it; none for an empty list or an
    // address outside 0..65535.
    std::optional<std::uint16_t> StartAddress() const;
    // The check states of all rows in row order.
    std::vector<bool> CheckStates() const;

private:
    std::vector<TRow> FRows;
};

} // namespace Sondrel
