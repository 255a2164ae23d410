// TLineSplitter: cuts a byte stream (a child process's output) into lines for a callback.
// A line ends at LF; a CR before the LF is dropped. A line longer than MaxLineBytes is handed
// over in pieces of that size so that output without line ends cannot grow without bound.
// Not thread-safe; owned by whoever feeds it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace Sondrel {

class TLineSplitter {
public:
    using TLineCallback = std::function<void(const std::string& line)>;

    static constexpr std::size_t MaxLineBytes = 4096;

    explicit TLineSplitter(TLineCallback onLine) : FOnLine(std::move(onLine)) {}

    void Feed(std::string_view bytes);
    // Hands over a last line that has no line end.
    void Finish();

private:
    void Emit();

    TLineCallback FOnLine;
    std::string FPending;
};

} // namespace Sondrel
