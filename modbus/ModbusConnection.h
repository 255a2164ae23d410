// TModbusConnection: owns one serial line, its worker thread and the framing.
//
// Main thread: every property, open/close, registration, submission and every event except
// the two asynchronous send events (those run on the worker thread and must not touch the
// user interface). Completed transactions and frame copies reach the main thread through
// the TMainThreadBridge; a connection that has been destroyed is never called back: work
// posted for it only frees what it carries.
//
// Clients and servers attach themselves through their SetConnection(); they know the
// connection only as an IModbusLink. The connection does not own them and tells them when it
// is destroyed. Its worker knows it only as an ITransactionHost (a private base: nothing else
// calls those operations).
#pragma once

#include "FrameCapture.h"
#include "Framing.h"
#include "LineTiming.h"
#include "LinkRegistry.h"
#include "MainThreadBridge.h"
#include "ModbusLink.h"
#include "ModbusTransaction.h"
#include "ModbusTypes.h"
#include "TransactionHost.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Corvane {

class TModbusClient;
class TModbusServer;
class TSerialLine;
class TFrameIO;
class TTransactionThread;

class TModbusConnection : public IModbusLink, private ITransactionHost {
public:
    using TNotifyEvent = std::function<void(TModbusConnection& sender)>;
    using TFrameDataEvent = std::function<void(TModbusConnection& sender, const TFrameData& data)>;
    using TGetHookedPortHandleEvent =
        std::function<void(TModbusConnection& sender, std::uintptr_t& hookHandle)>;

    static constexpr std::uintptr_t kInvalidHandle = ~std::uintptr_t{0};

    explicit TModbusConnection(TMainThreadBridge& bridge = TMainThreadBridge::Instance());
    ~TModbusConnection() override;
    TModbusConnection(const TModbusConnection&) = delete;
    TModbusConnection& operator=(const TModbusConnection&) = delete;

    // --- Properties -------------------------------------------------------------------
    bool Active() const override { return FActive; }
    void SetActive(bool value);

    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    TConnectionMode ConnectionMode() const { return FConnectionMode; }
    void SetConnectionMode(TConnectionMode value);
    std::uint32_t CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(std::uint32_t value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits value);
    bool DTREnabled() const { return FDTREnabled; }
    void SetDTREnabled(bool value);
    bool EchoQueryBeforeReply() const { return FTiming.EchoQueryBeforeReply(); }
    void SetEchoQueryBeforeReply(bool value) { FTiming.SetEchoQueryBeforeReply(value); }
    TFlowControl FlowControl() const { return FFlowControl; }
    void SetFlowControl(TFlowControl value);
    // How RTU frames are delimited: ftClassic (the default) or the standard's gaps with frames
    // that end by length (see FrameTiming.h and FrameLength.h). Applied live, like
    // SilentInterval; the worker picks it up at its next receive.
    TFrameTiming FrameTiming() const { return FTiming.FrameTiming(); }
    void SetFrameTiming(TFrameTiming value);
    bool HookExistingPort() const { return FHookExistingPort; }
    void SetHookExistingPort(bool value);
    std::int32_t InputBufferSize() const { return FInputBufferSize; }
    void SetInputBufferSize(std::int32_t value);
    std::uint32_t MaxRetries() const { return FTiming.MaxRetries(); }
    void SetMaxRetries(std::uint32_t value) { FTiming.SetMaxRetries(value); }
    std::int32_t OutputBufferSize() const { return FOutputBufferSize; }
    void SetOutputBufferSize(std::int32_t value);
    TParityScheme Parity() const { return FParity; }
    void SetParity(TParityScheme value);
    const std::string& Port() const { return FPort; }
    void SetPort(const std::string& value);
    std::uint32_t ReceiveTimeout() const { return FTiming.ReceiveTimeout(); }
    void SetReceiveTimeout(std::uint32_t value) { FTiming.SetReceiveTimeout(value); }
    std::uint32_t RefetchDelay() const { return FTiming.RefetchDelay(); }
    void SetRefetchDelay(std::uint32_t value) { FTiming.SetRefetchDelay(value); }
    bool RTSEnabled() const { return FRTSEnabled; }
    void SetRTSEnabled(bool value);
    std::uint32_t RTSHoldDelay() const { return FTiming.RTSHoldDelay(); }
    void SetRTSHoldDelay(std::uint32_t value) { FTiming.SetRTSHoldDelay(value); }
    std::uint32_t SendTimeout() const { return FTiming.SendTimeout(); }
    void SetSendTimeout(std::uint32_t value) { FTiming.SetSendTimeout(value); }
    std::uint32_t SilentInterval() const { return FSilentInterval; }
    void SetSilentInterval(std::uint32_t value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority value);
    TTransmissionMode TransmissionMode() const { return FTransmissionMode; }
    void SetTransmissionMode(TTransmissionMode value);
    std::uint32_t TurnaroundDelay() const { return FTiming.TurnaroundDelay(); }
    void SetTurnaroundDelay(std::uint32_t value) { FTiming.SetTurnaroundDelay(value); }

