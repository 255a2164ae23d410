// POSIX: timers are already fine-grained (hrtimers on Linux), so nothing is raised or
// restored; the period reported is the 1 ms granularity of the library's waits.
#include "SystemClockResolutionEnhancer.h"

namespace Corvane {

TSystemClockResolutionEnhancer::TSystemClockResolutionEnhancer() : FPeriod(1) {}

TSystemClockResolutionEnhancer::~TSystemClockResolutionEnhancer() = default;

} // namespace Corvane
