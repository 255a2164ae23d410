// Reads the kernel's record of the terminal settings back, to check that speeds without a
// termios constant really reach the port. Kept apart: the kernel's termios2 header cannot
// share a translation unit with <termios.h>.
#include "SerialLine.h"

#include "PtyPair.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

using namespace Corvane;

namespace {

struct termios2 KernelSettings(int fd) {
    struct termios2 tio {};
    EXPECT_EQ(ioctl(fd, TCGETS2, &tio), 0);
    return tio;
}

} // namespace

TEST(SerialLineSpeed, CustomAndNamedSpeedsReachTheTerminal) {
    TestSupport::PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    TLineSettings s;
    for (std::uint32_t rate : {12345u, 256000u, 9600u}) {
        s.BaudRate = rate;
        line->Configure(s);
        const auto tio = KernelSettings(pty.SlaveFd());
        EXPECT_EQ(tio.c_ospeed, rate);
        EXPECT_EQ(tio.c_ispeed, rate);
    }
}

TEST(SerialLineSpeed, PortIsLeftInRawModeWithSingleCharacterReads) {
    TestSupport::PtyPair pty;
    auto line = OpenSerialLine(pty.SlavePath());
    line->Configure(TLineSettings{});
    const auto tio = KernelSettings(pty.SlaveFd());
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_NE(tio.c_cflag & CLOCAL, 0u) << "modem status must not hang the line up";
}
