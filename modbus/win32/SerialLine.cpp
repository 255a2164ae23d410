// The serial line on Windows: a COM device opened for overlapped I/O. Every wait is an
// overlapped operation whose event is waited for together with the line's stop event, so that
// any wait can be ended from another thread:
//   - the port's read time-outs are ReadIntervalTimeout = MAXDWORD and all else 0, so that a
//     read returns at once with what the driver holds;
//   - a wait for data is WaitCommEvent on EV_RXCHAR, re-armed before every wait (CancelIo,
//     then the event mask set to none and again to EV_RXCHAR, which also resets a pending
//     wait). Characters buffered before the wait are looked for first: the driver reports
//     EV_RXCHAR only for characters that arrive after the mask was set;
//   - a write is WriteFile with a time limit; FlushFileBuffers waits until the driver sent it.
// An overlapped operation that is given up is cancelled and then waited for, because the
// system writes to its OVERLAPPED record and buffer until it has really ended.
//
// Line loss: a USB adapter that is pulled out fails every later call with an error such as
// ERROR_ACCESS_DENIED or ERROR_BAD_COMMAND. The line then marks itself lost, and from then
// on waits sleep on the stop event alone for their full time limit, looking once per second
// whether the port answers again, so that a worker that keeps waiting never spins.
#include "SerialLine.h"

#include "CorvaneError.h"
#include "Deadline.h"
#include "DeviceControlBlock.h"
#include "FrameTiming.h"
#include "WideText.h"
#include "Win32Api.h"
#include "Win32Error.h"

#include <atomic>
#include <cctype>
#include <cstdint>

namespace Corvane {

namespace {

// Errors after which the port is of no further use: the device went away under the handle.
bool IsLineGone(DWORD err) {
    switch (err) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_READY:
    case ERROR_BROKEN_PIPE:
    case ERROR_HANDLE_EOF:
        return true;
    default:
        return false;
    }
}

// The handle value of "no handle" in the 32 bits of the hook event, as well as in a pointer.
bool IsInvalidHandleValue(std::intptr_t handle) {
    return handle == 0 || handle == -1 ||
           (static_cast<std::uint64_t>(handle) & 0xFFFFFFFFu) == 0xFFFFFFFFu;
}

DWORD WaitTime(const TDeadline& deadline, int capMs = -1) {
    const int ms = deadline.RemainingMs(capMs);
    return ms < 0 ? INFINITE : static_cast<DWORD>(ms);
}

// A kernel handle closed on destruction, when owned.
class THandle {
public:
    THandle(HANDLE handle, bool owned) : FHandle(handle), FOwned(owned) {}
    ~THandle() {
        if (FOwned && FHandle != nullptr && FHandle != INVALID_HANDLE_VALUE) {
            CloseHandle(FHandle);
        }
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;

    HANDLE Get() const { return FHandle; }

private:
    HANDLE FHandle;
    bool FOwned;
};

// A new event (manual or auto reset, initially clear); raises with the system's reason.
HANDLE NewEvent(bool manualReset) {
    const HANDLE event = CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr);
    if (event == nullptr) {
        throw Win32Error(msgSerialLineFailed, GetLastError());
    }
    return event;
}

class TWin32SerialLine final : public TSerialLine {
public:
    // Takes the open port handle; closes it on destruction only when ownsHandle. Sets the read
    // time-outs and the event mask; raises "Failed to initialize communication timeouts" or
    // "Failed to initialize serial event mask" when the device refuses them.
    TWin32SerialLine(HANDLE port, bool ownsHandle);
    ~TWin32SerialLine() override;

    void Configure(const TLineSettings& settings) override;
    void SetBufferSizes(std::int32_t inputSize, std::int32_t outputSize) override;
    TWaitResult WaitForDataFor(std::chrono::microseconds timeout) override;
    std::int32_t ReadAvailable(std::uint8_t* dest, std::int32_t count) override;
    bool Write(const std::uint8_t* data, std::int32_t count, std::uint32_t timeoutMs) override;
    void Drain() override;
    void Purge(bool rx, bool tx) override;
    void SetRTS(bool raised) override;
    void ClearErrors() override;
    void RequestStop() override;
    bool LineLost() const override { return FLost.load(); }

private:
    // How a pending overlapped operation ended.
    enum TPendingEnd : std::uint8_t { peDone, peFailed, peTimedOut, peStopped };

    // How often a lost line is looked at again while a wait sleeps.
    static constexpr int kLostRecheckMs = 1000;
    // A read with the time-outs above never stays pending; this only bounds a driver that
    // lets it.
    static constexpr DWORD kReadCompletionMs = 1000;

