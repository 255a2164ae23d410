// Alert and action limits of the trend series, per instrument.
//
// Every series may have an alert and an action limit above (counts, totals and PPB are
// watched this way) and below (the flow rate, cell and laser condition drifting down); a limit
// not set is not watched. A value is beyond a high limit when it is greater than it, beyond a
// low limit when it is less. The action limit is the graver one: a value beyond both is
// reported as beyond the action limit.
//
// Threads: any; plain values.
#pragma once

#include "TrendSeries.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Sondrel {

enum class TLimitKind : std::uint8_t { AlertHigh, ActionHigh, AlertLow, ActionLow };

inline constexpr std::size_t kLimitKindCount = 4;

const std::array<TLimitKind, kLimitKindCount>& AllLimitKinds();
// "alert high", "action high", "alert low", "action low" (settings, the archive, JSON, text).
std::string LimitKindKey(TLimitKind kind);
std::optional<TLimitKind> LimitKindFromKey(std::string_view key);
inline bool IsHighLimit(TLimitKind kind) {
    return kind == TLimitKind::AlertHigh || kind == TLimitKind::ActionHigh;
}
inline bool IsActionLimit(TLimitKind kind) {
    return kind == TLimitKind::ActionHigh || kind == TLimitKind::ActionLow;
}

struct TSeriesLimits {
    std::array<std::optional<double>, kLimitKindCount> Limits{};

    std::optional<double> Of(TLimitKind kind) const {
        return Limits[static_cast<std::size_t>(kind)];
    }
    void Set(TLimitKind kind, std::optional<double> value) {
        Limits[static_cast<std::size_t>(kind)] = value;
    }
    bool Any() const;
    // Whether the value is beyond the limit of this kind (false when it is not set).
    bool Beyond(TLimitKind kind, double value) const;
    // The gravest limit the value is beyond: an action limit before an alert limit.
    std::optional<TLimitKind> WorstBeyond(double value) const;

    bool operator==(const TSeriesLimits&) const = default;
};

struct TInstrumentLimits {
    std::array<TSeriesLimits, kTrendSeriesCount> Series{};

    const TSeriesLimits& Of(TTrendSeries series) const { return Series[SeriesIndex(series)]; }
    TSeriesLimits& Of(TTrendSeries series) { return Series[SeriesIndex(series)]; }
    bool Any() const;

    bool operator==(const TInstrumentLimits&) const = default;
};

} // namespace Sondrel
