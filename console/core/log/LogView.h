// The screen side of the transaction log: the rich-text view of the window, standard output
// in the command-line tool, a vector in the tests.
//
// TTransactionLog hands over one screen line per call, never containing a line break: a text
// with line breaks arrives as several lines, and a text ending in CR LF as its line followed
// by an empty one. The view is called from the thread that writes the log (the main thread).
#pragma once

#include <cstdint>
#include <string>

namespace Sondrel {

enum TLogColour : std::uint8_t { lcBlack, lcRed, lcBlue, lcGreen };

struct TLogStyle {
    bool Bold = false;
    int Size = 7; // points
    TLogColour Colour = lcBlack;

    bool operator==(const TLogStyle&) const = default;
};

// The colour of a colour code: 0 black, 1 red, 2 blue, 3 green, any other value black.
TLogColour LogColourFromCode(int code);

// Plain lines: 7 points, black, regular.
inline constexpr TLogStyle kDefaultLogStyle{};
// Failures of the download and of the connection: bold, 8 points, red.
inline constexpr TLogStyle kFailureLogStyle{true, 8, lcRed};

class ILogView {
public:
    virtual ~ILogView() = default;
    // Appends one line (without a line end) and shows the end of the log.
    virtual void AppendLine(const std::string& line, const TLogStyle& style) = 0;
    // Removes every line.
    virtual void Clear() = 0;
};

} // namespace Sondrel
