#include "ModbusConnection.h"

#include "CorvaneError.h"
#include "ModbusClient.h"
#include "ModbusServer.h"
#include "RequestChecks.h"
#include "RequestPdu.h"
#include "SerialLine.h"
#include "SystemClockResolutionEnhancer.h"
#include "TransactionThread.h"

#include <cmath>

namespace Corvane {

namespace {

// The library's start-up step: the timer resolution is raised for the life of the process,
// open port or not (the CRC table is built in the same phase, see Checksum.cpp).
const TSystemClockResolutionEnhancer gClockResolution;

} // namespace

TModbusConnection::TModbusConnection(TMainThreadBridge& bridge)
    : FBridge(bridge),
      FAlive(std::make_shared<ITransactionHost*>(static_cast<ITransactionHost*>(this))) {}

TModbusConnection::~TModbusConnection() {
    FDestroying = true;
    try {
        SetActive(false);
    } catch (const std::exception& e) {
        FBridge.ReportException(e);
    }
    FAlive.reset();
    // Free notification: clients and servers forget this connection.
    FRegistry.NotifyDestroyed(this);
}

// --- Active -----------------------------------------------------------------------------

void TModbusConnection::SetActive(bool value) {
    if (FLoading) {
        FStoredActive = value;
        return;
    }
    if (value == FActive) {
        return;
    }
    if (value) {
        Open();
    } else {
        Close();
    }
}

void TModbusConnection::EndLoading() {
    if (!FLoading) {
        return;
    }
    FLoading = false;
    try {
        SetActive(FStoredActive);
    } catch (const std::exception& e) {
        FBridge.ReportException(e);
    }
}

void TModbusConnection::Open() {
    DoBeforeOpen();
    OpenPort();
    try {
        FLine->SetBufferSizes(FInputBufferSize, FOutputBufferSize);
        ApplyCommState();
        UpdateSilentTime();
        // The line starts empty: stale bytes are discarded here rather than by the worker once
        // it runs, which would also discard a request that arrived right after the open.
        FLine->Purge(true, true);
        const TTransactionThreadParts parts{.Line = *FLine,
                                            .Timing = FTiming,
                                            .Bridge = FBridge,
                                            .Host = *this,
                                            .Tap = FTap,
                                            .Alive = FAlive,
                                            .Mode = FTransmissionMode,
                                            .ConnectionMode = FConnectionMode,
                                            .FlowControl = FFlowControl,
                                            .Priority = FThreadPriority};
        FThread = std::make_unique<TTransactionThread>(parts);
    } catch (...) {
        FThread.reset();
        ClosePort();
        throw;
    }
    DoAfterOpen();
    FActive = true;
}

void TModbusConnection::Close() {
    DoBeforeClose();
    // While the worker stops, the main thread keeps running its synchronized calls; a
    // completion that arrives meanwhile is dropped, as it would be after the close.
    FClosing = true;
    FThread.reset();
    FClosing = false;
    ClosePort();
    DoAfterClose();
    FActive = false;
}

void TModbusConnection::OpenPort() {
    if (FHookExistingPort) {
        const std::uintptr_t handle = DoGetHookedPortHandle();
        FLine = HookSerialLine(static_cast<std::intptr_t>(handle));
    } else {
        FLine = OpenSerialLine(ResolvePortName(FPort));
    }
}

void TModbusConnection::ClosePort() {
    // A hooked line never closes the handle it was given (see HookSerialLine).
    FLine.reset();
}

std::uint32_t TModbusConnection::EffectiveBaudRate() const {
    return FBaudRate == brCustom ? FCustomBaudRate : BaudRateValue(FBaudRate);
}

TExchangeTiming TModbusConnection::ExchangeTiming() const {
    TExchangeTiming timing;
    timing.Mode = FTransmissionMode;
    const std::uint32_t baud = EffectiveBaudRate();
    if (baud == 0) {
        return timing;
    }
    timing.CharacterUs = BitsPerCharacter(FDataBits, FParity, FStopBits) * 1e6 / baud;
    timing.SilentUs = ComputeFrameGaps(FTiming.FrameTiming(), FTransmissionMode, baud, FDataBits,
                                       FParity, FStopBits, FSilentInterval)
                          .SilentUs;
    const std::int32_t largest = Corvane::QueryBufferSize(FTransmissionMode);
    const double attemptMs =
        static_cast<double>(FTiming.ReceiveTimeout()) + FTiming.RefetchDelay() +
        2.0 * WireCharacters(FTransmissionMode, largest) * timing.CharacterUs / 1000.0;
    const double limit = std::ceil(FTiming.MaxRetries() * attemptMs);
    timing.LimitMs = limit >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(limit);
    return timing;
}

void TModbusConnection::ApplyCommState() {
    if (!FLine) {
        return;
    }
    TSerialLine::TLineSettings settings{};
    settings.BaudRate = EffectiveBaudRate();
    settings.DataBits = FDataBits;
    settings.Parity = FParity;
    settings.StopBits = FStopBits;
    settings.FlowControl = FFlowControl;
    settings.DTREnabled = FDTREnabled;
    settings.RTSEnabled = FRTSEnabled;
    FLine->Configure(settings);
    FTap.SetBaudRate(settings.BaudRate);
}

void TModbusConnection::UpdateSilentTime() {
    const std::uint32_t baud = EffectiveBaudRate();
    if (baud == 0 && FTransmissionMode == tmRTU) {
        throw ECorvaneError(msgCustomBaudRateZero);
    }
    FTiming.SetFrameGaps(ComputeFrameGaps(FTiming.FrameTiming(), FTransmissionMode, baud, FDataBits,
                                          FParity, FStopBits, FSilentInterval));
}

void TModbusConnection::ApplyLiveLineChange() {
    if (FActive && !FLoading) {
        ApplyCommState();
        UpdateSilentTime();
    }
}

// --- Checks -------------------------------------------------------------------------------

void TModbusConnection::CheckActive() const {
    if (!FActive || FLoading) {
        throw ECorvaneError(msgConnectionMustBeActive);
    }
}

void TModbusConnection::CheckInactive() const {
    if (FActive && !FLoading) {
        throw ECorvaneError(msgConnectionMustNotBeActive);
    }
}

// --- Property setters ---------------------------------------------------------------------

void TModbusConnection::SetBaudRate(TBaudRate value) {
    if (value != FBaudRate) {
        FBaudRate = value;
        ApplyLiveLineChange();
    }
}

void TModbusConnection::SetCustomBaudRate(std::uint32_t value) {
    if (value != FCustomBaudRate) {
        FCustomBaudRate = value;
        FBaudRate = brCustom;
        ApplyLiveLineChange();
    }
}

void TModbusConnection::SetDataBits(TDataBits value) {
    if (value != FDataBits) {
        FDataBits = value;
        ApplyLiveLineChange();
    }
}

void TModbusConnection::SetParity(TParityScheme value) {
    if (value != FParity) {
        FParity = value;
        ApplyLiveLineChange();
    }
}

void TModbusConnection::SetStopBits(TStopBits value) {
    if (value != FStopBits) {
        FStopBits = value;
        ApplyLiveLineChange();
    }
}

void TModbusConnection::SetSilentInterval(std::uint32_t value) {
    if (value != FSilentInterval) {
        FSilentInterval = value;
        if (FActive && !FLoading) {
            UpdateSilentTime();
        }
    }
}

void TModbusConnection::SetFrameTiming(TFrameTiming value) {
    if (value != FTiming.FrameTiming()) {
        FTiming.SetFrameTiming(value);
        if (FActive && !FLoading) {
            UpdateSilentTime();
        }
    }
}

void TModbusConnection::SetThreadPriority(TThreadPriority value) {
    if (value != FThreadPriority) {
        FThreadPriority = value;
        if (FActive && !FLoading && FThread) {
            FThread->SetPriority(value);
        }
    }
}

// Properties that need the port reopened are refused while active.
#define CORVANE_INACTIVE_SETTER(Name, Type, Field)                                                 \
    void TModbusConnection::Set##Name(Type value) {                                                \
        if (value != Field) {                                                                      \
            CheckInactive();                                                                       \
            Field = value;                                                                         \
        }                                                                                          \
    }
