#include "TrendLimits.h"

#include <algorithm>

namespace Sondrel {

const std::array<TLimitKind, kLimitKindCount>& AllLimitKinds() {
    static const std::array<TLimitKind, kLimitKindCount> all = {
        TLimitKind::AlertHigh, TLimitKind::ActionHigh, TLimitKind::AlertLow, TLimitKind::ActionLow};
    return all;
}

std::string LimitKindKey(TLimitKind kind) {
    switch (kind) {
    case TLimitKind::AlertHigh:
        return "alert high";
    case TLimitKind::ActionHigh:
        return "action high";
    case TLimitKind::AlertLow:
        return "alert low";
    case TLimitKind::ActionLow:
        return "action low";
    }
    return {};
}

std::optional<TLimitKind> LimitKindFromKey(std::string_view key) {
    for (const TLimitKind kind : AllLimitKinds()) {
        if (LimitKindKey(kind) == key) {
            return kind;
        }
    }
    return std::nullopt;
}

bool TSeriesLimits::Any() const {
    return std::any_of(Limits.begin(), Limits.end(), [](const auto& limit) { return limit; });
}

bool TSeriesLimits::Beyond(TLimitKind kind, double value) const {
    const std::optional<double> limit = Of(kind);
    if (!limit) {
        return false;
    }
    return IsHighLimit(kind) ? value > *limit : value < *limit;
}

std::optional<TLimitKind> TSeriesLimits::WorstBeyond(double value) const {
    for (const TLimitKind kind : {TLimitKind::ActionHigh, TLimitKind::ActionLow,
                                  TLimitKind::AlertHigh, TLimitKind::AlertLow}) {
        if (Beyond(kind, value)) {
            return kind;
        }
    }
    return std::nullopt;
}

bool TInstrumentLimits::Any() const {
    return std::any_of(Series.begin(), Series.end(),
                       [](const TSeriesLimits& limits) { return limits.Any(); });
}

} // namespace Sondrel
