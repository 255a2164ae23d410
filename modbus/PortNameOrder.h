// The order in which the port pickers list serial ports: runs of digits compare by their value
// ("COM2" before "COM10", "ttyS2" before "ttyS10"), everything else by character code.
// Pure function; any thread.
#pragma once

#include <string>

namespace Corvane {

bool NaturalLess(const std::string& a, const std::string& b);

} // namespace Corvane
