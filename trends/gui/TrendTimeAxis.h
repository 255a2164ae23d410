// The ticks of a trend's time axis: round times (minutes, hours, days, months, years) that
// fit a range, each with its label.
//
// The instrument's clock has no time zone, so the labels are made from the minutes as they
// are (MinutesText), never through the computer's time zone: a chart shows the same times as
// the record table, also across a change of daylight saving time.
//
// Threads: any; pure functions.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Sondrel {

struct TTimeTick {
    double Minutes = 0;
    std::string Label;
};

// About maxTicks ticks within [from, to] (a calendar month step may give one more); labels are
// "hh:mm" with the date ("MM-DD hh:mm") below a day's step, "YYYY-MM-DD" for days, "YYYY-MM"
// for months and "YYYY" for years.
std::vector<TTimeTick> TimeTicks(double from, double to, std::size_t maxTicks);

} // namespace Sondrel
