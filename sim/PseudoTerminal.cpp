#include "PseudoTerminal.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace SondrelSim {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

TPseudoTerminal::TPseudoTerminal() {
    char name[128] = {};
    if (openpty(&FMaster, &FSlave, name, nullptr, nullptr) != 0) {
        Fail("openpty");
    }
    FSlavePath = name;
    termios tio{};
    if (tcgetattr(FSlave, &tio) != 0) {
        const int err = errno;
        Close();
        errno = err;
        Fail("tcgetattr");
    }
    cfmakeraw(&tio);
    if (tcsetattr(FSlave, TCSANOW, &tio) != 0) {
        const int err = errno;
        Close();
        errno = err;
        Fail("tcsetattr");
    }
    // Children of the simulator must not inherit the line.
    fcntl(FMaster, F_SETFD, FD_CLOEXEC);
    fcntl(FSlave, F_SETFD, FD_CLOEXEC);
}

TPseudoTerminal::~TPseudoTerminal() {
    Close();
}

TPseudoTerminal::TPseudoTerminal(TPseudoTerminal&& other) noexcept
    : FMaster(std::exchange(other.FMaster, -1)), FSlave(std::exchange(other.FSlave, -1)),
      FSlavePath(std::move(other.FSlavePath)) {}

TPseudoTerminal& TPseudoTerminal::operator=(TPseudoTerminal&& other) noexcept {
    if (this != &other) {
        Close();
        FMaster = std::exchange(other.FMaster, -1);
        FSlave = std::exchange(other.FSlave, -1);
        FSlavePath = std::move(other.FSlavePath);
    }
    return *this;
}

bool TPseudoTerminal::WriteAsClient(const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(FSlave, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void TPseudoTerminal::Close() {
    if (FMaster >= 0) {
        close(FMaster);
        FMaster = -1;
    }
    if (FSlave >= 0) {
        close(FSlave);
        FSlave = -1;
    }
}

} // namespace SondrelSim
