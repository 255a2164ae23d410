// TSystemClockResolutionEnhancer: raises the resolution of the system's timers for as long
// as it lives, so that waits of a few milliseconds (the silent gap that ends an RTU frame,
// 16 ms at least) are kept. The library creates one instance at start-up and frees it at the
// end; it does not depend on an open port.
//
// On Windows it asks the multimedia timer for its finest period and holds it; on failure the
// constructor raises "Failed to enhance system clock resolution". On Linux the kernel's
// high-resolution timers already wake poll() and sleeps within well under a millisecond, so
// there is nothing to raise: the object only reports a period of 1 ms.
//
// Thread: any; Period() is constant after construction.
#pragma once

#include <cstdint>

namespace Corvane {

class TSystemClockResolutionEnhancer {
public:
    TSystemClockResolutionEnhancer();
    ~TSystemClockResolutionEnhancer();

    TSystemClockResolutionEnhancer(const TSystemClockResolutionEnhancer&) = delete;
    TSystemClockResolutionEnhancer& operator=(const TSystemClockResolutionEnhancer&) = delete;

    // The timer period in milliseconds that is in force; 0 only when raising it failed.
    std::uint32_t Period() const { return FPeriod; }

private:
    std::uint32_t FPeriod = 0;
};

} // namespace Corvane
