// TTransactionThread: the worker of one active connection, the only code that touches its
// serial line.
//
// Client mode: takes queued transactions one at a time, in submission order, performs each
// exchange with its time-outs and retries, and posts the finished transaction to the main
// thread. Server mode: listens without end, lets the registered servers answer each request
// on the main thread (a synchronized call) and sends the answer.
//
// Created and destroyed by the connection on the main thread. The destructor stops the
// worker, keeps running synchronized calls while it waits (so a server-mode stop never
// deadlocks), and frees every transaction still queued without an event.
#pragma once

#include "ModbusTransaction.h"
#include "ModbusTypes.h"

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
class TModbusConnection;
class TSerialLine;
class TFrameIO;

class TTransactionThread {
public:
    TTransactionThread(TModbusConnection& connection, TSerialLine& line);
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
    void NotifyFrame(const std::uint8_t* data, std::int32_t count, bool sent);
    void HandleException(const std::exception& e);
    void SleepMs(std::uint32_t ms);

    TModbusConnection& FConnection;
    TSerialLine& FLine;
    std::unique_ptr<TFrameIO> FIO;
    const TTransmissionMode FMode;
    const TConnectionMode FConnectionMode;
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
