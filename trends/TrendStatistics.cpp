#include "TrendStatistics.h"

#include <algorithm>

namespace Sondrel {

std::optional<TSeriesStatistics> SeriesStatistics(const TTrendData& data, TTrendSeries series) {
    std::vector<double> values = data.Of(series);
    if (values.empty()) {
        return std::nullopt;
    }
    TSeriesStatistics statistics;
    statistics.Count = values.size();
    double sum = 0;
    for (const double value : values) {
        sum += value;
    }
    statistics.Mean = sum / static_cast<double>(values.size());
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    statistics.Min = *low;
    statistics.Max = *high;
    // Nearest rank: the ceil(0.95 n)-th smallest value, in integers so that 95 % of 20 values
    // is exactly the 19th.
    const std::size_t rank = (95 * values.size() + 99) / 100;
    const auto nth = values.begin() + static_cast<std::ptrdiff_t>(rank - 1);
    std::nth_element(values.begin(), nth, values.end());
    statistics.Percentile95 = *nth;
    return statistics;
}

} // namespace Sondrel
