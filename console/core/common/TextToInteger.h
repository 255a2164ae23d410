// Conversion of operator and file texts to integers: the one parser behind the settings file's
// integer keys and the range checks of the console's edits.
//
// Accepted: optional blanks (space, tab), an optional '+' or '-', one or more decimal digits,
// optional blanks; the value must fit in 64 bits. Anything else ("12abc", "0x10", "1.5", "",
// a number too large for 64 bits) is not an integer.
//
// Pure functions; any thread may call them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Sondrel {

std::optional<std::int64_t> TextToInteger(std::string_view text);

// How a range check treats a range whose bounds are equal: the console's edit check accepts
// any integer then, the item editor checks it like any other range.
enum TEqualBounds : std::uint8_t { ebAcceptAny, ebCheck };

struct TRangeCheck {
    bool Ok = false;
    std::int64_t Value = 0;
    // When not Ok: "'%s' is not a valid integer value" or "Value must be between %d and %d".
    std::string Error;
};

TRangeCheck CheckIntegerRange(std::string_view text, std::int64_t min, std::int64_t max,
                              TEqualBounds equalBounds);

} // namespace Sondrel
