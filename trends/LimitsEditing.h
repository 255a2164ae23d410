// What an editor of limits (the window's dialog, "sondrel-cli archive limits") needs beyond
// TrendLimits.h: whether a set of limits makes sense, and one limit named by its key.
//
// Sound limits are finite, every low limit lies below every high limit of its series, and an
// alert limit lies inside its action limit (alert high at or below action high, alert low at
// or above action low): a value beyond the action limit is always beyond the alert limit too.
//
// Threads: any; pure functions.
#pragma once

#include "TrendLimits.h"

#include <optional>
#include <string>
#include <string_view>

namespace Sondrel {

// What is wrong with the series' limits, naming the series by its name ("Cnts 1: the alert
// high limit 500 is above the action high limit 400"), or nothing.
std::optional<std::string> SeriesLimitsProblem(TTrendSeries series, const TSeriesLimits& limits);
// The first problem over every series, or nothing.
std::optional<std::string> InstrumentLimitsProblem(const TInstrumentLimits& limits);

struct TLimitKey {
    TTrendSeries Series = TTrendSeries::Counts1;
    TLimitKind Kind = TLimitKind::AlertHigh;
};

// "counts1.alert_high" (the limits file's key; a space for the "_" is taken as well).
std::string LimitKeyText(TTrendSeries series, TLimitKind kind);
std::optional<TLimitKey> ParseLimitKey(std::string_view text);
// A finite number in the C form ("1.5", "1e3"), surrounding blanks ignored.
std::optional<double> ParseLimitValue(std::string_view text);
// The shortest text that reads back as the same number ("1000", "0.25").
std::string LimitValueText(double value);

} // namespace Sondrel
