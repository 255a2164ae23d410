// ScriptedPeer: the far end of a pseudo-terminal pair that answers each request frame the
// way a test scripts it (silence, a corrupt frame, another server's reply, an echo...).
// It runs on its own thread and records when each request arrived.
#pragma once

#include "PtyPair.h"

#include "Framing.h"
#include "ModbusBuffer.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace TestSupport {

struct PeerReply {
    Bytes Data;
    // Waited before Data is written; to the microsecond, so that a reply can be written in
    // bursts with gaps shorter than a millisecond. (A sleep, not a spin: a pseudo-terminal
    // hands written bytes on in a kernel worker that a spinning writer would keep waiting.)
    std::chrono::microseconds Delay{0};
    // The pause starts only once the device side has read everything written before, so
    // that it sees the whole pause even when it reads late on a busy machine.
    bool AfterDeviceRead = false;
};

class ScriptedPeer {
public:
    using Clock = std::chrono::steady_clock;
    // Called for every request frame with its index (0, 1, ...); returns what to send back.
    using Handler = std::function<std::vector<PeerReply>(const Bytes& request, int index)>;

    ScriptedPeer(PtyPair& pty, Handler handler);
    ~ScriptedPeer();

    int RequestCount() const;
    std::vector<Clock::time_point> RequestTimes() const;
    std::vector<Bytes> Requests() const;

private:
    void Run();

    PtyPair& FPty;
    Handler FHandler;
    std::atomic<bool> FStop{false};
    mutable std::mutex FMutex;
    std::vector<Bytes> FRequests;
    std::vector<Clock::time_point> FTimes;
    std::thread FThread;
};

// An RTU frame of the given bytes with its CRC appended.
Bytes RtuFrame(const Bytes& body);
// An ASCII frame (':' .. CR LF) of the given bytes with their LRC appended.
Bytes AsciiFrame(const Bytes& body);

} // namespace TestSupport
