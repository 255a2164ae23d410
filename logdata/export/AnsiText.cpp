#include "AnsiText.h"

#include <array>
#include <optional>

namespace Sondrel {

namespace {

// Code points of the Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

struct TDecoded {
    char32_t CodePoint = 0;
    std::size_t Length = 1;
    bool Valid = false;
};

// One UTF-8 sequence at text[at]; an invalid one is reported with length 1, so that every bad
// byte is replaced on its own. Overlong forms, surrogates and values above U+10FFFF are invalid.
TDecoded DecodeAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {};
    }
    if (at + length > text.size()) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {};
    }
    return {value, length, true};
}

std::optional<char> Windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string Utf8ToWindows1252(std::string_view text, TUnmappable unmappable) {
    if (IsAscii(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const TDecoded d = DecodeAt(text, at);
        at += d.Length;
        const std::optional<char> mapped = d.Valid ? Windows1252Byte(d.CodePoint) : std::nullopt;
        if (mapped) {
            out += *mapped;
        } else if (d.Valid && unmappable == umNumericReference) {
            out += "&#" + std::to_string(static_cast<std::uint32_t>(d.CodePoint)) + ";";
        } else {
            out += '?';
        }
    }
    return out;
}

std::string XmlSafeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const TDecoded d = DecodeAt(text, at);
        // XML 1.0 allows no control characters besides these three, nor U+FFFE and U+FFFF.
        const char32_t c = d.CodePoint;
        const bool allowed =
            (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') && c != 0xFFFE && c != 0xFFFF;
        if (d.Valid && allowed) {
            out.append(text.substr(at, d.Length));
        } else {
            out += '?';
        }
        at += d.Length;
    }
    return out;
}

} // namespace Sondrel
