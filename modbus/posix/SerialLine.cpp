// The serial line on POSIX terminals: termios for the line settings, ppoll() on the port and
// on a wake pipe for interruptible waits to the microsecond, non-blocking reads and writes.
//
// Line loss: a terminal whose other end went away (an unplugged USB adapter, a closed
// pseudo-terminal peer) reports end of file or EIO on read and POLLHUP/POLLERR on poll,
// at once and forever. The line then marks itself lost and, from then on, waits sleep on
// the wake pipe alone for their full time limit, looking once per second (and at the start
// of every wait) whether the port came back, so that a worker that keeps waiting never
// spins. A pseudo-terminal master whose slave is reopened comes back; a hung-up device
// does not and stays lost until it is opened again.
#include "SerialLine.h"

#include "CorvaneError.h"
#include "Deadline.h"
#include "FrameTiming.h"
#include "PortPermission.h"
#include "TerminalAttributes.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Corvane {

namespace {

thread_local std::string tLastErrorDetail;

// The one place where an errno becomes a library error. The message id names what failed
// (and so the exact text the user sees); the OS reason is kept for LastSerialLineErrorDetail
// and, for the generic line failure, fills its "%s". A port that the user may not open
// (path: the device) is explained in words, with the group that grants access: it is the one
// reason the operator can put right alone.
ECorvaneError LineError(TCorvaneMessage id, int err, const std::string& path = {}) {
    tLastErrorDetail = std::system_category().message(err);
    if (id == msgSerialLineFailed) {
        return ECorvaneError(id, {tLastErrorDetail});
    }
    if (id == msgCouldNotOpenPort && err == EACCES && !path.empty()) {
        return ECorvaneError(id, PortPermissionDeniedText(path));
    }
    return ECorvaneError(id);
}

// Errors after which the port is of no further use: the device vanished or was hung up.
bool IsLineGone(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF;
}

// Quirk: pseudo-terminals, and some adapters without modem lines, refuse the modem-line
// ioctls with ENOTTY or EINVAL. Such a port simply has no DTR/RTS to drive: not a failure.
bool IsModemLineRefusal(int err) {
    return err == ENOTTY || err == EINVAL || err == ENOTSUP;
}

// Raises or lowers modem lines (TIOCM_DTR, TIOCM_RTS); returns false with errno set.
bool SetModemLines(int fd, int lines, bool raised) {
    int bits = lines;
    for (;;) {
        if (ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &bits) == 0) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

// Quirk: asks the kernel to refuse further opens of this terminal (root is still let in).
// Pseudo-terminals and some drivers refuse the request; exclusivity is a courtesy towards
// other programs, so a refusal is ignored.
void ClaimExclusiveUse(int fd) {
    (void)ioctl(fd, TIOCEXCL);
}

void ReleaseExclusiveUse(int fd) {
    (void)ioctl(fd, TIOCNXCL);
}

// Raw mode with the requested character format, built on the terminal's current
// attributes. VMIN 1 with O_NONBLOCK makes an empty read fail with EAGAIN, so that a read of
// 0 bytes can only mean end of file (the line is gone); with VMIN 0 the kernel returns 0 for
// both.
TTerminalAttributes RawAttributes(termios tio, const TLineSettings& s) {
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | (s.DataBits == db7 ? CS7 : CS8);
    if (s.Parity != psNone) {
        // Characters with a parity error arrive as 0, so the frame fails its check.
        tio.c_iflag |= INPCK;
        tio.c_cflag |= PARENB | (s.Parity == psOdd ? PARODD : 0);
    }
    if (s.StopBits == sb2) {
        tio.c_cflag |= CSTOPB;
    }
    if (s.FlowControl == fcRtsCts) {
        tio.c_cflag |= CRTSCTS;
    }
    TTerminalAttributes a;
    a.InputFlags = tio.c_iflag;
    a.OutputFlags = tio.c_oflag;
    a.ControlFlags = tio.c_cflag;
    a.LocalFlags = tio.c_lflag;
    a.MinChars = 1;
    a.TimeoutDeciSec = 0;
    a.BaudRate = s.BaudRate;
    return a;
}

class TPosixSerialLine final : public TSerialLine {
public:
    // Takes the open descriptor; closes it on destruction only when ownsFd.
    TPosixSerialLine(int fd, bool ownsFd);
    ~TPosixSerialLine() override;

    void Configure(const TLineSettings& settings) override;
    void SetBufferSizes(std::int32_t inputSize, std::int32_t outputSize) override;
    TWaitResult WaitForDataFor(std::chrono::microseconds timeout) override;
    std::int32_t ReadAvailable(std::uint8_t* dest, std::int32_t count) override;
    bool Write(const std::uint8_t* data, std::int32_t count, std::uint32_t timeoutMs) override;
    void Drain() override;
    void Purge(bool rx, bool tx) override;
    void SetRTS(bool raised) override;
    void ClearErrors() override;
    void RequestStop() override;
    bool LineLost() const override { return FLost.load(); }

private:
    // How often a lost line is looked at again while a wait sleeps.
    static constexpr int kLostRecheckMs = 1000;

    void ApplyModemLines(const TLineSettings& s);
    void MarkLost() { FLost.store(true); }
    bool LineCameBack();
    void ConsumeStop();

    int FFd;
    bool FOwnsFd;
    int FOriginalFlags;
    int FWakeRead = -1;
    int FWakeWrite = -1;
    std::atomic<bool> FLost{false};
    // For Drain's estimate of the time the queued bytes need; written by Configure.
    std::atomic<std::uint32_t> FBaudRate{19200};
    std::atomic<std::uint32_t> FBitsPerCharacter{11};
};

TPosixSerialLine::TPosixSerialLine(int fd, bool ownsFd) : FFd(fd), FOwnsFd(ownsFd) {
    FOriginalFlags = fcntl(fd, F_GETFL);
    int wake[2];
    if (FOriginalFlags < 0 || pipe(wake) != 0) {
        const int err = errno;
        if (ownsFd) {
            close(fd);
        }
        throw LineError(msgSerialLineFailed, err);
    }
    FWakeRead = wake[0];
    FWakeWrite = wake[1];
    for (int end : wake) {
        fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
        fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    // A hooked descriptor may have been opened blocking; every wait here relies on poll().
    fcntl(fd, F_SETFL, FOriginalFlags | O_NONBLOCK);
}

TPosixSerialLine::~TPosixSerialLine() {
    if (FOwnsFd) {
        ReleaseExclusiveUse(FFd);
        close(FFd);
    } else {
        fcntl(FFd, F_SETFL, FOriginalFlags);
    }
    close(FWakeRead);
    close(FWakeWrite);
}

void TPosixSerialLine::Configure(const TLineSettings& settings) {
    if (settings.BaudRate == 0) {
        throw ECorvaneError(msgCustomBaudRateZero);
    }
    termios tio{};
    if (tcgetattr(FFd, &tio) != 0) {
        throw LineError(msgFailedToUpdateDcb, errno);
    }
    // Never read the settings back to judge success: a pseudo-terminal silently keeps its
    // own idea of parity and character size, yet carries the bytes all the same.
    if (!WriteTerminalAttributes(FFd, RawAttributes(tio, settings))) {
        throw LineError(msgFailedToUpdateDcb, errno);
    }
    ApplyModemLines(settings);
    FBaudRate.store(settings.BaudRate);
    FBitsPerCharacter.store(
        BitsPerCharacter(settings.DataBits, settings.Parity, settings.StopBits));
}

// The DTR and RTS levels of the device control block. RTS: driven by the kernel's handshake
// under fcRtsCts; held low under fcRtsToggle (SendFrame raises it around each frame);
// RTSEnabled otherwise. DTR: DTREnabled, except under fcDtrDsr, where the DTR handshake
// keeps it raised while the receive queue has room. Linux has no DTR/DSR handshake, and our
// queue always has room, so DTR is simply raised there.
void TPosixSerialLine::ApplyModemLines(const TLineSettings& s) {
    const bool raiseDtr = s.FlowControl == fcDtrDsr || s.DTREnabled;
    if (!SetModemLines(FFd, TIOCM_DTR, raiseDtr) && !IsModemLineRefusal(errno)) {
        throw LineError(msgFailedToUpdateDcb, errno);
    }
    if (s.FlowControl == fcRtsCts) {
        return;
    }
    const bool raiseRts = s.FlowControl != fcRtsToggle && s.RTSEnabled;
    if (!SetModemLines(FFd, TIOCM_RTS, raiseRts) && !IsModemLineRefusal(errno)) {
        throw LineError(msgFailedToUpdateDcb, errno);
    }
}

// A terminal's queues are sized by its driver and cannot be changed from user space: any
// sensible size is accepted as it is.
void TPosixSerialLine::SetBufferSizes(std::int32_t inputSize, std::int32_t outputSize) {
    if (inputSize < 0 || outputSize < 0) {
        throw LineError(msgFailedToInitBuffers, EINVAL);
    }
}

TWaitResult TPosixSerialLine::WaitForDataFor(std::chrono::microseconds timeout) {
    const TDeadline deadline(timeout);
    for (;;) {
        // While the line is lost, only the stop pipe is watched (a lost port polls readable
        // forever), and the port is looked at again once per slice.
        const bool lost = FLost.load() && !LineCameBack();
        pollfd fds[2] = {{FWakeRead, POLLIN, 0}, {FFd, POLLIN, 0}};
        // ppoll keeps limits below a millisecond, which poll() would round up.
        const auto left = deadline.Remaining(lost ? std::chrono::milliseconds(kLostRecheckMs)
                                                  : TDeadline::TClock::duration::max());
        timespec limit{};
        const bool limited = left != TDeadline::TClock::duration::max();
        if (limited) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            limit.tv_sec = static_cast<time_t>(ns / 1000000000);
            limit.tv_nsec = static_cast<long>(ns % 1000000000);
        }
        const int ready = ppoll(fds, lost ? 1 : 2, limited ? &limit : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            // ppoll() itself failing leaves nothing to wait on: sleep instead of spinning.
            if (lost) {
                std::this_thread::sleep_for(limited ? left
                                                    : std::chrono::milliseconds(kLostRecheckMs));
            }
            MarkLost();
            continue;
        }
        if (fds[0].revents != 0) {
            ConsumeStop();
            return wrStopped;
        }
        if (!lost && ready > 0) {
            // Data comes first: whatever is buffered before a hang-up is still delivered,
            // and the read that follows tells whether the line is gone.
            if (fds[1].revents & POLLIN) {
                return wrData;
            }
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                MarkLost();
                continue;
            }
        }
        if (deadline.Expired()) {
            return lost ? wrLineLost : wrTimeout;
        }
    }
}

bool TPosixSerialLine::LineCameBack() {
    pollfd port{FFd, POLLIN, 0};
    if (poll(&port, 1, 0) < 0 || (port.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return false;
    }
    FLost.store(false);
    return true;
}

std::int32_t TPosixSerialLine::ReadAvailable(std::uint8_t* dest, std::int32_t count) {
    if (dest == nullptr || count <= 0) {
        return 0;
    }
    for (;;) {
        const ssize_t n = read(FFd, dest, static_cast<std::size_t>(count));
        if (n > 0) {
            return static_cast<std::int32_t>(n);
        }
        if (n == 0) {
            MarkLost(); // end of file: the terminal was hung up
            return 0;
        }
        if (errno == EINTR) {
            continue;
        }
        if (IsLineGone(errno)) {
            MarkLost();
        }
        return 0;
    }
}

bool TPosixSerialLine::Write(const std::uint8_t* data, std::int32_t count,
                             std::uint32_t timeoutMs) {
    const TDeadline deadline(timeoutMs);
    std::int32_t done = 0;
    while (done < count) {
        const ssize_t n = write(FFd, data + done, static_cast<std::size_t>(count - done));
        if (n > 0) {
            done += static_cast<std::int32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            if (n < 0 && IsLineGone(errno)) {
                MarkLost();
            }
            return false;
        }
        // The transmit queue is full: wait for room, the deadline or a stop request.
        pollfd fds[2] = {{FWakeRead, POLLIN, 0}, {FFd, POLLOUT, 0}};
        const int ready = poll(fds, 2, deadline.RemainingMs());
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (fds[0].revents != 0) {
            return false; // the stop request stays pending for the worker's next wait
        }
        if ((fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[1].revents & POLLOUT)) {
            MarkLost();
            return false;
        }
        if (ready == 0 && deadline.Expired()) {
            return false;
        }
    }
    return true;
}

// tcdrain() alone would block without limit while hardware flow control holds the output,
// and nothing could stop it. So the kernel's queue is watched first, in steps of the time
// its bytes need on the line, with a stop request ending the wait; tcdrain() then only
// waits for the last characters in the UART, which the serial core bounds by itself.
void TPosixSerialLine::Drain() {
    for (;;) {
        int queued = 0;
        if (ioctl(FFd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
            break;
        }
        const std::uint64_t bits = static_cast<std::uint64_t>(queued) * FBitsPerCharacter.load();
        const std::uint64_t ms = 1 + bits * 1000 / (FBaudRate.load() | 1);
        pollfd wake{FWakeRead, POLLIN, 0};
        if (poll(&wake, 1, static_cast<int>(ms > 1000 ? 1000 : ms)) > 0) {
            return; // stop requested; it stays pending for the next wait
        }
    }
    while (tcdrain(FFd) != 0 && errno == EINTR) {
    }
}

void TPosixSerialLine::Purge(bool rx, bool tx) {
    if (rx || tx) {
        (void)tcflush(FFd, rx && tx ? TCIOFLUSH : (rx ? TCIFLUSH : TCOFLUSH));
    }
}

// Like the platform's escape function, a refused RTS change is not reported: a port without
// modem lines carries frames all the same.
void TPosixSerialLine::SetRTS(bool raised) {
    (void)SetModemLines(FFd, TIOCM_RTS, raised);
}

// POSIX terminals keep no error latch that blocks the port: parity and framing errors arrive
// with the characters (INPCK) and overruns are only counted. Nothing to clear.
void TPosixSerialLine::ClearErrors() {}

void TPosixSerialLine::RequestStop() {
    const char token = 1;
    // A full pipe already holds a pending request: EAGAIN is as good as success.
    while (write(FWakeWrite, &token, 1) < 0 && errno == EINTR) {
    }
}

void TPosixSerialLine::ConsumeStop() {
    char sink[64];
    for (;;) {
        const ssize_t n = read(FWakeRead, sink, sizeof sink);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
    }
}

bool ParseComNumber(const std::string& name, unsigned& number) {
    if (name.size() < 4 || name.size() > 12) {
        return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return false;
        }
    }
    number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return false;
        }
        number = number * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return number >= 1 && number <= 1000000;
}

} // namespace

