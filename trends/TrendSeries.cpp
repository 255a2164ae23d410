#include "TrendSeries.h"

namespace Sondrel {

namespace {

constexpr std::size_t kChannels = 9;

std::size_t ChannelOf(TTrendSeries series, TTrendSeries first) {
    return SeriesIndex(series) - SeriesIndex(first) + 1;
}

} // namespace

const std::array<TTrendSeries, kTrendSeriesCount>& AllTrendSeries() {
    static const std::array<TTrendSeries, kTrendSeriesCount> all = [] {
        std::array<TTrendSeries, kTrendSeriesCount> series{};
        for (std::size_t i = 0; i < kTrendSeriesCount; ++i) {
            series[i] = static_cast<TTrendSeries>(i);
        }
        return series;
    }();
    return all;
}

std::string SeriesKey(TTrendSeries series) {
    switch (series) {
    case TTrendSeries::TotalCounts:
        return "total_counts";
    case TTrendSeries::TotalPpb:
        return "total_ppb";
    case TTrendSeries::FlowRate:
        return "flow_rate";
    case TTrendSeries::CellCondition:
        return "cell_condition";
    case TTrendSeries::LaserCondition:
        return "laser_condition";
    default:
        break;
    }
    if (series < TTrendSeries::TotalCounts) {
        return "counts" + std::to_string(ChannelOf(series, TTrendSeries::Counts1));
    }
    return "ppb" + std::to_string(ChannelOf(series, TTrendSeries::Ppb1));
}

std::optional<TTrendSeries> SeriesFromKey(std::string_view key) {
    for (const TTrendSeries series : AllTrendSeries()) {
        if (SeriesKey(series) == key) {
            return series;
        }
    }
    return std::nullopt;
}

std::string SeriesName(TTrendSeries series) {
    switch (series) {
    case TTrendSeries::TotalCounts:
        return "Total Cnts";
    case TTrendSeries::TotalPpb:
        return "Total PPB";
    case TTrendSeries::FlowRate:
        return "Flow Rate";
    case TTrendSeries::CellCondition:
        return "Cell Condition";
    case TTrendSeries::LaserCondition:
        return "Laser Condition";
    default:
        break;
    }
    if (series < TTrendSeries::TotalCounts) {
        return "Cnts " + std::to_string(ChannelOf(series, TTrendSeries::Counts1));
    }
    return "PPB " + std::to_string(ChannelOf(series, TTrendSeries::Ppb1));
}

TSeriesGroup GroupOf(TTrendSeries series) {
    if (series <= TTrendSeries::TotalCounts) {
        return TSeriesGroup::Counts;
    }
    if (series <= TTrendSeries::TotalPpb) {
        return TSeriesGroup::Ppb;
    }
    return TSeriesGroup::Health;
}

std::string GroupName(TSeriesGroup group) {
    switch (group) {
    case TSeriesGroup::Counts:
        return "Counts";
    case TSeriesGroup::Ppb:
        return "PPB";
    case TSeriesGroup::Health:
        return "Health";
    }
    return {};
}

double SeriesValue(const TRecordItem& item, TTrendSeries series) {
    switch (series) {
    case TTrendSeries::FlowRate:
        return item.FlowRate();
    case TTrendSeries::CellCondition:
        return item.CellCondition();
    case TTrendSeries::LaserCondition:
        return item.LaserCondition();
    default:
        break;
    }
    if (series <= TTrendSeries::TotalCounts) {
        return item.Counts(static_cast<std::int32_t>(ChannelOf(series, TTrendSeries::Counts1)));
    }
    const auto channel = static_cast<std::int32_t>(ChannelOf(series, TTrendSeries::Ppb1));
    return item.PpbHundredths(channel) / 100.0;
}

static_assert(SeriesIndex(TTrendSeries::LaserCondition) + 1 == kTrendSeriesCount);
static_assert(SeriesIndex(TTrendSeries::TotalPpb) == 2 * kChannels + 1);

} // namespace Sondrel
