// Platform quirk: writing terminal attributes and speed in one step.
//
// Two Linux quirks live behind this function. Speeds without a B-constant (14400, 56000,
// 128000, 256000, any custom rate) need the termios2 structure with the BOTHER flag, whose
// kernel header clashes with <termios.h>. And glibc's tcsetattr() reads the settings back
// and reports EINVAL when the terminal dropped the parity or character-size bits, which a
// pseudo-terminal always does although it carries the bytes unchanged. Writing through
// termios2 sidesteps both: the kernel's answer alone decides.
#pragma once

#include <cstdint>

namespace Corvane {

// The termios flag words and the two read-control characters, with the flag values of
// <termios.h> (the kernel's own values on Linux).
struct TTerminalAttributes {
    std::uint32_t InputFlags = 0;
    std::uint32_t OutputFlags = 0;
    std::uint32_t ControlFlags = 0; // the speed bits in it are ignored
    std::uint32_t LocalFlags = 0;
    std::uint8_t MinChars = 1;       // VMIN
    std::uint8_t TimeoutDeciSec = 0; // VTIME
    std::uint32_t BaudRate = 19200;  // bits per second, above 0
};

// Writes the attributes to the open terminal fd at once (TCSANOW). Returns false with errno
// set; ENOTSUP where the platform has no interface for the requested speed.
bool WriteTerminalAttributes(int fd, const TTerminalAttributes& attributes);

} // namespace Corvane
