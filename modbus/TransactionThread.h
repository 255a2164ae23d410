// TTransactionThread: the worker of one active connection, the only code that touches its
// serial line.
//
// Client mode: takes queued transactions one at a time, in submission order, performs each
// exchange with its time-outs and retries, and posts the finished transaction to the main
// thread. Server mode: listens without end, lets the registered servers answer each request
// on the main thread (a synchronized call) and sends the answer.
//
// Created and destroyed by the connection on the main thread, with the parts it needs passed
// in (TTransactionThreadParts): the thread knows no connection, only its host interface. The
// destructor stops the worker, keeps running synchronized calls while it waits (so a
// server-mode stop never deadlocks), and frees every transaction still queued without an event.
#pragma once

#include "FrameIO.h"
#include "ModbusTransaction.h"
#include "ModbusTypes.h"
#include "TransactionHost.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Corvane {

class TModbusClient;
class TFrameTap;
struct TCapturedFrame;
class TSerialLine;
class TLineTiming;
class TMainThreadBridge;

// What a transaction thread works with. Everything referred to outlives the thread.
struct TTransactionThreadParts {
    TSerialLine& Line;
    // Read at each use, so that a change reaches the next attempt.
    const TLineTiming& Timing;
    TMainThreadBridge& Bridge;
    ITransactionHost& Host;
    // Where every frame is captured while the tap is enabled; outlives the thread.
    TFrameTap& Tap;
    // The host's liveness token: work that reaches the main thread later holds this and is
    // dropped once the host is gone.
    std::weak_ptr<ITransactionHost*> Alive;
    // Fixed while the thread runs (the connection refuses to change them while active).
    TTransmissionMode Mode = tmRTU;
    TConnectionMode ConnectionMode = cmClient;
    TFlowControl FlowControl = fcNone;
    TThreadPriority Priority = tpNormal;
};

class TTransactionThread {
public:
    explicit TTransactionThread(const TTransactionThreadParts& parts);
    ~TTransactionThread();
    TTransactionThread(const TTransactionThread&) = delete;
    TTransactionThread& operator=(const TTransactionThread&) = delete;

    // Main thread.
    void Enqueue(std::unique_ptr<TModbusTransaction> transaction);
    // Frees queued transactions submitted by the client (all for nullptr), without events.
    void DiscardTransactions(const TModbusClient* client);
    // Queued transactions: all (nullptr) or those whose Info.ServerAddress is `address`.
    std::int32_t QueuedCount(const std::uint8_t* address) const;
    void SetPriority(TThreadPriority priority);

private:
    void Execute();
    void ClientExecute();
    void ServerExecute();
    std::unique_ptr<TModbusTransaction> TakeWork();
    void ProcessTransaction(TModbusTransaction& transaction);
    void Listen(TModbusTransaction& transaction, std::int32_t sentLength);
    // The end of the next received frame under the current frame timing: frames end by length
    // (by the given rule) only with the standard's timing in RTU.
    TRtuFrameEnd FrameEnd(const TLengthRule& rule) const;
    void KeepFrameGap();
    void NotifyFrame(const std::uint8_t* data, std::int32_t count, bool sent);
    // Captures a frame when the tap is enabled; the bytes are copied only then.
    void Capture(TCapturedFrame& frame, const std::uint8_t* data, std::int32_t count);
    void CaptureSent(const std::uint8_t* data, std::int32_t count, const TTransactionInfo* info);
    void CaptureReceived(const std::uint8_t* data, std::int32_t count, TWireStamps stamps,
                         bool checkGood, bool echo, TReplyStatus status,
                         const TTransactionInfo* info);
    void HandleException(const std::exception& e);
    void SleepMs(std::uint32_t ms);

    TSerialLine& FLine;
    const TLineTiming& FTiming;
    TMainThreadBridge& FBridge;
    ITransactionHost& FHost;
    TFrameTap& FTap;
    const std::weak_ptr<ITransactionHost*> FAlive;
    std::unique_ptr<TFrameIO> FIO;
    const TTransmissionMode FMode;
    const TConnectionMode FConnectionMode;
    const TFlowControl FFlowControl;
    std::vector<std::uint8_t> FSendBuffer;
    std::vector<std::uint8_t> FReceiveBuffer;

    mutable std::mutex FQueueLock;
    std::condition_variable FQueueEvent;
    std::deque<std::unique_ptr<TModbusTransaction>> FQueue;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<std::int64_t> FThreadId{0};
    std::thread FThread;
};

} // namespace Corvane
