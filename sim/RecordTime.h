// TRecordTime: the time stamp of a log record, to the minute, with its calendar fields.
// A plain value (minutes since 1970-01-01 00:00, no time zone): any thread, copied freely.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace SondrelSim {

class TRecordTime {
public:
    TRecordTime() = default;
    explicit TRecordTime(std::int64_t minutes) : FMinutes(minutes) {}

    // The time of a calendar date and time; nothing for a date that does not exist
    // (30 February, month 13, minute 60).
    static std::optional<TRecordTime> FromCalendar(int year, int month, int day, int hour,
                                                   int minute);
    // "YYYY-MM-DD HH:MM" (also with 'T' between date and time); nothing when malformed.
    static std::optional<TRecordTime> Parse(const std::string& text);
    // The local wall-clock time, rounded down to the minute.
    static TRecordTime Now();

    std::int64_t Minutes() const { return FMinutes; }
    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const;
    int Minute() const;

    TRecordTime operator+(std::int64_t minutes) const { return TRecordTime(FMinutes + minutes); }
    TRecordTime operator-(std::int64_t minutes) const { return TRecordTime(FMinutes - minutes); }
    std::int64_t operator-(TRecordTime other) const { return FMinutes - other.FMinutes; }
    auto operator<=>(const TRecordTime&) const = default;

private:
    std::int64_t FMinutes = 0;
};

} // namespace SondrelSim
