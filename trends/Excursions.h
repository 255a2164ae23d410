// Excursions: the runs of points where a series is beyond one of its limits.
//
// For each series and each limit that is set, a run of consecutive points beyond that limit
// is one excursion; a gap in time ends a run. An excursion beyond an action limit lies within
// one beyond the alert limit on the same side, and both are listed. The peak is the highest
// value of a run beyond a high limit and the lowest of one beyond a low limit.
//
// An excursion is known by its instrument, series, limit kind and first record's date-time:
// that is the key its acknowledgement is stored under in the archive.
//
// Threads: any; pure functions.
#pragma once

#include "TrendData.h"
#include "TrendLimits.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Sondrel {

struct TExcursion {
    TTrendSeries Series = TTrendSeries::Counts1;
    TLimitKind Kind = TLimitKind::AlertHigh;
    double Limit = 0;
    double Peak = 0;
    std::int64_t StartMinutes = 0; // the first and last points beyond the limit
    std::int64_t EndMinutes = 0;
    std::size_t FirstPoint = 0; // indexes into the data's points
    std::size_t LastPoint = 0;
    std::int32_t Points = 0;

    // "YYYY-MM-DD hh:mm" of the first and last points.
    std::string Start() const;
    std::string End() const;

    bool operator==(const TExcursion&) const = default;
};

// Every excursion of the data, ordered by start, then series, then limit kind.
std::vector<TExcursion> FindExcursions(const TTrendData& data, const TInstrumentLimits& limits);

} // namespace Sondrel
