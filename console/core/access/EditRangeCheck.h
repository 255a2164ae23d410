// The range check of the console's edits (start addresses, counts, masks) and of the write
// lists that follow them.
//
// CheckEditRange converts the edit's text to a 64-bit integer and checks it against min..max.
// A range whose bounds are equal accepts any integer (the item editor, which checks such ranges
// too, uses CheckServerItemEditor instead). CheckEditRanges checks several edits in the order
// given and stops at the first bad one, which is the one the operator is told about and whose
// edit gets the focus.
//
// Errors: "'%s' is not a valid integer value" with the text, "Value must be between %d and %d"
// with the bounds.
//
// Pure functions; any thread may call them.
#pragma once

#include "TextToInteger.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace Sondrel {

TRangeCheck CheckEditRange(std::string_view text, std::int64_t min, std::int64_t max);

struct TEditRange {
    std::string_view Text;
    std::int64_t Min = 0;
    std::int64_t Max = 0;
};

struct TEditRangesCheck {
    bool Ok = true;
    std::size_t FailedEdit = 0; // index of the first bad edit when not Ok
    std::string Error;
    std::vector<std::int64_t> Values; // one per edit, in order, when Ok
};

TEditRangesCheck CheckEditRanges(std::initializer_list<TEditRange> edits);

} // namespace Sondrel
