// TRtfReader: reads what an instruction file written by a word processor holds into a
// TRtfDocument: text, paragraphs, bold, italic, underline, font size and colour. Everything
// else (fonts, styles, pictures, headers, fields' instructions, document information, any
// "\*" destination) is skipped.
//
// Input is untrusted: every size is capped (input, text, runs, paragraphs, colour table,
// nesting depth, numbers of control words), the reader works in one forward pass without
// recursion and always ends. Text in "\'hh" escapes and raw 8-bit bytes is read as
// Windows-1252 whatever the file's code page; "\uN" is read as UTF-16 with its fallback
// characters skipped ("\ucN", at most 16).
//
// Stateless; any thread may call it.
#pragma once

#include "RtfDocument.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Sondrel {

class TRtfReader {
public:
    static constexpr std::size_t MaxInputBytes = 64u << 20; // pictures make real files large
    static constexpr std::size_t MaxTextBytes = 1u << 20;   // some 500 pages of text
    static constexpr std::size_t MaxRuns = 100000;
    static constexpr std::size_t MaxParagraphs = 100000;
    static constexpr std::size_t MaxColours = 1024;
    static constexpr int MaxDepth = 128;

    // A text that does not begin with "{\rtf" (after white space) is Damaged.
    static TRtfDocument Parse(std::string_view rtf);

    // Reads and parses a file; a missing, unreadable or oversized file is Damaged.
    static TRtfDocument LoadFile(const std::string& path);
};

} // namespace Sondrel
