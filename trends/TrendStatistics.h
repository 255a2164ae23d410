// Summary statistics of a series over the placed points of a trend: count, minimum, mean,
// maximum and 95th percentile (nearest rank: the smallest value that at least 95 % of the
// values do not exceed).
//
// Threads: any; pure functions.
#pragma once

#include "TrendData.h"

#include <cstddef>
#include <optional>

namespace Sondrel {

struct TSeriesStatistics {
    std::size_t Count = 0;
    double Min = 0;
    double Mean = 0;
    double Max = 0;
    double Percentile95 = 0;
};

// Nothing when the data has no points.
std::optional<TSeriesStatistics> SeriesStatistics(const TTrendData& data, TTrendSeries series);

} // namespace Sondrel
