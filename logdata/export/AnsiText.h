// Text conversions of the exported files.
//
// The record list's texts are UTF-8 (in practice ASCII digits and punctuation, which every
// conversion below leaves as they are). The CSV and HTML files are written in the ANSI code
// page Windows-1252; the spreadsheet needs valid UTF-8 without control characters.
//
// Threads: any.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Sondrel {

enum TUnmappable : std::uint8_t {
    umQuestionMark,     // a character Windows-1252 lacks becomes '?'
    umNumericReference, // ... becomes an HTML reference "&#N;" (lossless in a page)
};

// UTF-8 to Windows-1252. Bytes that are not valid UTF-8 become '?' each.
std::string Utf8ToWindows1252(std::string_view text, TUnmappable unmappable);

// Valid UTF-8 for an XML document: invalid bytes, control characters other than tab, line
// feed and carriage return, and the non-characters U+FFFE and U+FFFF become '?'.
std::string XmlSafeUtf8(std::string_view text);

} // namespace Sondrel
