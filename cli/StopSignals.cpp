#include "StopSignals.h"

#include <atomic>
#include <csignal>

namespace SondrelCli {

namespace {

std::atomic<bool> gStopRequested{false};

extern "C" void RequestStop(int) {
    gStopRequested = true;
}

} // namespace

void InstallStopSignals() {
    gStopRequested = false;
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
}

void RestoreStopSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool StopRequested() {
    return gStopRequested;
}

} // namespace SondrelCli
