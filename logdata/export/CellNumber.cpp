#include "CellNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace Sondrel {

namespace {

constexpr std::int64_t kLargestExactInteger = std::int64_t{1} << 53;

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
