// The document model the RTF reader produces: paragraphs of runs of equally styled text.
// Plain values; copy and move freely.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

struct TRtfColour {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    bool operator==(const TRtfColour&) const = default;
};

struct TRtfCharFormat {
    static constexpr int DefaultHalfPoints = 24; // 12 points, the RTF default

    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int HalfPoints = DefaultHalfPoints;
    std::optional<TRtfColour> Colour; // none: the viewer's text colour ("auto")
    bool operator==(const TRtfCharFormat&) const = default;
};

// Text is UTF-8 and never empty; '\n' is a line break inside the paragraph, '\t' a tab.
struct TRtfRun {
    TRtfCharFormat Format;
    std::string Text;
};

struct TRtfParagraph {
    std::vector<TRtfRun> Runs;
};

struct TRtfDocument {
    std::vector<TRtfParagraph> Paragraphs;
    // Not an RTF file (or unreadable, or too large): show nothing.
    bool Damaged = false;
    // Ended early (unclosed groups, nesting or size limits): what was read is shown.
    bool Truncated = false;
};

} // namespace Sondrel