    // A clean overlapped record on the I/O event, which is reset.
    OVERLAPPED NewOverlapped();
    // What a pending operation is, for the way it is cancelled.
    enum TPendingKind : std::uint8_t { pkTransfer, pkCommEvent };

    // Waits for a pending operation on ov at most ms, and for the stop event when watchStop.
    // An operation that did not end in time is cancelled and waited for; transferred is what
    // it moved, also then.
    TPendingEnd AwaitPending(OVERLAPPED& ov, TPendingKind kind, DWORD ms, bool watchStop,
                             DWORD& transferred);
    void RearmCommEvents();
    // Bytes the driver holds on the receive (input) or transmit side; 0 when it cannot tell.
    DWORD Queued(bool input);
    TWaitResult WaitWhileLost(const TDeadline& deadline);
    bool LineCameBack();
    void NoteFailure(DWORD err);

    THandle FPort;
    THandle FIoEvent{NewEvent(true), true};
    THandle FStopEvent{NewEvent(false), true};
    std::atomic<bool> FLost{false};
    // What a hooked port had before, given back on destruction.
    COMMTIMEOUTS FOriginalTimeouts{};
    DWORD FOriginalMask = 0;
    bool FRestoreOriginal = false;
    // For Drain's estimate of the time the queued bytes need; written by Configure.
    std::atomic<std::uint32_t> FBaudRate{19200};
    std::atomic<std::uint32_t> FBitsPerCharacter{11};
};

TWin32SerialLine::TWin32SerialLine(HANDLE port, bool ownsHandle) : FPort(port, ownsHandle) {
    if (!ownsHandle) {
        FRestoreOriginal =
            GetCommTimeouts(port, &FOriginalTimeouts) && GetCommMask(port, &FOriginalMask);
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommTimeouts(port, &timeouts)) {
        throw Win32Error(msgFailedToInitTimeouts, GetLastError());
    }
    if (!SetCommMask(port, EV_RXCHAR)) {
        throw Win32Error(msgFailedToInitEventMask, GetLastError());
    }
}

TWin32SerialLine::~TWin32SerialLine() {
    // No operation is pending here: every one is completed or cancelled before its call returns.
    if (FRestoreOriginal) {
        SetCommMask(FPort.Get(), FOriginalMask);
        SetCommTimeouts(FPort.Get(), &FOriginalTimeouts);
    }
}

void TWin32SerialLine::Configure(const TLineSettings& settings) {
    if (settings.BaudRate == 0) {
        throw ECorvaneError(msgCustomBaudRateZero);
    }
    DCB dcb = DeviceControlBlock(settings);
    if (!SetCommState(FPort.Get(), &dcb)) {
        throw Win32Error(msgFailedToUpdateDcb, GetLastError());
    }
    FBaudRate.store(settings.BaudRate);
    FBitsPerCharacter.store(
        BitsPerCharacter(settings.DataBits, settings.Parity, settings.StopBits));
}

void TWin32SerialLine::SetBufferSizes(std::int32_t inputSize, std::int32_t outputSize) {
    if (inputSize < 0 || outputSize < 0) {
        throw Win32Error(msgFailedToInitBuffers, ERROR_INVALID_PARAMETER);
    }
    if (!SetupComm(FPort.Get(), static_cast<DWORD>(inputSize), static_cast<DWORD>(outputSize))) {
        throw Win32Error(msgFailedToInitBuffers, GetLastError());
    }
}

OVERLAPPED TWin32SerialLine::NewOverlapped() {
    OVERLAPPED ov{};
    ov.hEvent = FIoEvent.Get();
    ResetEvent(ov.hEvent);
    return ov;
}

TWin32SerialLine::TPendingEnd TWin32SerialLine::AwaitPending(OVERLAPPED& ov, TPendingKind kind,
                                                             DWORD ms, bool watchStop,
                                                             DWORD& transferred) {
    transferred = 0;
    const HANDLE handles[2] = {FStopEvent.Get(), ov.hEvent};
    const DWORD woken = watchStop ? WaitForMultipleObjects(2, handles, FALSE, ms)
                                  : WaitForSingleObject(ov.hEvent, ms);
    const bool stopped = watchStop && woken == WAIT_OBJECT_0;
    if (!stopped && GetOverlappedResult(FPort.Get(), &ov, &transferred, FALSE)) {
        return peDone;
    }
    const DWORD err = stopped ? ERROR_IO_INCOMPLETE : GetLastError();
    if (err != ERROR_IO_INCOMPLETE) {
        NoteFailure(err);
        return peFailed;
    }
    // A pending WaitCommEvent ends when the event mask changes; Wine's serial driver ends it
    // only that way, and ignores CancelIo for it. The next wait sets the mask again.
    if (kind == pkCommEvent) {
        SetCommMask(FPort.Get(), 0);
    }
    CancelIo(FPort.Get());
    GetOverlappedResult(FPort.Get(), &ov, &transferred, TRUE);
    return stopped ? peStopped : peTimedOut;
}

void TWin32SerialLine::RearmCommEvents() {
    CancelIo(FPort.Get());
    SetCommMask(FPort.Get(), 0);
    SetCommMask(FPort.Get(), EV_RXCHAR);
}

DWORD TWin32SerialLine::Queued(bool input) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(FPort.Get(), &errors, &status)) {
        NoteFailure(GetLastError());
        return 0;
    }
    return input ? status.cbInQue : status.cbOutQue;
}

