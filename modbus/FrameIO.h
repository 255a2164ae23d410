// TFrameIO: the serial I/O under the RTU and ASCII framing. It receives one raw frame (RTU:
// up to the first silent gap; ASCII: from ':' to CR LF) and sends one raw frame with the
// optional RTS toggling around it.
//
// Thread: the connection's worker thread only (the line's RequestStop() may be called from
// anywhere to end a wait). The callbacks run on the worker thread and must not touch the
// user interface.
// Ownership: refers to a TSerialLine that the connection owns and keeps alive for as long as
// this object; the raw frame buffers belong to the caller. No allocation per frame.
#pragma once

#include "FrameLength.h"
#include "FrameTiming.h"
#include "ModbusTypes.h"
#include "SerialLine.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace Corvane {

// How a receive ends an RTU frame: at the silence of Gaps.SilentUs, or as soon as Length
// finds it complete; a pause longer than Gaps.InterCharacterUs inside it (when that is not 0)
// makes it incomplete.
struct TRtuFrameEnd {
    TFrameGaps Gaps;
    TLengthRule Length;
};

// One received raw frame: its length (0 when nothing arrived) and whether characters resumed
// after a pause longer than the inter-character limit, which makes it incomplete: the
// standard has such a frame discarded, whatever its check says.
struct TReceivedFrame {
    std::int32_t Count = 0;
    bool Incomplete = false;
};

// When a frame's bytes crossed the line, in steady clock microseconds: the first byte handed
// to the line or read from it, and the last byte gone from the port or read.
struct TWireStamps {
    std::int64_t StartUs = 0;
    std::int64_t EndUs = 0;
};

class TFrameIO {
public:
    explicit TFrameIO(TSerialLine& line) : FLine(line) {}

    // Called before and after every SendFrame, on the worker thread.
    std::function<void()> OnBeforeFrameSendAsync;
    std::function<void()> OnAfterFrameSendAsync;

    // Discards what the driver holds on the chosen sides; nothing when neither.
    void PurgeBuffers(bool rx, bool tx);

    // Returns the line to a clean state for the next wait after a failed operation. POSIX
    // keeps no pending I/O to cancel, so this only clears the line's error state; the Win32
    // line cancels its overlapped operations and re-arms the receive event here.
    void RearmCommEvents();

    // True when a received character is buffered within timeoutMs (kInfiniteTimeout: until
    // the line's stop request). False on time-out, stop request or a lost line.
    bool WaitForData(std::uint32_t timeoutMs);

    // Reads what is buffered, up to count bytes, without waiting; 0 when nothing is.
    std::int32_t ReadAvailable(std::uint8_t* dest, std::int32_t count);

    // Receives one raw frame into dest (at most capacity bytes are stored) and returns its
    // length; 0 when nothing arrived within timeoutMs, at once for a timeout of 0, and when
    // the line's stop request ends the wait. silentTime (ms) is the gap that ends a frame in
    // RTU and the longest pause between characters inside an ASCII frame.
    std::int32_t ReceiveFrame(std::uint8_t* dest, std::int32_t capacity, std::uint32_t timeoutMs,
                              TTransmissionMode mode, std::uint32_t silentTime);

    // The same for either mode with the frame end of the connection's frame timing (ASCII
    // takes the silent time in whole milliseconds).
    TReceivedFrame ReceiveFrame(std::uint8_t* dest, std::int32_t capacity, std::uint32_t timeoutMs,
                                TTransmissionMode mode, const TRtuFrameEnd& end);

    // RTU: the frame is every byte up to the first gap of silentTime ms. Bytes beyond the
    // capacity are read and dropped, so that a long frame cannot stall the receiver.
    std::int32_t ReceiveRTUFrame(std::uint8_t* dest, std::int32_t capacity,
                                 std::uint32_t silentTime, std::uint32_t timeoutMs);

    // RTU with a frame end of either timing: every byte up to the first gap of the silent
    // time, or up to the length at which end.Length finds the frame complete with a correct
    // CRC (bytes after it in the same read are dropped).
    TReceivedFrame ReceiveRTUFrame(std::uint8_t* dest, std::int32_t capacity,
                                   const TRtuFrameEnd& end, std::uint32_t timeoutMs);

    // ASCII: characters before ':' are dropped, a later ':' restarts the frame, and the frame
    // ends with the LF after CR; characters after that LF in the same read are dropped. A
    // frame broken after its CR is returned as it is and fails decoding.
    std::int32_t ReceiveASCIIFrame(std::uint8_t* dest, std::int32_t capacity,
                                   std::uint32_t silentTime, std::uint32_t timeoutMs);

    // Writes count bytes within timeoutMs and waits until they have left the port. With
    // fcRtsToggle, RTS is raised before the write and lowered rtsHoldDelayMs after the last
    // byte left. True when all bytes were written in time.
    bool SendFrame(const std::uint8_t* data, std::int32_t count, std::uint32_t timeoutMs,
                   TFlowControl flow, std::uint32_t rtsHoldDelayMs);

    // Waits until the line has been quiet for gap since the last character received or sent
    // (a frame that ended by length has not had its silence yet): the standard's pause before
    // the next frame.
    void KeepFrameGap(std::chrono::microseconds gap);

    // The stamps of the last frame received (the first and the last read that returned bytes)
    // and of the last frame sent (the write's start, the end of the drain).
    TWireStamps LastReceiveStamps() const { return FReceiveStamps; }
    TWireStamps LastSendStamps() const { return FSendStamps; }

    // True while the other end of the line is gone; waits then last their full time limit.
    bool LineLost() const { return FLine.LineLost(); }

    TSerialLine& Line() { return FLine; }

private:
    using TClock = std::chrono::steady_clock;

    TSerialLine& FLine;
    // When the line last carried a character, as far as this side knows: the last read that
    // returned bytes, or the end of the last send.
    TClock::time_point FLastTraffic{};
    TWireStamps FReceiveStamps;
    TWireStamps FSendStamps;
    // Set by the first read of a receive that returned bytes.
    bool FReceiveStarted = false;
};

} // namespace Corvane
