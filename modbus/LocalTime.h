// The local calendar time of a moment, converted safely for any thread: the C library's
// std::localtime shares one result between all threads, and the thread-safe form has a
// different name on each platform (posix/ and win32/LocalTime.cpp). For the time stamps of
// the log and the clock of the simulated instrument.
#pragma once

#include <ctime>

namespace Corvane {

std::tm LocalTimeOf(std::time_t t);

} // namespace Corvane