    // End-of-frame gap in ms (rounded up), recomputed on open and on live line changes.
    std::uint32_t SilentTime() const { return FTiming.SilentTime(); }
    // The end-of-frame gap and the inter-character limit to the microsecond.
    TFrameGaps FrameGaps() const { return FTiming.FrameGaps(); }

    // --- Events (main thread unless marked Async) -----------------------------------
    TNotifyEvent OnAfterClose;
    TNotifyEvent OnAfterFrameSendAsync;
    TNotifyEvent OnAfterOpen;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnBeforeFrameSendAsync;
    TNotifyEvent OnBeforeOpen;
    TFrameDataEvent OnFrameReceive;
    TFrameDataEvent OnFrameSend;
    TGetHookedPortHandleEvent OnGetHookedPortHandle;
    TNotifyEvent OnInvalidFrameDiscard;

    // --- Loading from stored settings -----------------------------------------------
    // While loading, SetActive only records the value; EndLoading applies it and reports an
    // open error through the bridge's exception handler instead of raising it.
    void BeginLoading() { FLoading = true; }
    void EndLoading();
    bool Loading() const override { return FLoading; }

    // --- Used by clients and servers ------------------------------------------------
    void CheckActive() const;
    void CheckInactive() const;
    std::int32_t NextTransactionID() override { return FTransactionCounter++; }
    std::int32_t QueryBufferSize() const override {
        return Corvane::QueryBufferSize(FTransmissionMode);
    }
    std::int32_t FrameBufferSize() const { return Corvane::FrameBufferSize(FTransmissionMode); }

    // Queues the transaction for the worker; on an exception the caller keeps ownership.
    void Submit(std::unique_ptr<TModbusTransaction>& transaction, TModbusClient* client) override;

    void RegisterClient(TModbusClient* client) override;
    void UnregisterClient(TModbusClient* client) override;
    void RegisterServer(TModbusServer* server) override;
    void UnregisterServer(TModbusServer* server) override;
    const std::vector<TModbusServer*>& Servers() const { return FRegistry.Servers(); }

    // Queued transactions: all (nullptr) or those addressed to the client's current address.
    std::int32_t PendingTransactionCount(const TModbusClient* client = nullptr) const;
    // Frees queued transactions of the client (or all for nullptr) without events.
    void DiscardPendingTransactions(const TModbusClient* client = nullptr) override;

    // Broadcast writes of the connection itself (address 0, no completion).
    std::int32_t BroadcastSingleCoilWrite(std::uint16_t bitAddr, bool value, std::int32_t userData);
    std::int32_t BroadcastSingleRegisterWrite(std::uint16_t regAddr, std::uint16_t value,
                                              std::int32_t userData);
    std::int32_t BroadcastMultipleCoilsWrite(std::uint16_t startBit, const TBitValues& values,
                                             std::int32_t userData);
    std::int32_t BroadcastMultipleRegistersWrite(std::uint16_t startReg, const TRegValues& values,
                                                 std::int32_t userData);

