#include "RecordTime.h"

#include "LocalTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace SondrelSim {

namespace {

using namespace std::chrono;

constexpr std::int64_t kMinutesPerDay = 24 * 60;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

year_month_day DateOf(std::int64_t minutes) {
    return year_month_day{sys_days{days{FloorDiv(minutes, kMinutesPerDay)}}};
}

int MinuteOfDay(std::int64_t minutes) {
    return static_cast<int>(minutes - FloorDiv(minutes, kMinutesPerDay) * kMinutesPerDay);
}

} // namespace

std::optional<TRecordTime> TRecordTime::FromCalendar(int y, int m, int d, int hour, int minute) {
    if (m < 1 || m > 12 || d < 1 || d > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
        return std::nullopt;
    }
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)},
                              day{static_cast<unsigned>(d)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    const std::int64_t dayNumber = sys_days{date}.time_since_epoch().count();
    return TRecordTime(dayNumber * kMinutesPerDay + hour * 60 + minute);
}

std::optional<TRecordTime> TRecordTime::Parse(const std::string& text) {
    int y = 0, m = 0, d = 0, hour = 0, minute = 0;
    char separator = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n", &y, &m, &d, &separator, &hour, &minute,
                    &consumed) != 6 ||
        static_cast<std::size_t>(consumed) != text.size() ||
        (separator != ' ' && separator != 'T')) {
        return std::nullopt;
    }
    return FromCalendar(y, m, d, hour, minute);
}

TRecordTime TRecordTime::Now() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = Corvane::LocalTimeOf(now);
    return *FromCalendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min);
}

int TRecordTime::Year() const {
    return static_cast<int>(DateOf(FMinutes).year());
}

int TRecordTime::Month() const {
    return static_cast<int>(static_cast<unsigned>(DateOf(FMinutes).month()));
}

int TRecordTime::Day() const {
    return static_cast<int>(static_cast<unsigned>(DateOf(FMinutes).day()));
}

int TRecordTime::Hour() const {
    return MinuteOfDay(FMinutes) / 60;
}

int TRecordTime::Minute() const {
    return MinuteOfDay(FMinutes) % 60;
}

} // namespace SondrelSim
