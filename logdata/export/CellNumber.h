// The numbers of spreadsheet cells, converted from the texts of the export.
//
// A text is a number only when all of it is one: no spaces, no sign but a leading '-', no
// thousand separators; "." is the decimal separator. Anything else (empty, garbage, a value out
// of range) is no number, and its cell stays empty: a wrong number is worse than none.
//
// Threads: any.
#pragma once

#include <optional>
#include <string_view>

namespace Sondrel {

// A whole decimal number, leading zeros allowed ("00005" is 5), within +-2^53 so that the
// spreadsheet's double holds it exactly.
std::optional<double> IntegerCellNumber(std::string_view text);

// A finite decimal number ("12.05", "7", "1e3").
std::optional<double> DoubleCellNumber(std::string_view text);

} // namespace Sondrel