void TWin32SerialLine::NoteFailure(DWORD err) {
    if (IsLineGone(err)) {
        FLost.store(true);
    }
}

// The system's waits count in milliseconds: a limit below one is rounded up to it, so that a
// wait never ends before its deadline.
TWaitResult TWin32SerialLine::WaitForDataFor(std::chrono::microseconds timeout) {
    const TDeadline deadline(timeout);
    for (;;) {
        if (FLost.load() && !LineCameBack()) {
            const TWaitResult lost = WaitWhileLost(deadline);
            if (lost != wrData) {
                return lost;
            }
            continue; // the port answers again: wait on it for the time that is left
        }
        RearmCommEvents();
        if (Queued(true) > 0) {
            return wrData;
        }
        if (FLost.load()) {
            continue;
        }
        OVERLAPPED ov = NewOverlapped();
        DWORD events = 0;
        bool completed = WaitCommEvent(FPort.Get(), &events, &ov) != FALSE;
        if (!completed) {
            const DWORD err = GetLastError();
            if (err != ERROR_IO_PENDING) {
                // Nothing left to wait on: treat the port as gone rather than spin.
                FLost.store(true);
                continue;
            }
            DWORD ignored = 0;
            switch (AwaitPending(ov, pkCommEvent, WaitTime(deadline), true, ignored)) {
            case peDone:
                completed = true;
                break;
            case peStopped:
                return wrStopped;
            case peFailed:
            case peTimedOut:
                break;
            }
        }
        if ((completed && (events & EV_RXCHAR) != 0) || Queued(true) > 0) {
            return wrData;
        }
        if (deadline.Expired()) {
            return wrTimeout;
        }
        // A wait that ended without a character (the mask was reset): wait again, briefly
        // yielding so that a driver that keeps doing this cannot make the loop spin.
        Sleep(1);
    }
}

TWaitResult TWin32SerialLine::WaitWhileLost(const TDeadline& deadline) {
    for (;;) {
        if (WaitForSingleObject(FStopEvent.Get(), WaitTime(deadline, kLostRecheckMs)) ==
            WAIT_OBJECT_0) {
            return wrStopped;
        }
        if (LineCameBack()) {
            return wrData; // not data yet: tells the caller to wait on the port again
        }
        if (deadline.Expired()) {
            return wrLineLost;
        }
    }
}

bool TWin32SerialLine::LineCameBack() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(FPort.Get(), &errors, &status)) {
        return false;
    }
    FLost.store(false);
    return true;
}

std::int32_t TWin32SerialLine::ReadAvailable(std::uint8_t* dest, std::int32_t count) {
    if (dest == nullptr || count <= 0) {
        return 0;
    }
    OVERLAPPED ov = NewOverlapped();
    DWORD transferred = 0;
    if (ReadFile(FPort.Get(), dest, static_cast<DWORD>(count), nullptr, &ov)) {
        return GetOverlappedResult(FPort.Get(), &ov, &transferred, FALSE)
                   ? static_cast<std::int32_t>(transferred)
                   : 0;
    }
    const DWORD err = GetLastError();
    if (err != ERROR_IO_PENDING) {
        NoteFailure(err);
        return 0;
    }
    AwaitPending(ov, pkTransfer, kReadCompletionMs, false, transferred);
    // A cancelled read may still have moved bytes: they are the caller's.
    return static_cast<std::int32_t>(transferred);
}

