#include "TestStopwatch.h"

#include <time.h>

namespace TestSupport {

std::chrono::microseconds ProcessCpuTime() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::duration_cast<std::chrono::microseconds>(
                                                 std::chrono::nanoseconds(ts.tv_nsec));
}

} // namespace TestSupport