    // Server mode, main thread: hands a decoded request to the registered servers. The
    // worker then sends what transaction.Reply holds (nothing when it is empty). Virtual so
    // that a subclass can wrap the dispatch, e.g. a simulator that injects line faults.
    void DispatchToServers(TModbusTransaction& transaction) override;

    // True once the open line reported that its other end went away (an unplugged adapter).
    bool LineLost() const override;
    // The line's character time, the silence kept per exchange and the longest an exchange
    // takes: MaxRetries x (ReceiveTimeout + RefetchDelay + the largest request and reply on
    // the line), from the current settings, open or not.
    TExchangeTiming ExchangeTiming() const override;

    TMainThreadBridge& Bridge() const { return FBridge; }

    // The capture of every frame on the wire, for a traffic monitor: enable it and drain it
    // on the main thread (see FrameCapture.h). Lives as long as the connection.
    TFrameTap& FrameTap() { return FTap; }

protected:
    virtual void DoAfterClose();
    virtual void DoAfterFrameSendAsync();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeFrameSendAsync();
    virtual void DoBeforeOpen();
    virtual void DoFrameReceive(const TFrameData& data);
    virtual void DoFrameSend(const TFrameData& data);
    virtual std::uintptr_t DoGetHookedPortHandle();
    virtual void DoInvalidFrameDiscard();

    // Server mode, worker thread, after DispatchToServers returned: writes the wire form of
    // the reply into raw and returns its length (0 for an empty reply). Virtual so that a
    // subclass can change what goes on the wire, e.g. a simulator that damages a frame check.
    std::int32_t EncodeReply(const TModbusBuffer& reply, std::uint8_t* raw,
                             std::int32_t rawSize) override;

private:
    void Open();
    void Close();
    void OpenPort();
    void ClosePort();
    void ApplyCommState();
    void UpdateSilentTime();
    void ApplyLiveLineChange();
    std::uint32_t EffectiveBaudRate() const;

    // ITransactionHost: the worker's calls (see TransactionHost.h for the threads).
    void BeforeFrameSend() override { DoBeforeFrameSendAsync(); }
    void AfterFrameSend() override { DoAfterFrameSendAsync(); }
    bool WantsFrame(bool sent) const override;
    void DeliverTransaction(std::unique_ptr<TModbusTransaction> transaction) override;
    void DeliverFrame(const TFrameData& data, bool sent) override;
    void DiscardInvalidFrame() override { DoInvalidFrameDiscard(); }

    TMainThreadBridge& FBridge;
    // Liveness token: work posted by the worker holds a weak reference and is dropped once
    // the connection is gone.
    std::shared_ptr<ITransactionHost*> FAlive;

    bool FActive = false;
    bool FLoading = false;
    bool FStoredActive = false;
    bool FDestroying = false;
    bool FClosing = false;

    TBaudRate FBaudRate = br19200;
    TConnectionMode FConnectionMode = cmClient;
    std::uint32_t FCustomBaudRate = 19200;
    TDataBits FDataBits = db8;
    bool FDTREnabled = true;
    TFlowControl FFlowControl = fcNone;
    bool FHookExistingPort = false;
    std::int32_t FInputBufferSize = 1024;
    std::int32_t FOutputBufferSize = 1024;
    TParityScheme FParity = psEven;
    std::string FPort = "COM1";
    bool FRTSEnabled = true;
    std::uint32_t FSilentInterval = 4;
    TStopBits FStopBits = sb1;
    TThreadPriority FThreadPriority = tpNormal;
    TTransmissionMode FTransmissionMode = tmRTU;

    // Read by the worker at each use, under its own lock.
    TLineTiming FTiming;

    std::int32_t FTransactionCounter = 0;
    TLinkRegistry FRegistry;

    // Declared before the worker, which pushes into it until it is stopped.
    TFrameTap FTap;
    std::unique_ptr<TSerialLine> FLine;
    std::unique_ptr<TTransactionThread> FThread;
};

} // namespace Corvane