CORVANE_INACTIVE_SETTER(Port, const std::string&, FPort)
CORVANE_INACTIVE_SETTER(ConnectionMode, TConnectionMode, FConnectionMode)
CORVANE_INACTIVE_SETTER(DTREnabled, bool, FDTREnabled)
CORVANE_INACTIVE_SETTER(FlowControl, TFlowControl, FFlowControl)
CORVANE_INACTIVE_SETTER(HookExistingPort, bool, FHookExistingPort)
CORVANE_INACTIVE_SETTER(InputBufferSize, std::int32_t, FInputBufferSize)
CORVANE_INACTIVE_SETTER(OutputBufferSize, std::int32_t, FOutputBufferSize)
CORVANE_INACTIVE_SETTER(RTSEnabled, bool, FRTSEnabled)
CORVANE_INACTIVE_SETTER(TransmissionMode, TTransmissionMode, FTransmissionMode)
#undef CORVANE_INACTIVE_SETTER

bool TModbusConnection::LineLost() const {
    return FLine && FLine->LineLost();
}

// --- Clients, servers and the queue -------------------------------------------------------

void TModbusConnection::Submit(std::unique_ptr<TModbusTransaction>& transaction,
                               TModbusClient* client) {
    CheckActive();
    transaction->Client = client;
    transaction->ClientSerial = client != nullptr ? client->Serial() : 0;
    FThread->Enqueue(std::move(transaction));
}

