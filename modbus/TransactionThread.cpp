#include "TransactionThread.h"

#include "CorvaneError.h"
#include "FrameCapture.h"
#include "FrameIO.h"
#include "FrameLength.h"
#include "Framing.h"
#include "LineTiming.h"
#include "MainThreadBridge.h"
#include "SerialLine.h"
#include "ThreadPriority.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace Corvane {

TTransactionThread::TTransactionThread(const TTransactionThreadParts& parts)
    : FLine(parts.Line), FTiming(parts.Timing), FBridge(parts.Bridge), FHost(parts.Host),
      FTap(parts.Tap), FAlive(parts.Alive), FIO(std::make_unique<TFrameIO>(parts.Line)),
      FMode(parts.Mode), FConnectionMode(parts.ConnectionMode), FFlowControl(parts.FlowControl),
      FSendBuffer(static_cast<std::size_t>(FrameBufferSize(parts.Mode))),
      FReceiveBuffer(static_cast<std::size_t>(FrameBufferSize(parts.Mode))) {
    FIO->OnBeforeFrameSendAsync = [this] { FHost.BeforeFrameSend(); };
    FIO->OnAfterFrameSendAsync = [this] { FHost.AfterFrameSend(); };
    const TThreadPriority priority = parts.Priority;
    FThread = std::thread([this, priority] {
        FThreadId = CurrentThreadId();
        if (priority != tpNormal) {
            ApplyThreadPriority(FThreadId, priority);
        }
        Execute();
        FFinished = true;
        FBridge.Post([] {}); // wakes a main thread that waits in the destructor
    });
}

