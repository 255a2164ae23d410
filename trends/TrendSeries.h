// The series a trend shows of the record list: the counts of channels 1..9 and their total,
// the PPB of channels 1..9 and their total, and the instrument's health (flow rate, cell
// condition, laser condition), each with a stable key (settings, the archive, JSON), the
// record table's caption as its name, and its group (one chart per group in a report).
//
// Threads: any; pure functions.
#pragma once

#include "RecordItem.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Sondrel {

enum class TTrendSeries : std::uint8_t {
    Counts1, // Counts1 + k - 1 for channel k = 1..9
    TotalCounts = 9,
    Ppb1, // Ppb1 + k - 1 for channel k = 1..9
    TotalPpb = 19,
    FlowRate,
    CellCondition,
    LaserCondition,
};

inline constexpr std::size_t kTrendSeriesCount = 23;

enum class TSeriesGroup : std::uint8_t { Counts, Ppb, Health };

inline constexpr std::size_t kSeriesGroupCount = 3;

// Every series in order, for loops.
const std::array<TTrendSeries, kTrendSeriesCount>& AllTrendSeries();

constexpr std::size_t SeriesIndex(TTrendSeries series) {
    return static_cast<std::size_t>(series);
}

// "counts1".."counts9", "total_counts", "ppb1".."ppb9", "total_ppb", "flow_rate",
// "cell_condition", "laser_condition".
std::string SeriesKey(TTrendSeries series);
std::optional<TTrendSeries> SeriesFromKey(std::string_view key);
// The record table's caption: "Cnts 1", "Total Cnts", "PPB 9", "Flow Rate", ...
std::string SeriesName(TTrendSeries series);

TSeriesGroup GroupOf(TTrendSeries series);
// "Counts", "PPB", "Health".
std::string GroupName(TSeriesGroup group);
// Counts and PPB may be drawn on a logarithmic axis; the health values are not.
inline bool IsCountLike(TTrendSeries series) {
    return GroupOf(series) != TSeriesGroup::Health;
}

// The value the series takes from a record as the table shows it (PPB in units, not
// hundredths).
double SeriesValue(const TRecordItem& item, TTrendSeries series);

} // namespace Sondrel
