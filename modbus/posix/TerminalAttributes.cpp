// See TerminalAttributes.h for why this lives apart. The Linux branch must include only the
// kernel's terminal definitions, never <termios.h>.
#include "TerminalAttributes.h"

#include <cerrno>

#if defined(__linux__)

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace Corvane {

bool WriteTerminalAttributes(int fd, const TTerminalAttributes& a) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    tio.c_iflag = a.InputFlags;
    tio.c_oflag = a.OutputFlags;
    tio.c_lflag = a.LocalFlags;
    tio.c_cflag = a.ControlFlags & ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = a.BaudRate;
    tio.c_ospeed = a.BaudRate;
    tio.c_cc[VMIN] = a.MinChars;
    tio.c_cc[VTIME] = a.TimeoutDeciSec;
    int result;
    do {
        result = ioctl(fd, TCSETS2, &tio);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace Corvane

#else

#include <termios.h>

namespace Corvane {

namespace {

struct TStandardSpeed {
    std::uint32_t Rate;
    speed_t Code;
};

constexpr TStandardSpeed kStandardSpeeds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400},
};

} // namespace

bool WriteTerminalAttributes(int fd, const TTerminalAttributes& a) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    const TStandardSpeed* speed = nullptr;
    for (const auto& candidate : kStandardSpeeds) {
        if (candidate.Rate == a.BaudRate) {
            speed = &candidate;
        }
    }
    if (speed == nullptr) {
        errno = ENOTSUP;
        return false;
    }
    tio.c_iflag = a.InputFlags;
    tio.c_oflag = a.OutputFlags;
    tio.c_cflag = a.ControlFlags;
    tio.c_lflag = a.LocalFlags;
    tio.c_cc[VMIN] = a.MinChars;
    tio.c_cc[VTIME] = a.TimeoutDeciSec;
    cfsetispeed(&tio, speed->Code);
    cfsetospeed(&tio, speed->Code);
    int result;
    do {
        result = tcsetattr(fd, TCSANOW, &tio);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace Corvane

#endif