void TModbusConnection::RegisterClient(TModbusClient* client) {
    FRegistry.AddClient(client);
}

void TModbusConnection::UnregisterClient(TModbusClient* client) {
    FRegistry.RemoveClient(client);
}

void TModbusConnection::RegisterServer(TModbusServer* server) {
    FRegistry.AddServer(server);
}

void TModbusConnection::UnregisterServer(TModbusServer* server) {
    FRegistry.RemoveServer(server);
}

std::int32_t TModbusConnection::PendingTransactionCount(const TModbusClient* client) const {
    if (!FActive || FLoading || !FThread) {
        return 0;
    }
    if (client == nullptr) {
        return FThread->QueuedCount(nullptr);
    }
    const std::uint8_t address = client->ServerAddress();
    return FThread->QueuedCount(&address);
}

void TModbusConnection::DiscardPendingTransactions(const TModbusClient* client) {
    if (FActive && !FLoading && FConnectionMode == cmClient && FThread) {
        FThread->DiscardTransactions(client);
    }
}

// --- Broadcasts -----------------------------------------------------------------------------

namespace {

// Builds and submits one broadcast; the transaction is freed when building fails.
template <typename Build>
std::int32_t SubmitBroadcast(TModbusConnection& connection, std::int32_t userData, Build&& build) {
    connection.CheckActive();
    auto transaction = std::make_unique<TModbusTransaction>(connection.QueryBufferSize());
    transaction->Info.ID = connection.NextTransactionID();
    transaction->Info.ServerAddress = 0;
    transaction->Info.UserData = userData;
    TModbusBuffer& query = transaction->Query;
    query.WriteByte(0);
    build(query);
    const std::int32_t id = transaction->Info.ID;
    connection.Submit(transaction, nullptr);
    return id;
}

} // namespace

std::int32_t TModbusConnection::BroadcastSingleCoilWrite(std::uint16_t bitAddr, bool value,
                                                         std::int32_t userData) {
    return SubmitBroadcast(*this, userData,
                           [&](TModbusBuffer& q) { WriteSingleCoilPdu(q, bitAddr, value); });
}

std::int32_t TModbusConnection::BroadcastSingleRegisterWrite(std::uint16_t regAddr,
                                                             std::uint16_t value,
                                                             std::int32_t userData) {
    return SubmitBroadcast(*this, userData,
                           [&](TModbusBuffer& q) { WriteSingleRegisterPdu(q, regAddr, value); });
}

