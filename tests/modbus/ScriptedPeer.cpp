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

Bytes RtuFrame(const Bytes& body) {
    Corvane::TModbusBuffer b(300);
    for (auto x : body) {
        b.WriteByte(x);
    }
    Corvane::AppendCheck(Corvane::tmRTU, b);
    return Bytes(b.Data(), b.Data() + b.Size());
}

Bytes AsciiFrame(const Bytes& body) {
    Corvane::TModbusBuffer b(300);
    for (auto x : body) {
        b.WriteByte(x);
    }
    Corvane::AppendCheck(Corvane::tmASCII, b);
    Bytes raw(700);
    raw.resize(
        static_cast<std::size_t>(Corvane::EncodeFrame(Corvane::tmASCII, b, raw.data(), 700)));
    return raw;
}

} // namespace TestSupport
