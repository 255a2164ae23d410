// The bounds of an excursion's acknowledgement (TExcursionAck), the same for what a user
// hands the archive and for what is read back from a database that someone may have edited
// by hand.
//
// The archive knows the series and limit kinds only by the form of their keys: lower-case
// words of letters and digits joined by "_" (series) or " " (kinds). Which keys exist is the
// trends' business (TrendSeries.h, TrendLimits.h); they check before they store.
//
// Threads: any; pure functions.
#pragma once

#include "ArchiveTypes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Sondrel {

inline constexpr std::size_t kMaxAcknowledgedByLength = 200; // characters
inline constexpr std::size_t kMaxAckCommentLength = 4000;    // characters
inline constexpr std::size_t kMaxAckKeyLength = 40;          // bytes of a series or kind key

// What is wrong with the acknowledgement, in words that name the field, or nothing when it
// can be stored.
std::optional<std::string> ExcursionAckProblem(const TExcursionAck& ack);

// Whether the text has the form of a record date-time ("YYYY-MM-DD hh:mm", a field out of
// range written in full: up to five digits each).
bool IsRecordDateTimeText(const std::string& text);
// Whether the text is a UTC time "YYYY-MM-DDThh:mm:ssZ".
bool IsUtcTimeText(const std::string& text);

// The bytes of the well-formed UTF-8 character at `at` (1..4), or 0 where there is none (a
// stray or cut byte, an overlong form, a surrogate, a code point past U+10FFFF).
std::size_t Utf8CharacterLength(std::string_view text, std::size_t at);

} // namespace Sondrel