std::int32_t TModbusConnection::BroadcastMultipleCoilsWrite(std::uint16_t startBit,
                                                            const TBitValues& values,
                                                            std::int32_t userData) {
    CheckActive();
    CheckMultipleCoilsWrite(startBit, values.size());
    return SubmitBroadcast(*this, userData,
                           [&](TModbusBuffer& q) { WriteMultipleCoilsPdu(q, startBit, values); });
}

std::int32_t TModbusConnection::BroadcastMultipleRegistersWrite(std::uint16_t startReg,
                                                                const TRegValues& values,
                                                                std::int32_t userData) {
    CheckActive();
    CheckMultipleRegistersWrite(startReg, values.size());
    return SubmitBroadcast(
        *this, userData, [&](TModbusBuffer& q) { WriteMultipleRegistersPdu(q, startReg, values); });
}

// --- Main-thread delivery -------------------------------------------------------------------

void TModbusConnection::DeliverTransaction(std::unique_ptr<TModbusTransaction> transaction) {
    TModbusClient* client = transaction->Client;
    if (!FRegistry.HasClient(client) || client->Serial() != transaction->ClientSerial ||
        client->ServerAddress() != transaction->Info.ServerAddress || !FActive || FClosing ||
        FDestroying || client->Destroying()) {
        return;
    }
    try {
        client->ProcessTransaction(*transaction);
    } catch (const std::exception& e) {
        FBridge.ReportException(e);
    }
}

bool TModbusConnection::WantsFrame(bool sent) const {
    // Read from the worker: an event assigned on the main thread while the connection is open
    // is a setup race that the application avoids by assigning its handlers before opening.
    return sent ? static_cast<bool>(OnFrameSend) : static_cast<bool>(OnFrameReceive);
}

void TModbusConnection::DeliverFrame(const TFrameData& data, bool sent) {
    if (sent) {
        DoFrameSend(data);
    } else {
        DoFrameReceive(data);
    }
}

void TModbusConnection::DispatchToServers(TModbusTransaction& transaction) {
    DispatchRequest(FRegistry.Servers(), transaction);
}

// --- Event triggers -------------------------------------------------------------------------

#define CORVANE_NOTIFY(Trigger, Event)                                                             \
    void TModbusConnection::Trigger() {                                                            \
        if (Event) {                                                                               \
            Event(*this);                                                                          \
        }                                                                                          \
    }
CORVANE_NOTIFY(DoAfterClose, OnAfterClose)
CORVANE_NOTIFY(DoAfterFrameSendAsync, OnAfterFrameSendAsync)
CORVANE_NOTIFY(DoAfterOpen, OnAfterOpen)
CORVANE_NOTIFY(DoBeforeClose, OnBeforeClose)
CORVANE_NOTIFY(DoBeforeFrameSendAsync, OnBeforeFrameSendAsync)
CORVANE_NOTIFY(DoBeforeOpen, OnBeforeOpen)
CORVANE_NOTIFY(DoInvalidFrameDiscard, OnInvalidFrameDiscard)
#undef CORVANE_NOTIFY

void TModbusConnection::DoFrameReceive(const TFrameData& data) {
    if (OnFrameReceive) {
        OnFrameReceive(*this, data);
    }
}

void TModbusConnection::DoFrameSend(const TFrameData& data) {
    if (OnFrameSend) {
        OnFrameSend(*this, data);
    }
}

std::int32_t TModbusConnection::EncodeReply(const TModbusBuffer& reply, std::uint8_t* raw,
                                            std::int32_t rawSize) {
    return EncodeFrame(FTransmissionMode, reply, raw, rawSize);
}

std::uintptr_t TModbusConnection::DoGetHookedPortHandle() {
    std::uintptr_t handle = kInvalidHandle;
    if (OnGetHookedPortHandle) {
        OnGetHookedPortHandle(*this, handle);
    }
    return handle;
}

} // namespace Corvane
