#include "ScriptedPeer.h"

namespace TestSupport {

ScriptedPeer::ScriptedPeer(PtyPair& pty, Handler handler)
    : FPty(pty), FHandler(std::move(handler)), FThread([this] { Run(); }) {}

ScriptedPeer::~ScriptedPeer() {
    FStop = true;
    FThread.join();
}

void ScriptedPeer::Run() {
    int index = 0;
    while (!FStop) {
        Bytes request = FPty.PeerRead(1024, std::chrono::milliseconds(20));
        if (request.empty()) {
            continue;
        }
        const auto arrived = Clock::now();
        // The rest of a frame arrives within a few milliseconds of its first byte.
        for (;;) {
            Bytes more = FPty.PeerRead(1024, std::chrono::milliseconds(8));
            if (more.empty()) {
                break;
            }
            request.insert(request.end(), more.begin(), more.end());
        }
        {
            std::lock_guard lock(FMutex);
            FRequests.push_back(request);
            FTimes.push_back(arrived);
        }
        for (const PeerReply& reply : FHandler(request, index++)) {
            if (reply.AfterDeviceRead) {
                FPty.WaitUntilDeviceRead(std::chrono::milliseconds(1000));
            }
            if (reply.Delay.count() > 0) {
                std::this_thread::sleep_for(reply.Delay);
            }
            if (!reply.Data.empty()) {
                FPty.PeerWrite(reply.Data);
            }
        }
    }
}

int ScriptedPeer::RequestCount() const {
    std::lock_guard lock(FMutex);
    return static_cast<int>(FRequests.size());
}

std::vector<ScriptedPeer::Clock::time_point> ScriptedPeer::RequestTimes() const {
    std::lock_guard lock(FMutex);
    return FTimes;
}

std::vector<Bytes> ScriptedPeer::Requests() const {
    std::lock_guard lock(FMutex);
    return FRequests;
}

namespace {

// The wire form of a message (address, function, data) with its check, as our framing sends it.
Bytes WireFrame(Corvane::TTransmissionMode mode, const Bytes& body) {
    Corvane::TModbusBuffer b(300);
    for (auto x : body) {
        b.WriteByte(x);
    }
    Bytes raw(700);
    raw.resize(static_cast<std::size_t>(
        Corvane::EncodeFrame(mode, b, raw.data(), static_cast<std::int32_t>(raw.size()))));
    return raw;
}

} // namespace

Bytes RtuFrame(const Bytes& body) {
    return WireFrame(Corvane::tmRTU, body);
}

Bytes AsciiFrame(const Bytes& body) {
    return WireFrame(Corvane::tmASCII, body);
}

} // namespace TestSupport
