#include "TextToInteger.h"

#include "CorvaneError.h"

#include <charconv>

namespace Sondrel {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<std::int64_t> TextToInteger(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would accept a second sign; only digits may follow ours.
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    // Parsed as unsigned so that the most negative 64-bit value is reachable.
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(INT64_MAX);
    if (!negative) {
        if (magnitude > kMaxPositive) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > kMaxPositive + 1) {
        return std::nullopt;
    }
    return magnitude == kMaxPositive + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
}

TRangeCheck CheckIntegerRange(std::string_view text, std::int64_t min, std::int64_t max,
                              TEqualBounds equalBounds) {
    TRangeCheck check;
    const auto value = TextToInteger(text);
    if (!value) {
        check.Error = Corvane::FormatText(Corvane::MessageText(Corvane::msgNotAValidInteger),
                                          {std::string(text)});
        return check;
    }
    check.Value = *value;
    const bool skipRange = min == max && equalBounds == ebAcceptAny;
    if (!skipRange && (*value < min || *value > max)) {
        check.Error =
            Corvane::FormatText(Corvane::MessageText(Corvane::msgValueMustBeBetween), {min, max});
        return check;
    }
    check.Ok = true;
    return check;
}

} // namespace Sondrel
