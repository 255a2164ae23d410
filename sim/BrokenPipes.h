// A client that vanishes in the middle of a reply must not end the simulator: on POSIX a write
// to a closed pipe or terminal raises SIGPIPE, which would; the process ignores it instead and
// sees the failed write. posix/ and win32/BrokenPipes.cpp; CMake picks one.
// Call once at start, from the main thread.
#pragma once

namespace SondrelSim {

void IgnoreBrokenPipes();

} // namespace SondrelSim
