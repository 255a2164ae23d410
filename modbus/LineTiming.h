// TLineTiming: the timing properties of a connection that its worker reads at each use
// (retries, time-outs, delays, the echo flag, the frame timing and its gaps), behind one
// multi-reader, single-writer lock.
//
// Any thread: the main thread writes them (a change reaches the worker at its next read), the
// worker reads them. The lock is held only inside a getter or setter, never across I/O.
#pragma once

#include "FrameTiming.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <shared_mutex>

namespace Corvane {

class TLineTiming {
public:
    std::uint32_t MaxRetries() const;
    // 0 raises "SSS Value must be between %d and %d" (1 and 4294967295) and keeps the value.
    void SetMaxRetries(std::uint32_t value);
    std::uint32_t ReceiveTimeout() const;
    void SetReceiveTimeout(std::uint32_t value);
    std::uint32_t RefetchDelay() const;
    void SetRefetchDelay(std::uint32_t value);
    std::uint32_t RTSHoldDelay() const;
    void SetRTSHoldDelay(std::uint32_t value);
    std::uint32_t SendTimeout() const;
    void SetSendTimeout(std::uint32_t value);
    std::uint32_t TurnaroundDelay() const;
    void SetTurnaroundDelay(std::uint32_t value);
    bool EchoQueryBeforeReply() const;
    void SetEchoQueryBeforeReply(bool value);
    // How RTU frames are delimited (see FrameTiming.h).
    TFrameTiming FrameTiming() const;
    void SetFrameTiming(TFrameTiming value);
    // The gaps of the line's frames, recomputed by the connection (see ComputeFrameGaps).
    TFrameGaps FrameGaps() const;
    void SetFrameGaps(const TFrameGaps& value);
    // End-of-frame gap in whole ms, rounded up.
    std::uint32_t SilentTime() const { return FrameGaps().SilentMs(); }

private:
    mutable std::shared_mutex FLock;
    std::uint32_t FMaxRetries = 1;
    std::uint32_t FReceiveTimeout = 1000;
    std::uint32_t FRefetchDelay = 0;
    std::uint32_t FRTSHoldDelay = 0;
    std::uint32_t FSendTimeout = 1000;
    std::uint32_t FTurnaroundDelay = 100;
    bool FEchoQueryBeforeReply = false;
    TFrameTiming FFrameTiming = ftClassic;
    TFrameGaps FFrameGaps;
};

} // namespace Corvane
