// Arbitrary line speeds. Linux offers them through the termios2 structure and the BOTHER
// speed flag (ioctl TCGETS2/TCSETS2). Its kernel header redefines struct termios, so it can
// never share a translation unit with <termios.h>: this file is kept apart for that reason
// and includes only the kernel's definitions.
#include "CustomBaudRate.h"

#include <cerrno>

#if defined(__linux__)

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace Corvane {

bool SetCustomBaudRate(int fd, std::uint32_t baudRate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = baudRate;
    tio.c_ospeed = baudRate;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace Corvane

#else

namespace Corvane {

bool SetCustomBaudRate(int, std::uint32_t) {
    errno = ENOTSUP;
    return false;
}

} // namespace Corvane

#endif
