#include "GatedAsciiPeer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace ConsoleTest {

namespace {

using TestSupport::Bytes;

// The longitudinal redundancy check of the Modbus serial line standard: the two's complement
// of the byte sum.
std::uint8_t Lrc(const Bytes& bytes) {
    std::uint8_t sum = 0;
    for (const std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return static_cast<std::uint8_t>(-sum);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// ':' + hex of body and its LRC + CR LF.
std::string Frame(const Bytes& body) {
    static const char* const digits = "0123456789ABCDEF";
    Bytes all = body;
    all.push_back(Lrc(body));
    std::string frame = ":";
    for (const std::uint8_t b : all) {
        frame += digits[b >> 4];
        frame += digits[b & 0x0F];
    }
    return frame + "\r\n";
}

} // namespace

GatedAsciiPeer::GatedAsciiPeer(TestSupport::PtyPair& pty, Answer answer, bool gateOpen,
                               std::chrono::milliseconds delay)
    : FPty(pty), FAnswer(std::move(answer)), FDelay(delay), FGateOpen(gateOpen),
      FThread([this] { Run(); }) {}

GatedAsciiPeer::~GatedAsciiPeer() {
    FStop = true;
    FThread.join();
}

void GatedAsciiPeer::Run() {
    std::string pending;
    while (!FStop) {
        pollfd p{FPty.MasterFd(), POLLIN, 0};
        const int ready = poll(&p, 1, 20);
        if (ready <= 0) {
            continue;
        }
        char chunk[512];
        const ssize_t n = read(FPty.MasterFd(), chunk, sizeof chunk);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            // The device side is closed for now (the connection is being reopened): wait.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pending.append(chunk, static_cast<std::size_t>(n));
        AnswerFrames(pending);
    }
}

void GatedAsciiPeer::AnswerFrames(std::string& pending) {
    for (;;) {
        const auto start = pending.find(':');
        if (start == std::string::npos) {
            pending.clear();
            return;
        }
        const auto end = pending.find("\r\n", start);
        if (end == std::string::npos) {
            pending.erase(0, start);
            return;
        }
        const std::string hex = pending.substr(start + 1, end - start - 1);
        pending.erase(0, end + 2);
        AnswerFrame(hex);
    }
}

void GatedAsciiPeer::AnswerFrame(const std::string& hex) {
    Bytes bytes;
    bool valid = hex.size() >= 6 && hex.size() % 2 == 0;
    for (std::size_t i = 0; valid && i + 1 < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        valid = high >= 0 && low >= 0;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    if (valid) {
        const std::uint8_t lrc = bytes.back();
        bytes.pop_back();
        valid = Lrc(bytes) == lrc;
    }
    if (!valid) {
        ++FBadFrames;
        return;
    }
    ++FRequests;
    while (!FGateOpen && !FStop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (FDelay.count() > 0) {
        std::this_thread::sleep_for(FDelay);
    }
    const Bytes reply = FAnswer(bytes);
    if (!reply.empty() && !FStop) {
        FPty.PeerWrite(TestSupport::ToBytes(Frame(reply)));
        ++FReplies;
    }
}

} // namespace ConsoleTest
