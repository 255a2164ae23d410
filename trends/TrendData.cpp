#include "TrendData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Sondrel {

namespace {

bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t DaysInMonth(std::int64_t year, std::int32_t month) {
    static constexpr std::int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (the civil-days
// algorithm: years counted from March, so the leap day ends a year).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = year / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct TCivilDate {
    std::int64_t Year, Month, Day;
};

TCivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

// The usual interval between points: the median of the intervals longer than zero (records of
// one minute share a time), or 0 when there are none.
std::int64_t UsualInterval(const std::vector<std::int64_t>& minutes) {
    std::vector<std::int64_t> intervals;
    intervals.reserve(minutes.size());
    for (std::size_t i = 1; i < minutes.size(); ++i) {
        if (minutes[i] > minutes[i - 1]) {
            intervals.push_back(minutes[i] - minutes[i - 1]);
        }
    }
    if (intervals.empty()) {
        return 0;
    }
    const auto middle = intervals.begin() + static_cast<std::ptrdiff_t>(intervals.size() / 2);
    std::nth_element(intervals.begin(), middle, intervals.end());
    return *middle;
}

} // namespace

std::optional<std::int64_t> RecordMinutes(std::uint16_t year, std::uint16_t month,
                                          std::uint16_t day, std::uint16_t hour,
                                          std::uint16_t minute) {
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour > 23 || minute > 59) {
        return std::nullopt;
    }
    return DaysFromCivil(year, month, day) * 1440 + hour * 60 + minute;
}

std::string MinutesText(std::int64_t minutes) {
    const std::int64_t days = FloorDiv(minutes, 1440);
    const std::int64_t ofDay = minutes - days * 1440;
    const TCivilDate date = CivilFromDays(days);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld",
                  static_cast<long long>(date.Year), static_cast<long long>(date.Month),
                  static_cast<long long>(date.Day), static_cast<long long>(ofDay / 60),
                  static_cast<long long>(ofDay % 60));
    return text;
}

bool TTrendData::BeginsSegment(std::size_t i) const {
    return std::binary_search(SegmentStarts.begin(), SegmentStarts.end(), i);
}

std::optional<std::size_t> TTrendData::NearestPoint(double minutes) const {
    if (Minutes.empty() || std::isnan(minutes)) {
        return std::nullopt;
    }
    const auto after = std::lower_bound(Minutes.begin(), Minutes.end(), minutes,
                                        [](std::int64_t point, double m) { return point < m; });
    if (after == Minutes.begin()) {
        return 0;
    }
    if (after == Minutes.end()) {
        return Minutes.size() - 1;
    }
    const auto before = after - 1;
    const bool afterIsNearer = static_cast<double>(*after) - minutes < minutes - *before;
    return static_cast<std::size_t>((afterIsNearer ? after : before) - Minutes.begin());
}

void TTrendDataBuilder::Add(const TRecordItem& item, std::int32_t row) {
    const std::optional<std::int64_t> minutes =
        item.HasDate()
            ? RecordMinutes(item.Year(), item.Month(), item.Day(), item.Hour(), item.Minute())
            : std::nullopt;
    if (!minutes) {
        ++FLeftOut;
        return;
    }
    TPoint point{*minutes, row, {}};
    for (const TTrendSeries series : AllTrendSeries()) {
        point.Values[SeriesIndex(series)] = SeriesValue(item, series);
    }
    FPoints.push_back(point);
}

TTrendData TTrendDataBuilder::Finish() {
    std::stable_sort(FPoints.begin(), FPoints.end(),
                     [](const TPoint& a, const TPoint& b) { return a.Minutes < b.Minutes; });
    TTrendData data;
    data.LeftOut = FLeftOut;
    const std::size_t count = FPoints.size();
    data.Minutes.reserve(count);
    data.Rows.reserve(count);
    for (auto& values : data.Values) {
        values.reserve(count);
    }
    for (const TPoint& point : FPoints) {
        data.Minutes.push_back(point.Minutes);
        data.Rows.push_back(point.Row);
        for (std::size_t s = 0; s < kTrendSeriesCount; ++s) {
            data.Values[s].push_back(point.Values[s]);
        }
    }
    if (count > 0) {
        data.SegmentStarts.push_back(0);
        const double usual = static_cast<double>(UsualInterval(data.Minutes));
        const double gap = std::max(1.0, TTrendData::GapFactor * usual);
        for (std::size_t i = 1; i < count; ++i) {
            if (static_cast<double>(data.Minutes[i] - data.Minutes[i - 1]) > gap) {
                data.SegmentStarts.push_back(i);
            }
        }
    }
    FPoints.clear();
    FLeftOut = 0;
    return data;
}

} // namespace Sondrel
