// Windows has no pseudo-terminals: the simulator serves on a named port there (--port COM2,
// one end of a null-modem pair), and --pty is refused with the reason.
#include "PseudoTerminal.h"

#include <system_error>

namespace SondrelSim {

TPseudoTerminal::TPseudoTerminal() {
    throw std::system_error(std::make_error_code(std::errc::function_not_supported),
                            "Windows has no pseudo-terminals; serve on a port with --port COMn "
                            "(one end of a null-modem pair)");
}

TPseudoTerminal::~TPseudoTerminal() = default;

TPseudoTerminal::TPseudoTerminal(TPseudoTerminal&& other) noexcept
    : FMaster(other.FMaster), FSlave(other.FSlave), FSlavePath(std::move(other.FSlavePath)) {}

TPseudoTerminal& TPseudoTerminal::operator=(TPseudoTerminal&& other) noexcept {
    FMaster = other.FMaster;
    FSlave = other.FSlave;
    FSlavePath = std::move(other.FSlavePath);
    return *this;
}

bool TPseudoTerminal::WriteAsClient(const std::string&) const {
    return false;
}

void TPseudoTerminal::Close() {}

} // namespace SondrelSim
