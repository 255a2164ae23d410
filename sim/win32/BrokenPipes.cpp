// Windows raises no signal for a write to a closed pipe: the write fails with ERROR_NO_DATA
// (EPIPE in the C library), which the simulator already takes as a failed write.
#include "BrokenPipes.h"

namespace SondrelSim {

void IgnoreBrokenPipes() {}

} // namespace SondrelSim
