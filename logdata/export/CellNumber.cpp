#include "CellNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace Sondrel {

namespace {

constexpr std::int64_t kLargestExactInteger = std::int64_t{1} << 53;

// The number of `digits` decimal digits at text[at..], or nothing when any is not a digit.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t digits) {
    if (at + digits > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

std::optional<double> IntegerCellNumber(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value > kLargestExactInteger ||
        value < -kLargestExactInteger) {
        return std::nullopt;
    }
    return static_cast<double>(value);
}

std::optional<TCellDate> DateCellValue(std::string_view text) {
    if (text.size() != 10 || text[2] != '/' || text[5] != '/') {
        return std::nullopt;
    }
    const auto month = Digits(text, 0, 2);
    const auto day = Digits(text, 3, 2);
    const auto year = Digits(text, 6, 4);
    if (!month || !day || !year || *year < 1900 || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    return TCellDate{*year, *month, *day};
}

std::optional<TCellTime> TimeCellValue(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') {
        return std::nullopt;
    }
    const auto hour = Digits(text, 0, 2);
    const auto minute = Digits(text, 3, 2);
    if (!hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    return TCellTime{*hour, *minute};
}

std::optional<double> DoubleCellNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace Sondrel