std::unique_ptr<TSerialLine> OpenSerialLine(const std::string& portName) {
    const std::string path = ResolvePortName(portName);
    if (path.empty()) {
        throw LineError(msgCouldNotOpenPort, ENOENT);
    }
    // A name with a NUL in it would open the device named by its first part: refuse it.
    if (path.find('\0') != std::string::npos) {
        throw LineError(msgCouldNotOpenPort, ENOENT);
    }
    int fd;
    do {
        fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw LineError(msgCouldNotOpenPort, errno, path);
    }
    ClaimExclusiveUse(fd);
    return std::make_unique<TPosixSerialLine>(fd, true);
}

std::unique_ptr<TSerialLine> HookSerialLine(std::intptr_t handle) {
    // The hook event's handle is 32 bits wide: all bits set there is the invalid handle too.
    if (handle < 0 || handle > INT_MAX) {
        throw LineError(msgCouldNotOpenPort, EBADF);
    }
    const int fd = static_cast<int>(handle);
    if (fcntl(fd, F_GETFL) < 0) {
        throw LineError(msgCouldNotOpenPort, errno);
    }
    return std::make_unique<TPosixSerialLine>(fd, false);
}

std::string ResolvePortName(const std::string& portName) {
    if (portName.empty() || portName.find('/') != std::string::npos) {
        return portName;
    }
    unsigned number = 0;
    if (ParseComNumber(portName, number)) {
        return "/dev/ttyS" + std::to_string(number - 1);
    }
    return "/dev/" + portName;
}

std::string LastSerialLineErrorDetail() {
    return tLastErrorDetail;
}

} // namespace Corvane
