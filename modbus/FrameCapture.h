// The frames of a connection as they crossed the wire, for a traffic monitor.
//
// TCapturedFrame: one frame sent or received (or one attempt that got no reply), stamped on
// the worker thread where its bytes left and arrived, on the steady clock in microseconds.
// TFrameTap: the bounded queue between the worker, which pushes without ever waiting for the
// main thread, and the main thread, which drains it from a timer or its loop. When the main
// thread falls behind, the newest frames are dropped and counted rather than growing the
// queue without bound.
//
// Thread: Push on the worker thread; Drain, SetEnabled and the counters on any thread.
#pragma once

#include "ModbusTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace Corvane {

enum TCapturedKind : std::uint8_t {
    ckSent,
    ckReceived,
    // An attempt whose receive time limit passed without a frame; no bytes.
    ckNoReply,
};

struct TCapturedFrame {
    TCapturedKind Kind = ckSent;
    TTransmissionMode Mode = tmRTU;
    TConnectionMode ConnectionMode = cmClient;
    // Steady clock, microseconds: when the first byte was handed to the line (sent) or read
    // from it (received), and when the last byte had left the port or was read. For a
    // ckNoReply, both are when the wait ended.
    std::int64_t StartUs = 0;
    std::int64_t EndUs = 0;
    // The raw frame with its check bytes (RTU) or its characters (ASCII).
    TFrameData Bytes;
    // The CRC or LRC matched and the frame arrived whole. Always true for a frame sent.
    bool CheckGood = true;
    // A copy of the request that the line echoed and that EchoQueryBeforeReply removed.
    bool Echo = false;
    // Client mode, a received frame or a no-reply: how the worker classified the attempt
    // (corrupted, mistargeted, unmatched, exception, normal; rsTimeoutExpired for ckNoReply).
    // A sent frame keeps rsNormalResponse.
    TReplyStatus Status = rsNormalResponse;
    // Client mode: the transaction and its attempt (1, 2, ...); 0 / -1 in server mode.
    std::int32_t TransactionID = -1;
    std::uint32_t Attempt = 0;
    // The baud rate the line ran at, for the statistics' hints.
    std::uint32_t BaudRate = 0;
};

// Microseconds on the steady clock, the time base of every capture stamp.
std::int64_t SteadyMicroseconds();

class TFrameTap {
public:
    static constexpr std::size_t kDefaultCapacity = 65536;

    explicit TFrameTap(std::size_t capacity = kDefaultCapacity) : FCapacity(capacity) {}

    // Nothing is captured (and nothing copied on the worker) until the tap is enabled.
    void SetEnabled(bool value) { FEnabled.store(value, std::memory_order_relaxed); }
    bool Enabled() const { return FEnabled.load(std::memory_order_relaxed); }
    // The line's baud rate, stamped on every frame; the connection keeps it current.
    void SetBaudRate(std::uint32_t value) { FBaudRate.store(value, std::memory_order_relaxed); }
    std::uint32_t BaudRate() const { return FBaudRate.load(std::memory_order_relaxed); }

    // False when the queue was full and the frame was dropped (counted in Dropped).
    bool Push(TCapturedFrame&& frame);
    // Every frame queued so far, oldest first; the queue is left empty.
    std::vector<TCapturedFrame> Drain();
    std::size_t Pending() const;
    std::uint64_t Dropped() const { return FDropped.load(std::memory_order_relaxed); }

private:
    const std::size_t FCapacity;
    std::atomic<bool> FEnabled{false};
    std::atomic<std::uint32_t> FBaudRate{0};
    std::atomic<std::uint64_t> FDropped{0};
    mutable std::mutex FLock;
    std::deque<TCapturedFrame> FQueue;
};

} // namespace Corvane
