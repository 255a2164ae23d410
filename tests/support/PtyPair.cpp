#include "PtyPair.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace TestSupport {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

void MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        Fail("tcgetattr");
    }
    cfmakeraw(&tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        Fail("tcsetattr");
    }
}

} // namespace

Bytes ToBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = write(fd, data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            Fail("write");
        }
    }
}

Bytes ReadFor(int fd, std::size_t maxBytes, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + timeout;
    Bytes result;
    while (result.size() < maxBytes) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        std::uint8_t chunk[512];
        const std::size_t want = std::min(sizeof chunk, maxBytes - result.size());
        const ssize_t n = read(fd, chunk, want);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            break; // end of file or hang-up: nothing more will come
        }
        result.insert(result.end(), chunk, chunk + n);
    }
    return result;
}

PtyPair::PtyPair() {
    char name[256] = {};
    if (openpty(&FMaster, &FSlave, name, nullptr, nullptr) != 0) {
        Fail("openpty");
    }
    FSlavePath = name;
    try {
        MakeRaw(FMaster);
        MakeRaw(FSlave);
    } catch (...) {
        CloseAll();
        throw;
    }
}

PtyPair::~PtyPair() {
    CloseAll();
}

PtyPair::PtyPair(PtyPair&& other) noexcept
    : FMaster(std::exchange(other.FMaster, -1)), FSlave(std::exchange(other.FSlave, -1)),
      FSlavePath(std::move(other.FSlavePath)) {}

PtyPair& PtyPair::operator=(PtyPair&& other) noexcept {
    if (this != &other) {
        CloseAll();
        FMaster = std::exchange(other.FMaster, -1);
        FSlave = std::exchange(other.FSlave, -1);
        FSlavePath = std::move(other.FSlavePath);
    }
    return *this;
}

void PtyPair::CloseAll() {
    CloseSlave();
    CloseMaster();
}

void PtyPair::CloseMaster() {
    if (FMaster >= 0) {
        close(FMaster);
        FMaster = -1;
    }
}

void PtyPair::CloseSlave() {
    if (FSlave >= 0) {
        close(FSlave);
        FSlave = -1;
    }
}

void PtyPair::PeerWrite(const Bytes& bytes) const {
    WriteAll(FMaster, bytes.data(), bytes.size());
}

void PtyPair::PeerWrite(std::string_view text) const {
    PeerWrite(ToBytes(text));
}

void PtyPair::PeerWriteBursts(const std::vector<Bytes>& bursts,
                              std::chrono::milliseconds gap) const {
    for (std::size_t i = 0; i < bursts.size(); ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(gap);
        }
        PeerWrite(bursts[i]);
    }
}

bool PtyPair::WaitUntilDeviceRead(std::chrono::milliseconds timeout) const {
    const auto giveUp = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int unread = 0;
        if (ioctl(FSlave, FIONREAD, &unread) != 0) {
            return false;
        }
        if (unread == 0) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
}

Bytes PtyPair::PeerRead(std::size_t maxBytes, std::chrono::milliseconds timeout) const {
    return ReadFor(FMaster, maxBytes, timeout);
}

} // namespace TestSupport
