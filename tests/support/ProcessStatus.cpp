#include "ProcessStatus.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace TestSupport {

namespace {

std::string ProcFolder(pid_t pid) {
    return pid == 0 ? std::string("/proc/self") : "/proc/" + std::to_string(pid);
}

} // namespace

long ProcessStatusKb(pid_t pid, const std::string& field) {
    std::ifstream status(ProcFolder(pid) + "/status");
    const std::string prefix = field + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(prefix, 0) == 0) {
            std::istringstream value(line.substr(prefix.size()));
            long kb = -1;
            value >> kb;
            return value ? kb : -1;
        }
    }
    return -1;
}

int OpenFileCount(pid_t pid) {
    std::error_code ec;
    std::filesystem::directory_iterator it(ProcFolder(pid) + "/fd", ec);
    if (ec) {
        return -1;
    }
    int count = 0;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) {
            return -1;
        }
        ++count;
    }
    return count;
}

} // namespace TestSupport
