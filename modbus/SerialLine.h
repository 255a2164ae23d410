// TSerialLine: the serial port as the framing layer sees it, independent of the platform.
//
// A line is opened by name (OpenSerialLine) or wraps a handle the application already owns
// (HookSerialLine). It offers what the RTU and ASCII framing needs: line settings, a wait for
// received characters with a time limit, a read of what is buffered, a write with a time
// limit, drain, purge, RTS control and a stop request that wakes a waiting worker.
//
// Threads: the connection's worker thread is the only caller, except for RequestStop() and
// LineLost(), which any thread may call at any time. Configure() and SetBufferSizes() may
// also be called by the thread that owns the connection while the worker runs, because the
// line settings can change while the connection is active; the platform applies them
// atomically.
//
// Ownership: a line opened by name owns its port and closes it on destruction; a hooked line
// never closes the handle it was given.
//
// Platform implementations live in posix/ and win32/; each maps its own OS errors to
// ECorvaneError with the library's message ids.
#pragma once

#include "ModbusTypes.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace Corvane {

// A wait without a time limit (only the connection's stop request ends it), in milliseconds
// and in microseconds.
inline constexpr std::uint32_t kInfiniteTimeout = 0xFFFFFFFF;
inline constexpr std::chrono::microseconds kNoTimeLimit = std::chrono::microseconds::max();

// Character format, speed and modem-line choices written to the port at open and whenever
// one of them changes while the connection is active.
struct TLineSettings {
    std::uint32_t BaudRate = 19200; // bits per second; any value above 0
    TDataBits DataBits = db8;
    TParityScheme Parity = psEven;
    TStopBits StopBits = sb1;
    TFlowControl FlowControl = fcNone;
    bool DTREnabled = true;
    bool RTSEnabled = true;
};

// How a wait for received characters ended.
enum TWaitResult : std::uint8_t {
    wrData,     // characters are buffered and can be read at once
    wrTimeout,  // the time limit passed without a character
    wrStopped,  // RequestStop() ended the wait
    wrLineLost, // the other end of the line is gone; the full time limit was waited out
};

class TSerialLine {
public:
    using TLineSettings = Corvane::TLineSettings;
    using TWaitResult = Corvane::TWaitResult;
    using enum Corvane::TWaitResult;
    static constexpr std::uint32_t kInfiniteTimeout = Corvane::kInfiniteTimeout;
    static constexpr std::chrono::microseconds kNoTimeLimit = Corvane::kNoTimeLimit;

    virtual ~TSerialLine() = default;
    TSerialLine(const TSerialLine&) = delete;
    TSerialLine& operator=(const TSerialLine&) = delete;

    // Writes speed, character format, flow control and the DTR/RTS levels to the port.
    // Raises "Custom baud rate must be greater than 0" for a speed of 0 and "Failed to update
    // device control block" when the port refuses the settings.
    virtual void Configure(const TLineSettings& settings) = 0;

    // Sizes the driver's receive and transmit queues. Raises "Failed to initialize serial
    // I/O buffers" when the driver refuses (negative sizes are always refused).
    virtual void SetBufferSizes(std::int32_t inputSize, std::int32_t outputSize) = 0;

    // Waits until at least one received character is buffered, at most timeout (kNoTimeLimit:
    // no limit). The limit is kept to the platform timer's resolution, below a millisecond
    // where the platform can (the frame gaps of the Modbus serial line standard are 750 and
    // 1750 microseconds at high speeds). A pending or arriving RequestStop() ends it with
    // wrStopped. Once the line is lost the wait always lasts its full time limit (or until a
    // stop request) and ends with wrLineLost, so that a caller in a loop never spins.
    virtual TWaitResult WaitForDataFor(std::chrono::microseconds timeout) = 0;

    // The same with a limit in milliseconds (kInfiniteTimeout: no limit).
    TWaitResult WaitForData(std::uint32_t timeoutMs) {
        return WaitForDataFor(
            timeoutMs == kInfiniteTimeout
                ? kNoTimeLimit
                : std::chrono::microseconds(std::chrono::milliseconds(timeoutMs)));
    }

    // Reads up to count buffered bytes without waiting; 0 when nothing is buffered, when
    // count is not positive, or on an error.
    virtual std::int32_t ReadAvailable(std::uint8_t* dest, std::int32_t count) = 0;

    // Writes count bytes within timeoutMs; true when all of them were handed to the driver in
    // time. A pending stop request cuts the write short (false) and stays pending for the
    // next wait.
    virtual bool Write(const std::uint8_t* data, std::int32_t count, std::uint32_t timeoutMs) = 0;

    // Returns when everything written has left the port (or a stop request is pending).
    virtual void Drain() = 0;

    // Discards what the driver holds on the receive and/or transmit side.
    virtual void Purge(bool rx, bool tx) = 0;

    // Raises (true) or lowers the RTS line. Ports without modem lines ignore it.
    virtual void SetRTS(bool raised) = 0;

    // Clears the error state the driver keeps after framing, parity or overrun errors.
    virtual void ClearErrors() = 0;

    // Wakes one running WaitForData(), or the next one when none runs (auto-reset: several
    // requests before a wait count as one). Any thread may call it.
    virtual void RequestStop() = 0;

    // True while the other end of the line is gone (an unplugged adapter, a closed
    // pseudo-terminal peer). The line checks at every wait whether it came back.
    virtual bool LineLost() const = 0;

protected:
    TSerialLine() = default;
};

// Opens the named port (resolved by ResolvePortName) for exclusive use. Raises "Could not
// open serial port"; LastSerialLineErrorDetail() then tells the operating system's reason.
// A port that the user lacks the permission to open raises the same message id with a text
// that begins the same way and goes on to say so, naming the group that grants access.
std::unique_ptr<TSerialLine> OpenSerialLine(const std::string& portName);

// Wraps a port handle (a file descriptor on POSIX) that the application opened and keeps
// owning: it is never closed by the line. An invalid handle (negative, or all bits set in
// 32 bits) raises "Could not open serial port".
std::unique_ptr<TSerialLine> HookSerialLine(std::intptr_t handle);

// The device path for a port name: a path is used as given; on POSIX a bare name is looked
// up under /dev ("ttyUSB0" -> "/dev/ttyUSB0") and "COMn" maps to "/dev/ttyS<n-1>" so that
// Windows-style names keep working.
std::string ResolvePortName(const std::string& portName);

// The operating system's explanation of the last serial line failure raised on the calling
// thread ("No such file or directory"), empty when there is none. The error's own message
// keeps the library's exact text; this is for logs and the command-line tools.
std::string LastSerialLineErrorDetail();

} // namespace Corvane
