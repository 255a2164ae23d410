#include "TrendTimeAxis.h"

#include "TrendData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Sondrel {

namespace {

constexpr double kDay = 1440;
// Steps of whole minutes, aligned to multiples of themselves from 1970-01-01 00:00.
constexpr std::array<double, 15> kMinuteSteps{
    1, 2, 5, 10, 15, 30, 60, 120, 180, 360, 720, kDay, 2 * kDay, 5 * kDay, 10 * kDay};
// Steps of calendar months beyond them.
constexpr std::array<int, 12> kMonthSteps{1, 2, 3, 6, 12, 24, 60, 120, 240, 600, 1200, 2400};
constexpr double kMonth = 30.44 * kDay;

std::string LabelOf(double minutes, std::size_t length, std::size_t first = 0) {
    return MinutesText(static_cast<std::int64_t>(minutes)).substr(first, length);
}

std::vector<TTimeTick> MinuteTicks(double from, double to, double step) {
    const std::size_t first = step < kDay ? 5 : 0;
    const std::size_t length = step < kDay ? 11 : 10;
    std::vector<TTimeTick> ticks;
    for (double t = std::ceil(from / step) * step; t <= to; t += step) {
        ticks.push_back({t, LabelOf(t, length, first)});
    }
    return ticks;
}

std::vector<TTimeTick> MonthTicks(double from, double to, int step) {
    const std::string start = MinutesText(static_cast<std::int64_t>(std::max(from, 0.0)));
    const int year = std::stoi(start.substr(0, 4));
    const int month = std::stoi(start.substr(5, 2));
    int index = year * 12 + month - 1;
    index = (index + step - 1) / step * step;
    std::vector<TTimeTick> ticks;
    for (;; index += step) {
        const auto minutes = RecordMinutes(static_cast<std::uint16_t>(index / 12),
                                           static_cast<std::uint16_t>(index % 12 + 1), 1, 0, 0);
        if (!minutes || static_cast<double>(*minutes) > to) {
            break;
        }
        if (static_cast<double>(*minutes) >= from) {
            ticks.push_back({static_cast<double>(*minutes),
                             LabelOf(static_cast<double>(*minutes), step < 12 ? 7 : 4)});
        }
    }
    return ticks;
}

} // namespace

std::vector<TTimeTick> TimeTicks(double from, double to, std::size_t maxTicks) {
    // Beyond the calendar the minutes can be named in (1970..9999) there is nothing to label.
    constexpr double kLast = 8030.0 * 366 * kDay;
    if (!std::isfinite(from) || !std::isfinite(to) || to < from || from < 0 || to > kLast) {
        return {};
    }
    const double least = (to - from) / static_cast<double>(std::max<std::size_t>(maxTicks, 1));
    for (const double step : kMinuteSteps) {
        if (step >= least) {
            return MinuteTicks(from, to, step);
        }
    }
    for (const int step : kMonthSteps) {
        if (step * kMonth >= least) {
            return MonthTicks(from, to, step);
        }
    }
    return {};
}

} // namespace Sondrel
