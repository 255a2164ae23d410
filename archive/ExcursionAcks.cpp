#include "ExcursionAcks.h"

#include <cstdint>

namespace Sondrel {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits from `at` up to a separator; their count in [least, most]. Moves `at` past them.
bool TakeDigits(const std::string& text, std::size_t& at, std::size_t least, std::size_t most) {
    std::size_t count = 0;
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
        ++count;
    }
    return count >= least && count <= most;
}

bool TakeChar(const std::string& text, std::size_t& at, char c) {
    if (at < text.size() && text[at] == c) {
        ++at;
        return true;
    }
    return false;
}

// The number of characters of well-formed UTF-8 text, or nothing when it is not.
std::optional<std::size_t> Utf8Length(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        const std::size_t length = Utf8CharacterLength(text, i);
        if (length == 0) {
            return std::nullopt;
        }
        i += length;
    }
    return characters;
}

// Control characters other than those a comment may hold (line breaks and tabs).
bool HasControl(const std::string& text, bool allowLineBreaks) {
    for (const char c : text) {
        const auto u = static_cast<std::uint8_t>(c);
        const bool lineBreak = c == '\n' || c == '\r' || c == '\t';
        if ((u < 0x20 || u == 0x7F) && !(allowLineBreaks && lineBreak)) {
            return true;
        }
    }
    return false;
}

// Lower-case words of letters and digits, joined by single `joiner`s.
bool IsKey(const std::string& key, char joiner) {
    if (key.empty() || key.size() > kMaxAckKeyLength || key.front() == joiner ||
        key.back() == joiner) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        const bool word = (c >= 'a' && c <= 'z') || IsDigit(c);
        if (c == joiner ? key[i - 1] == joiner : !word) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> TextProblem(const std::string& what, const std::string& text,
                                       std::size_t maxLength, bool multiLine) {
    const std::optional<std::size_t> length = Utf8Length(text);
    if (!length) {
        return what + " is not UTF-8 text";
    }
    if (*length > maxLength) {
        return what + " is longer than " + std::to_string(maxLength) + " characters (" +
               std::to_string(*length) + ")";
    }
    if (HasControl(text, multiLine)) {
        return what + " holds control characters";
    }
    return std::nullopt;
}

} // namespace

std::size_t Utf8CharacterLength(std::string_view text, std::size_t at) {
    if (at >= text.size()) {
        return 0;
    }
    const auto lead = static_cast<std::uint8_t>(text[at]);
    std::size_t more = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        code = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        code = lead & 0x0FU;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        code = lead & 0x07U;
    } else {
        return 0;
    }
    if (at + more >= text.size()) {
        return 0; // cut off in the middle of a character
    }
    for (std::size_t k = 1; k <= more; ++k) {
        const auto next = static_cast<std::uint8_t>(text[at + k]);
        if ((next & 0xC0U) != 0x80U) {
            return 0;
        }
        code = (code << 6U) | (next & 0x3FU);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
    if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return more + 1;
}

bool IsRecordDateTimeText(const std::string& text) {
    std::size_t at = 0;
    return TakeDigits(text, at, 4, 5) && TakeChar(text, at, '-') && TakeDigits(text, at, 2, 5) &&
           TakeChar(text, at, '-') && TakeDigits(text, at, 2, 5) && TakeChar(text, at, ' ') &&
           TakeDigits(text, at, 2, 5) && TakeChar(text, at, ':') && TakeDigits(text, at, 2, 5) &&
           at == text.size();
}

bool IsUtcTimeText(const std::string& text) {
    std::size_t at = 0;
    return TakeDigits(text, at, 4, 4) && TakeChar(text, at, '-') && TakeDigits(text, at, 2, 2) &&
           TakeChar(text, at, '-') && TakeDigits(text, at, 2, 2) && TakeChar(text, at, 'T') &&
           TakeDigits(text, at, 2, 2) && TakeChar(text, at, ':') && TakeDigits(text, at, 2, 2) &&
           TakeChar(text, at, ':') && TakeDigits(text, at, 2, 2) && TakeChar(text, at, 'Z') &&
           at == text.size();
}

std::optional<std::string> ExcursionAckProblem(const TExcursionAck& ack) {
    if (ack.InstrumentId <= 0) {
        return "the instrument id " + std::to_string(ack.InstrumentId) + " is not an archive's";
    }
    if (!IsKey(ack.Series, '_')) {
        return "the series \"" + ack.Series.substr(0, kMaxAckKeyLength) + "\" is not a series key";
    }
    if (!IsKey(ack.LimitKind, ' ')) {
        return "the limit kind \"" + ack.LimitKind.substr(0, kMaxAckKeyLength) +
               "\" is not a limit kind key";
    }
    if (!IsRecordDateTimeText(ack.StartedAt)) {
        return "the excursion's start is not a record date-time (YYYY-MM-DD hh:mm)";
    }
    if (!IsUtcTimeText(ack.AcknowledgedAt)) {
        return "the acknowledgement's time is not a UTC time (YYYY-MM-DDThh:mm:ssZ)";
    }
    if (ack.AcknowledgedBy.empty()) {
        return "who acknowledged it is not given";
    }
    if (auto problem = TextProblem("who acknowledged it", ack.AcknowledgedBy,
                                   kMaxAcknowledgedByLength, false)) {
        return problem;
    }
    return TextProblem("the comment", ack.Comment, kMaxAckCommentLength, true);
}

} // namespace Sondrel
