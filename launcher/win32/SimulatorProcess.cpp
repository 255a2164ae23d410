// Windows has no pseudo-terminals, and the demo mode needs one: the simulator serves on one
// side while the program opens the other as its port. So on Windows the demo mode is not
// offered; the simulator is started by hand on one end of a null-modem pair (a virtual pair
// such as com0com, or two ports joined by a cable) and the program is given the other end.
#include "SimulatorProcess.h"

#include <stdexcept>

namespace SondrelLauncher {

TSimulatorProcess::TSimulatorProcess(const std::string&, const std::vector<std::string>&) {
    throw std::runtime_error(
        "the demo mode needs a pseudo-terminal, which Windows does not have: start "
        "sondrel-sim --port COMn on one end of a null-modem pair and give the other end "
        "with --port");
}

TSimulatorProcess::~TSimulatorProcess() = default;

void TSimulatorProcess::Stop() {}

// The demo mode is refused before the simulator would be looked for.
std::string TSimulatorProcess::LocateBeside(const std::string&) {
    return "sondrel-sim.exe";
}

} // namespace SondrelLauncher