bool TWin32SerialLine::Write(const std::uint8_t* data, std::int32_t count,
                             std::uint32_t timeoutMs) {
    if (count <= 0) {
        return count == 0;
    }
    OVERLAPPED ov = NewOverlapped();
    DWORD transferred = 0;
    if (WriteFile(FPort.Get(), data, static_cast<DWORD>(count), nullptr, &ov)) {
        return GetOverlappedResult(FPort.Get(), &ov, &transferred, FALSE) &&
               transferred == static_cast<DWORD>(count);
    }
    const DWORD err = GetLastError();
    if (err != ERROR_IO_PENDING) {
        NoteFailure(err);
        return false;
    }
    const TDeadline deadline(timeoutMs);
    switch (AwaitPending(ov, pkTransfer, WaitTime(deadline), true, transferred)) {
    case peDone:
        return transferred == static_cast<DWORD>(count);
    case peStopped:
        SetEvent(FStopEvent.Get()); // the stop request stays pending for the next wait
        [[fallthrough]];
    case peTimedOut:
        PurgeComm(FPort.Get(), PURGE_TXABORT | PURGE_TXCLEAR);
        return false;
    case peFailed:
        return false;
    }
    return false;
}

// FlushFileBuffers alone would block without limit while hardware flow control holds the
// output, and nothing could stop it. So the driver's transmit queue is watched first, in
// steps of the time its bytes need on the line, with a stop request ending the wait; the flush
// then only waits for the last characters in the UART.
void TWin32SerialLine::Drain() {
    for (DWORD queued = Queued(false); queued > 0; queued = Queued(false)) {
        const std::uint64_t bits = static_cast<std::uint64_t>(queued) * FBitsPerCharacter.load();
        const std::uint64_t ms = 1 + bits * 1000 / (FBaudRate.load() | 1);
        if (WaitForSingleObject(FStopEvent.Get(), static_cast<DWORD>(ms > 1000 ? 1000 : ms)) ==
            WAIT_OBJECT_0) {
            SetEvent(FStopEvent.Get()); // stays pending for the next wait
            return;
        }
    }
    FlushFileBuffers(FPort.Get());
}

void TWin32SerialLine::Purge(bool rx, bool tx) {
    const DWORD flags =
        (rx ? PURGE_RXABORT | PURGE_RXCLEAR : 0) | (tx ? PURGE_TXABORT | PURGE_TXCLEAR : 0);
    if (flags != 0) {
        PurgeComm(FPort.Get(), flags);
    }
}

// A refused RTS change is not reported: a port without modem lines carries frames all the same.
void TWin32SerialLine::SetRTS(bool raised) {
    EscapeCommFunction(FPort.Get(), raised ? SETRTS : CLRRTS);
}

// After a framing, parity or overrun error the driver refuses further I/O until its error
// state is read back and cleared.
void TWin32SerialLine::ClearErrors() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(FPort.Get(), &errors, &status)) {
        NoteFailure(GetLastError());
    }
}

void TWin32SerialLine::RequestStop() {
    SetEvent(FStopEvent.Get());
}

} // namespace

std::unique_ptr<TSerialLine> OpenSerialLine(const std::string& portName) {
    const std::string path = ResolvePortName(portName);
    // A name with a NUL in it would open the device named by its first part: refuse it.
    if (path.empty() || path.find('\0') != std::string::npos) {
        throw Win32Error(msgCouldNotOpenPort, ERROR_FILE_NOT_FOUND);
    }
    const HANDLE port =
        CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        throw Win32Error(msgCouldNotOpenPort, GetLastError());
    }
    return std::make_unique<TWin32SerialLine>(port, true);
}

std::unique_ptr<TSerialLine> HookSerialLine(std::intptr_t handle) {
    if (IsInvalidHandleValue(handle)) {
        throw Win32Error(msgCouldNotOpenPort, ERROR_INVALID_HANDLE);
    }
    const HANDLE port = reinterpret_cast<HANDLE>(handle);
    DWORD flags = 0;
    if (!GetHandleInformation(port, &flags)) {
        throw Win32Error(msgCouldNotOpenPort, GetLastError());
    }
    return std::make_unique<TWin32SerialLine>(port, false);
}

// "COM3" -> "\\.\COM3": the device namespace also reaches ports above COM9, which a bare name
// does not. A name that already starts with two backslashes is a device path as it is.
std::string ResolvePortName(const std::string& portName) {
    if (portName.empty() || portName.rfind("\\\\", 0) == 0) {
        return portName;
    }
    return "\\\\.\\" + portName;
}

} // namespace Corvane
