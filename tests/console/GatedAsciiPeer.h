// GatedAsciiPeer: the far end of a pseudo-terminal pair that answers Modbus ASCII requests as
// fast as they come, for tests that queue hundreds of requests at once. An ASCII frame ends at
// its LF, so neither side waits for a silent gap and a thousand exchanges take a second or two.
//
// Each request frame (':' .. CR LF) is decoded and handed to the answer function, whose reply
// body (address, function, data, without the LRC) is sent back as an ASCII frame; an empty
// body sends nothing. The peer can hold every reply back until the test opens its gate (so
// that a queue stays full for as long as the test needs), and can delay each reply by a fixed
// time (a slow device). Frames whose LRC is wrong are counted and not answered.
//
// Runs on its own thread from construction to destruction; the counters may be read from any
// thread. The pseudo-terminal pair is borrowed and must outlive the peer.
#pragma once

#include "PtyPair.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace ConsoleTest {

class GatedAsciiPeer {
public:
    // The reply body for a request body (both without the LRC); empty: no reply.
    using Answer = std::function<TestSupport::Bytes(const TestSupport::Bytes& request)>;

    GatedAsciiPeer(TestSupport::PtyPair& pty, Answer answer, bool gateOpen = true,
                   std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    ~GatedAsciiPeer();

    GatedAsciiPeer(const GatedAsciiPeer&) = delete;
    GatedAsciiPeer& operator=(const GatedAsciiPeer&) = delete;

    // Lets the held replies go, and every later one at once.
    void OpenGate() { FGateOpen = true; }

    int RequestCount() const { return FRequests.load(); }
    int ReplyCount() const { return FReplies.load(); }
    int BadFrameCount() const { return FBadFrames.load(); }

private:
    void Run();
    // Takes every complete frame off the front of pending and answers it.
    void AnswerFrames(std::string& pending);
    void AnswerFrame(const std::string& hex);

    TestSupport::PtyPair& FPty;
    Answer FAnswer;
    std::chrono::milliseconds FDelay;
    std::atomic<bool> FGateOpen;
    std::atomic<bool> FStop{false};
    std::atomic<int> FRequests{0};
    std::atomic<int> FReplies{0};
    std::atomic<int> FBadFrames{0};
    std::thread FThread;
};

} // namespace ConsoleTest
