#include "Excursions.h"

#include <algorithm>
#include <tuple>

namespace Sondrel {

namespace {

// The runs of points beyond one limit of one series.
void FindRuns(const TTrendData& data, TTrendSeries series, TLimitKind kind, double limit,
              std::vector<TExcursion>& found) {
    const std::vector<double>& values = data.Of(series);
    const bool high = IsHighLimit(kind);
    std::optional<TExcursion> run;
    const auto close = [&] {
        if (run) {
            found.push_back(*run);
            run.reset();
        }
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (data.BeginsSegment(i)) {
            close();
        }
        const double value = values[i];
        if (high ? !(value > limit) : !(value < limit)) {
            close();
            continue;
        }
        if (!run) {
            run = TExcursion{series, kind, limit, value, data.Minutes[i], data.Minutes[i], i, i, 0};
        }
        run->Peak = high ? std::max(run->Peak, value) : std::min(run->Peak, value);
        run->EndMinutes = data.Minutes[i];
        run->LastPoint = i;
        ++run->Points;
    }
    close();
}

} // namespace

std::string TExcursion::Start() const {
    return MinutesText(StartMinutes);
}

std::string TExcursion::End() const {
    return MinutesText(EndMinutes);
}

std::vector<TExcursion> FindExcursions(const TTrendData& data, const TInstrumentLimits& limits) {
    std::vector<TExcursion> found;
    for (const TTrendSeries series : AllTrendSeries()) {
        for (const TLimitKind kind : AllLimitKinds()) {
            if (const std::optional<double> limit = limits.Of(series).Of(kind)) {
                FindRuns(data, series, kind, *limit, found);
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const TExcursion& a, const TExcursion& b) {
        return std::tuple(a.StartMinutes, a.Series, a.Kind) <
               std::tuple(b.StartMinutes, b.Series, b.Kind);
    });
    return found;
}

} // namespace Sondrel
