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

// A calendar date written "MM/DD/YYYY" (two, two and four digits), a day that exists, in the
// years 1900..9999 that a spreadsheet's dates cover.
struct TCellDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;
};
std::optional<TCellDate> DateCellValue(std::string_view text);

// A time of day written "HH:MM" (two and two digits), 00:00..23:59.
struct TCellTime {
    int Hour = 0;
    int Minute = 0;
};
std::optional<TCellTime> TimeCellValue(std::string_view text);

} // namespace Sondrel
