#include "TestStopwatch.h"

#include <fstream>
#include <sstream>
#include <string>
#include <time.h>
#include <unistd.h>

namespace TestSupport {

std::chrono::microseconds ProcessCpuTime() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::duration_cast<std::chrono::microseconds>(
                                                 std::chrono::nanoseconds(ts.tv_nsec));
}

std::chrono::microseconds ProcessCpuTime(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return std::chrono::microseconds(-1);
    }
    // pid (comm) state ...: the command may hold spaces, the last ')' ends it. utime and stime
    // are the 14th and 15th fields, the 12th and 13th after the command.
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return std::chrono::microseconds(-1);
    }
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    long long ticks = 0;
    for (int i = 1; i <= 13 && rest >> field; ++i) {
        if (i >= 12) {
            ticks += std::stoll(field);
        }
    }
    const long perSecond = sysconf(_SC_CLK_TCK);
    return std::chrono::microseconds(ticks * 1000000 / (perSecond > 0 ? perSecond : 100));
}

} // namespace TestSupport
