#include "RegisterFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace Sondrel {

namespace {

// The registers of a value of n registers, most significant first, from the wire order.
std::array<std::uint16_t, 4> ToBigEndian(TWordOrder order, const std::uint16_t* registers,
                                         std::size_t n) {
    std::array<std::uint16_t, 4> words{};
    const bool reversed = order == woCDAB || order == woDCBA;
    const bool swapped = order == woBADC || order == woDCBA;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint16_t w = registers[reversed ? n - 1 - i : i];
        if (swapped) {
            w = static_cast<std::uint16_t>((w >> 8) | (w << 8));
        }
        words[i] = w;
    }
    return words;
}

// The inverse: wire-order registers from the most significant first.
Corvane::TRegValues FromBigEndian(TWordOrder order, const std::array<std::uint16_t, 4>& words,
                                  std::size_t n) {
    Corvane::TRegValues registers(n);
    const bool reversed = order == woCDAB || order == woDCBA;
    const bool swapped = order == woBADC || order == woDCBA;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint16_t w = words[i];
        if (swapped) {
            w = static_cast<std::uint16_t>((w >> 8) | (w << 8));
        }
        registers[reversed ? n - 1 - i : i] = w;
    }
    return registers;
}

std::uint64_t Combine(const std::array<std::uint16_t, 4>& words, std::size_t n) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        value = (value << 16) | words[i];
    }
    return value;
}

std::array<std::uint16_t, 4> Split(std::uint64_t value, std::size_t n) {
    std::array<std::uint16_t, 4> words{};
    for (std::size_t i = n; i-- > 0;) {
        words[i] = static_cast<std::uint16_t>(value & 0xFFFF);
        value >>= 16;
    }
    return words;
}

template <typename Float>
std::string FloatText(Float value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The whole text as a number of type T in the given base; nothing when any character is left.
template <typename T>
std::optional<T> WholeNumber(std::string_view text, int base = 10) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

template <typename Float>
std::optional<Float> WholeFloat(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    Float value{};
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::size_t RegistersPerValue(TRegisterFormat format) {
    switch (format) {
    case rfUnsigned32:
    case rfSigned32:
    case rfFloat32:
        return 2;
    case rfFloat64:
        return 4;
    default:
        return 1;
    }
}

std::string FormatName(TRegisterFormat format) {
    switch (format) {
    case rfUnsigned:
        return "unsigned";
    case rfSigned:
        return "signed";
    case rfHex:
        return "hex";
    case rfBinary:
        return "binary";
    case rfUnsigned32:
        return "uint32";
    case rfSigned32:
        return "int32";
    case rfFloat32:
        return "float32";
    case rfFloat64:
        return "float64";
    }
    return "unsigned";
}

std::optional<TRegisterFormat> FormatFromName(std::string_view name) {
    for (const TRegisterFormat format : kRegisterFormats) {
        if (FormatName(format) == name) {
            return format;
        }
    }
    return std::nullopt;
}

std::string WordOrderName(TWordOrder order) {
    switch (order) {
    case woABCD:
        return "ABCD";
    case woCDAB:
        return "CDAB";
    case woBADC:
        return "BADC";
    case woDCBA:
        return "DCBA";
    }
    return "ABCD";
}

std::optional<TWordOrder> WordOrderFromName(std::string_view name) {
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const TWordOrder order : kWordOrders) {
        if (WordOrderName(order) == upper) {
            return order;
        }
    }
    return std::nullopt;
}

std::string FormatValue(TRegisterFormat format, TWordOrder order, const std::uint16_t* registers) {
    const std::size_t n = RegistersPerValue(format);
    const std::uint64_t bits = Combine(ToBigEndian(order, registers, n), n);
    switch (format) {
    case rfUnsigned:
    case rfUnsigned32:
        return std::to_string(bits);
    case rfSigned:
        return std::to_string(static_cast<std::int16_t>(bits));
    case rfSigned32:
        return std::to_string(static_cast<std::int32_t>(bits));
    case rfHex: {
        char text[8];
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(bits));
        return text;
    }
    case rfBinary: {
        std::string text(16, '0');
        for (int i = 0; i < 16; ++i) {
            if (((bits >> (15 - i)) & 1) != 0) {
                text[static_cast<std::size_t>(i)] = '1';
            }
        }
        return text;
    }
    case rfFloat32:
        return FloatText(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
    case rfFloat64:
        return FloatText(std::bit_cast<double>(bits));
    }
    return {};
}

std::vector<std::string> FormatValues(TRegisterFormat format, TWordOrder order,
                                      const Corvane::TRegValues& registers) {
    std::vector<std::string> texts;
    const std::size_t n = RegistersPerValue(format);
    for (std::size_t at = 0; at + n <= registers.size(); at += n) {
        texts.push_back(FormatValue(format, order, registers.data() + at));
    }
    return texts;
}

TParsedValue ParseValue(TRegisterFormat format, TWordOrder order, std::string_view raw) {
    const std::string_view text = Trimmed(raw);
    const std::size_t n = RegistersPerValue(format);
    std::optional<std::uint64_t> bits;
    std::string expected;
    switch (format) {
    case rfUnsigned:
        if (const auto v = WholeNumber<std::uint16_t>(text)) {
            bits = *v;
        }
        expected = "an integer from 0 to 65535";
        break;
    case rfSigned:
        if (const auto v = WholeNumber<std::int16_t>(text)) {
            bits = static_cast<std::uint16_t>(*v);
        }
        expected = "an integer from -32768 to 32767";
        break;
    case rfHex: {
        std::string_view digits = text;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
        }
        if (!digits.empty() && digits.size() <= 4 && digits.front() != '+') {
            if (const auto v = WholeNumber<std::uint16_t>(digits, 16)) {
                bits = *v;
            }
        }
        expected = "1 to 4 hex digits (0x0000 to 0xFFFF)";
        break;
    }
    case rfBinary:
        if (!text.empty() && text.size() <= 16 && text.front() != '+') {
            if (const auto v = WholeNumber<std::uint16_t>(text, 2)) {
                bits = *v;
            }
        }
        expected = "1 to 16 binary digits";
        break;
    case rfUnsigned32:
        if (const auto v = WholeNumber<std::uint32_t>(text)) {
            bits = *v;
        }
        expected = "an integer from 0 to 4294967295";
        break;
    case rfSigned32:
        if (const auto v = WholeNumber<std::int32_t>(text)) {
            bits = static_cast<std::uint32_t>(*v);
        }
        expected = "an integer from -2147483648 to 2147483647";
        break;
    case rfFloat32:
        if (const auto v = WholeFloat<float>(text)) {
            bits = std::bit_cast<std::uint32_t>(*v);
        }
        expected = "a finite 32-bit floating point number";
        break;
    case rfFloat64:
        if (const auto v = WholeFloat<double>(text)) {
            bits = std::bit_cast<std::uint64_t>(*v);
        }
        expected = "a finite 64-bit floating point number";
        break;
    }
    TParsedValue parsed;
    if (!bits) {
        parsed.Error = "'" + std::string(raw) + "' is not " + expected;
        return parsed;
    }
    parsed.Registers = FromBigEndian(order, Split(*bits, n), n);
    return parsed;
}

} // namespace Sondrel