TTransactionThread::~TTransactionThread() {
    FTerminated = true;
    if (FConnectionMode == cmServer) {
        FLine.RequestStop();
    } else {
        std::lock_guard lock(FQueueLock);
        FQueueEvent.notify_all();
    }
    // A server-mode worker may be waiting in a synchronized call: keep running them.
    while (!FFinished) {
        if (FBridge.IsMainThread()) {
            FBridge.WaitAndDrain(std::chrono::milliseconds(5));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    FThread.join();
    DiscardTransactions(nullptr);
}

void TTransactionThread::Enqueue(std::unique_ptr<TModbusTransaction> transaction) {
    {
        std::lock_guard lock(FQueueLock);
        FQueue.push_back(std::move(transaction));
    }
    FQueueEvent.notify_one();
}

void TTransactionThread::DiscardTransactions(const TModbusClient* client) {
    std::deque<std::unique_ptr<TModbusTransaction>> discarded;
    {
        std::lock_guard lock(FQueueLock);
        if (client == nullptr) {
            discarded.swap(FQueue);
        } else {
            for (auto it = FQueue.end(); it != FQueue.begin();) {
                --it;
                if ((*it)->Client == client) {
                    discarded.push_back(std::move(*it));
                    it = FQueue.erase(it);
                }
            }
        }
    }
    // Freed outside the lock.
}

std::int32_t TTransactionThread::QueuedCount(const std::uint8_t* address) const {
    std::lock_guard lock(FQueueLock);
    if (address == nullptr) {
        return static_cast<std::int32_t>(FQueue.size());
    }
    return static_cast<std::int32_t>(
        std::count_if(FQueue.begin(), FQueue.end(),
                      [&](const auto& t) { return t->Info.ServerAddress == *address; }));
}

void TTransactionThread::SetPriority(TThreadPriority priority) {
    if (FThreadId != 0) {
        ApplyThreadPriority(FThreadId, priority);
    }
}

std::unique_ptr<TModbusTransaction> TTransactionThread::TakeWork() {
    std::lock_guard lock(FQueueLock);
    if (FQueue.empty()) {
        return nullptr;
    }
    auto transaction = std::move(FQueue.front());
    FQueue.pop_front();
    return transaction;
}

void TTransactionThread::SleepMs(std::uint32_t ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

void TTransactionThread::Execute() {
    try {
        if (FConnectionMode == cmServer) {
            ServerExecute();
        } else {
            ClientExecute();
        }
    } catch (const std::exception& e) {
        HandleException(e);
    }
}

// The connection purged the line before starting the worker.
void TTransactionThread::ClientExecute() {
    while (!FTerminated) {
        {
            std::unique_lock lock(FQueueLock);
            FQueueEvent.wait(lock, [&] { return FTerminated || !FQueue.empty(); });
        }
        while (!FTerminated) {
            std::unique_ptr<TModbusTransaction> transaction = TakeWork();
            if (!transaction) {
                break;
            }
            try {
                ProcessTransaction(*transaction);
                TTransactionInfo& info = transaction->Info;
                if (info.ServerAddress != 0 || transaction->Custom) {
                    FBridge.Post([alive = FAlive, t = std::move(transaction)]() mutable {
                        if (const auto host = alive.lock()) {
                            (*host)->DeliverTransaction(std::move(t));
                        }
                    });
                }
            } catch (const std::exception& e) {
                transaction.reset();
                HandleException(e);
            }
        }
    }
}

// One exchange with its attempts; fills Info and Reply.
void TTransactionThread::ProcessTransaction(TModbusTransaction& transaction) {
    TTransactionInfo& info = transaction.Info;
    info.Attempts = 0;
    const std::int32_t length = EncodeFrame(FMode, transaction.Query, FSendBuffer.data(),
                                            static_cast<std::int32_t>(FSendBuffer.size()));
    const bool broadcast = info.ServerAddress == 0 && !transaction.Custom;
    for (;;) {
        info.Status = rsTimeoutExpired;
        info.Attempts += 1;
        NotifyFrame(FSendBuffer.data(), length, true);
        KeepFrameGap();
        FIO->PurgeBuffers(true, true);
        const bool sent = FIO->SendFrame(FSendBuffer.data(), length, FTiming.SendTimeout(),
                                         FFlowControl, FTiming.RTSHoldDelay());
        CaptureSent(FSendBuffer.data(), length, &info);
        if (sent) {
            if (broadcast) {
                SleepMs(FTiming.TurnaroundDelay());
                info.Status = rsNormalResponse;
            } else {
                Listen(transaction, length);
            }
        }
        SleepMs(FTiming.RefetchDelay());
        if (info.Status > rsMistargeted || info.Attempts >= FTiming.MaxRetries()) {
            return;
        }
    }
}

TRtuFrameEnd TTransactionThread::FrameEnd(const TLengthRule& rule) const {
    TRtuFrameEnd end;
    end.Gaps = FTiming.FrameGaps();
    if (FMode == tmRTU && FTiming.FrameTiming() == ftStandard) {
        end.Length = rule;
    }
    return end;
}

// The standard's pause before a frame: a frame that ended by length has not had its silence.
void TTransactionThread::KeepFrameGap() {
    if (FMode == tmRTU && FTiming.FrameTiming() == ftStandard) {
        FIO->KeepFrameGap(std::chrono::microseconds(FTiming.FrameGaps().SilentUs));
    }
}

// Waits for the reply of one attempt, listening again (with a full timeout) after a valid
// frame from another server.
void TTransactionThread::Listen(TModbusTransaction& transaction, std::int32_t sentLength) {
    TTransactionInfo& info = transaction.Info;
    const auto capacity = static_cast<std::int32_t>(FReceiveBuffer.size());
    TLengthRule reply;
    reply.Kind = TLengthRule::lkReply;
    reply.RequestFunction = FunctionCode(transaction.Query);
    do {
        const bool echoes = FTiming.EchoQueryBeforeReply();
        TLengthRule rule = reply;
        if (echoes) {
            rule.Echo = FSendBuffer.data();
            rule.EchoLength = sentLength;
        }
        TReceivedFrame frame = FIO->ReceiveFrame(FReceiveBuffer.data(), capacity,
                                                 FTiming.ReceiveTimeout(), FMode, FrameEnd(rule));
        std::int32_t n = frame.Count;
        TWireStamps stamps = FIO->LastReceiveStamps();
        if (echoes && IsEcho(FSendBuffer.data(), sentLength, FReceiveBuffer.data(), n)) {
            // An echo that came in one read with its reply has no end of its own: it is stamped
            // at the read's start, where the reply then starts too.
            const TWireStamps echoStamps =
                n == sentLength ? stamps : TWireStamps{stamps.StartUs, stamps.StartUs};
            CaptureReceived(FSendBuffer.data(), sentLength, echoStamps, true, true,
                            rsNormalResponse, &info);
            if (n == sentLength) {
                frame = FIO->ReceiveFrame(FReceiveBuffer.data(), capacity, FTiming.ReceiveTimeout(),
                                          FMode, FrameEnd(reply));
                n = frame.Count;
                stamps = FIO->LastReceiveStamps();
            } else {
                std::memmove(FReceiveBuffer.data(), FReceiveBuffer.data() + sentLength,
                             static_cast<std::size_t>(n - sentLength));
                n -= sentLength;
            }
        }
        NotifyFrame(FReceiveBuffer.data(), n, false);
        bool checkGood = true;
        if (n == 0) {
            info.Status = rsTimeoutExpired;
        } else if (frame.Incomplete ||
                   !DecodeFrame(FMode, cmClient, FReceiveBuffer.data(), n, transaction.Reply)) {
            info.Status = rsFrameCorrupted;
            checkGood = false;
        } else if (!transaction.AcceptAnyAddress &&
                   !IsSameAddress(transaction.Query, transaction.Reply)) {
            info.Status = rsMistargeted;
        } else if (!IsMatchingFunction(transaction.Query, transaction.Reply)) {
            info.Status = rsUnmatched;
        } else if (IsExceptionReply(transaction.Reply)) {
            info.Status = rsExceptionResponse;
            ExtractException(transaction.Reply, info);
        } else {
            info.Status = rsNormalResponse;
        }
        if (n == 0) {
            const std::int64_t now = SteadyMicroseconds();
            CaptureReceived(nullptr, 0, {now, now}, true, false, rsTimeoutExpired, &info);
        } else {
            CaptureReceived(FReceiveBuffer.data(), n, stamps, checkGood, false, info.Status, &info);
        }
    } while (info.Status == rsMistargeted && !FTerminated);
}

void TTransactionThread::ServerExecute() {
    // Shared with the synchronized dispatch: when the connection is closed from inside a
    // dispatch, the worker leaves while the main thread still uses the transaction.
    // A call the worker abandons stays queued on the bridge and may run after the connection
    // is gone: it reaches the connection only through its liveness token.
    auto transaction = std::make_shared<TModbusTransaction>(QueryBufferSize(FMode));
    const std::weak_ptr<ITransactionHost*> alive = FAlive;
    const auto capacity = static_cast<std::int32_t>(FReceiveBuffer.size());
    while (!FTerminated) {
        try {
            TLengthRule request;
            request.Kind = TLengthRule::lkRequest;
            const TReceivedFrame frame = FIO->ReceiveFrame(
                FReceiveBuffer.data(), capacity, kInfiniteTimeout, FMode, FrameEnd(request));
            const std::int32_t n = frame.Count;
            NotifyFrame(FReceiveBuffer.data(), n, false);
            const bool wellFormed =
                n > 0 && !frame.Incomplete &&
                DecodeFrame(FMode, cmServer, FReceiveBuffer.data(), n, transaction->Query);
            if (n > 0) {
                CaptureReceived(FReceiveBuffer.data(), n, FIO->LastReceiveStamps(), wellFormed,
                                false, wellFormed ? rsNormalResponse : rsFrameCorrupted, nullptr);
            }
            if (wellFormed) {
                transaction->Info = TTransactionInfo{};
                transaction->Info.ServerAddress = FrameAddress(transaction->Query);
                transaction->Reply.SetSize(0);
                if (!FBridge.Synchronize(
                        [alive, transaction] {
                            if (const auto host = alive.lock()) {
                                (*host)->DispatchToServers(*transaction);
                            }
                        },
                        &FTerminated)) {
                    return;
                }
                if (transaction->Info.ServerAddress != 0) {
                    const std::int32_t length =
                        FHost.EncodeReply(transaction->Reply, FSendBuffer.data(),
                                          static_cast<std::int32_t>(FSendBuffer.size()));
                    NotifyFrame(FSendBuffer.data(), length, true);
                    KeepFrameGap();
                    FIO->PurgeBuffers(true, true);
                    FIO->SendFrame(FSendBuffer.data(), length, FTiming.SendTimeout(), FFlowControl,
                                   FTiming.RTSHoldDelay());
                    CaptureSent(FSendBuffer.data(), length, nullptr);
                }
            } else if (n > 0 || !FTerminated) {
                // A read that ended without a well-formed frame. The stop request that ends
                // the wait of a closing connection is not one. When the line is gone the
                // receive waits until the stop request, so this cannot flood the main thread.
                FBridge.Synchronize(
                    [alive] {
                        if (const auto host = alive.lock()) {
                            (*host)->DiscardInvalidFrame();
                        }
                    },
                    &FTerminated);
            }
        } catch (const std::exception& e) {
            HandleException(e);
        }
    }
}

void TTransactionThread::NotifyFrame(const std::uint8_t* data, std::int32_t count, bool sent) {
    if (count <= 0) {
        return;
    }
    if (!FHost.WantsFrame(sent)) {
        return;
    }
    TFrameData copy(data, data + count);
    FBridge.Post([alive = FAlive, copy = std::move(copy), sent] {
        if (const auto host = alive.lock()) {
            (*host)->DeliverFrame(copy, sent);
        }
    });
}

void TTransactionThread::Capture(TCapturedFrame& frame, const std::uint8_t* data,
                                 std::int32_t count) {
    frame.Mode = FMode;
    frame.ConnectionMode = FConnectionMode;
    frame.BaudRate = FTap.BaudRate();
    if (count > 0) {
        frame.Bytes.assign(data, data + count);
    }
    FTap.Push(std::move(frame));
}

void TTransactionThread::CaptureSent(const std::uint8_t* data, std::int32_t count,
                                     const TTransactionInfo* info) {
    if (!FTap.Enabled() || count <= 0) {
        return;
    }
    TCapturedFrame frame;
    frame.Kind = ckSent;
    const TWireStamps stamps = FIO->LastSendStamps();
    frame.StartUs = stamps.StartUs;
    frame.EndUs = stamps.EndUs;
    if (info != nullptr) {
        frame.TransactionID = info->ID;
        frame.Attempt = info->Attempts;
    }
    Capture(frame, data, count);
}

void TTransactionThread::CaptureReceived(const std::uint8_t* data, std::int32_t count,
                                         TWireStamps stamps, bool checkGood, bool echo,
                                         TReplyStatus status, const TTransactionInfo* info) {
    if (!FTap.Enabled()) {
        return;
    }
    TCapturedFrame frame;
    frame.Kind = count > 0 ? ckReceived : ckNoReply;
    frame.StartUs = stamps.StartUs;
    frame.EndUs = stamps.EndUs;
    frame.CheckGood = checkGood;
    frame.Echo = echo;
    frame.Status = status;
    if (info != nullptr) {
        frame.TransactionID = info->ID;
        frame.Attempt = info->Attempts;
    }
    Capture(frame, data, count);
}

void TTransactionThread::HandleException(const std::exception& e) {
    const TCorvaneMessage id = [&] {
        if (const auto* ce = dynamic_cast<const ECorvaneError*>(&e)) {
            return ce->MessageId();
        }
        return msgInternalError;
    }();
    TMainThreadBridge* bridge = &FBridge;
    const std::weak_ptr<ITransactionHost*> alive = FAlive;
    try {
        bridge->Synchronize(
            [bridge, alive, id, message = std::string(e.what())] {
                if (alive.lock()) {
                    bridge->ReportException(ECorvaneError(id, message));
                }
            },
            &FTerminated);
    } catch (...) {
        // Nothing more can be done for an error that cannot even be shown.
    }
}

} // namespace Corvane
