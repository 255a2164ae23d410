#include "BrokenPipes.h"

#include <csignal>

namespace SondrelSim {

void IgnoreBrokenPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace SondrelSim
