#include "LimitsEditing.h"

#include <charconv>
#include <cmath>

namespace Sondrel {

namespace {

std::string Described(TLimitKind kind, double value) {
    return "the " + LimitKindKey(kind) + " limit " + LimitValueText(value);
}

} // namespace

std::optional<std::string> SeriesLimitsProblem(TTrendSeries series, const TSeriesLimits& limits) {
    const std::string name = SeriesName(series) + ": ";
    for (const TLimitKind kind : AllLimitKinds()) {
        if (const auto value = limits.Of(kind); value && !std::isfinite(*value)) {
            return name + "the " + LimitKindKey(kind) + " limit is not a finite number";
        }
    }
    const auto alertHigh = limits.Of(TLimitKind::AlertHigh);
    const auto actionHigh = limits.Of(TLimitKind::ActionHigh);
    const auto alertLow = limits.Of(TLimitKind::AlertLow);
    const auto actionLow = limits.Of(TLimitKind::ActionLow);
    if (alertHigh && actionHigh && *alertHigh > *actionHigh) {
        return name + Described(TLimitKind::AlertHigh, *alertHigh) + " is above " +
               Described(TLimitKind::ActionHigh, *actionHigh);
    }
    if (alertLow && actionLow && *alertLow < *actionLow) {
        return name + Described(TLimitKind::AlertLow, *alertLow) + " is below " +
               Described(TLimitKind::ActionLow, *actionLow);
    }
    for (const TLimitKind low : {TLimitKind::AlertLow, TLimitKind::ActionLow}) {
        for (const TLimitKind high : {TLimitKind::AlertHigh, TLimitKind::ActionHigh}) {
            const auto lowValue = limits.Of(low);
            const auto highValue = limits.Of(high);
            if (lowValue && highValue && !(*lowValue < *highValue)) {
                return name + Described(low, *lowValue) + " is not below " +
                       Described(high, *highValue);
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> InstrumentLimitsProblem(const TInstrumentLimits& limits) {
    for (const TTrendSeries series : AllTrendSeries()) {
        if (auto problem = SeriesLimitsProblem(series, limits.Of(series))) {
            return problem;
        }
    }
    return std::nullopt;
}

std::string LimitKeyText(TTrendSeries series, TLimitKind kind) {
    std::string kindKey = LimitKindKey(kind);
    for (char& c : kindKey) {
        c = c == ' ' ? '_' : c;
    }
    return SeriesKey(series) + "." + kindKey;
}

std::optional<TLimitKey> ParseLimitKey(std::string_view text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    std::string kind(text.substr(dot + 1));
    for (char& c : kind) {
        c = c == '_' ? ' ' : c;
    }
    const auto series = SeriesFromKey(text.substr(0, dot));
    const auto limitKind = LimitKindFromKey(kind);
    if (!series || !limitKind) {
        return std::nullopt;
    }
    return TLimitKey{*series, *limitKind};
}

std::optional<double> ParseLimitValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string LimitValueText(double value) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("?");
}

} // namespace Sondrel
