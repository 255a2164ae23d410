// Windows: the multimedia timer's finest period, held with timeBeginPeriod for the life of the
// object. Without it, waits of a few milliseconds (the 16 ms silent gap of an RTU frame) last
// a whole scheduler tick of the system's default resolution, 15.6 ms.
#include "SystemClockResolutionEnhancer.h"

#include "CorvaneError.h"
#include "Win32Api.h"

#include <mmsystem.h>

#include <algorithm>

namespace Corvane {

TSystemClockResolutionEnhancer::TSystemClockResolutionEnhancer() {
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) != MMSYSERR_NOERROR) {
        throw ECorvaneError(msgFailedToEnhanceClock);
    }
    const UINT period = std::min(caps.wPeriodMin, caps.wPeriodMax);
    if (period == 0 || timeBeginPeriod(period) != TIMERR_NOERROR) {
        throw ECorvaneError(msgFailedToEnhanceClock);
    }
    FPeriod = period;
}

TSystemClockResolutionEnhancer::~TSystemClockResolutionEnhancer() {
    if (FPeriod != 0) {
        timeEndPeriod(FPeriod);
    }
}

} // namespace Corvane
