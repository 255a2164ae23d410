#include "FrameIO.h"

#include "FrameCapture.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace Corvane {

namespace {

constexpr std::uint8_t kColon = ':';
constexpr std::uint8_t kCR = 0x0D;
constexpr std::uint8_t kLF = 0x0A;

// States of the ASCII frame scanner; they carry over from one read to the next.
enum TAsciiScanState : std::uint8_t {
    ssWaitingForColon,
    ssInsideFrame,
    ssCarriageReturnSeen,
    ssComplete,
};

// What one scanned chunk contributes: Count characters, starting at Start within the chunk
// when the chunk held a ':' that still opens the frame, else at the chunk's beginning.
struct TChunkScan {
    std::int32_t Count = 0;
    std::int32_t Start = -1;
};

TChunkScan ScanChunk(const std::uint8_t* chunk, std::int32_t length, TAsciiScanState& state) {
    TChunkScan scan;
    for (std::int32_t i = 0; i < length; ++i) {
        const std::uint8_t c = chunk[i];
        if (c == kColon) {
            state = ssInsideFrame;
            scan.Start = i;
            scan.Count = 1;
        } else if (state == ssInsideFrame) {
            if (c == kCR) {
                state = ssCarriageReturnSeen;
            }
            ++scan.Count;
        } else if (state == ssCarriageReturnSeen) {
            if (c == kLF) {
                state = ssComplete;
                ++scan.Count;
                break; // the rest of the chunk is dropped
            }
            state = ssWaitingForColon;
            scan.Start = -1;
            scan.Count = 0;
        }
    }
    return scan;
}

} // namespace

void TFrameIO::PurgeBuffers(bool rx, bool tx) {
    if (rx || tx) {
        FLine.Purge(rx, tx);
    }
}

void TFrameIO::RearmCommEvents() {
    FLine.ClearErrors();
}

bool TFrameIO::WaitForData(std::uint32_t timeoutMs) {
    return FLine.WaitForData(timeoutMs) == wrData;
}

std::int32_t TFrameIO::ReadAvailable(std::uint8_t* dest, std::int32_t count) {
    FLine.ClearErrors();
    const std::int32_t n = FLine.ReadAvailable(dest, count);
    FLine.ClearErrors();
    if (n > 0) {
        FLastTraffic = TClock::now();
        const std::int64_t now = SteadyMicroseconds();
        if (!FReceiveStarted) {
            FReceiveStarted = true;
            FReceiveStamps.StartUs = now;
        }
        FReceiveStamps.EndUs = now;
    }
    return n;
}

void TFrameIO::KeepFrameGap(std::chrono::microseconds gap) {
    std::this_thread::sleep_until(FLastTraffic + gap);
}

std::int32_t TFrameIO::ReceiveFrame(std::uint8_t* dest, std::int32_t capacity,
                                    std::uint32_t timeoutMs, TTransmissionMode mode,
                                    std::uint32_t silentTime) {
    return mode == tmASCII ? ReceiveASCIIFrame(dest, capacity, silentTime, timeoutMs)
                           : ReceiveRTUFrame(dest, capacity, silentTime, timeoutMs);
}

TReceivedFrame TFrameIO::ReceiveFrame(std::uint8_t* dest, std::int32_t capacity,
                                      std::uint32_t timeoutMs, TTransmissionMode mode,
                                      const TRtuFrameEnd& end) {
    if (mode == tmASCII) {
        return {ReceiveASCIIFrame(dest, capacity, end.Gaps.SilentMs(), timeoutMs), false};
    }
    return ReceiveRTUFrame(dest, capacity, end, timeoutMs);
}

std::int32_t TFrameIO::ReceiveRTUFrame(std::uint8_t* dest, std::int32_t capacity,
                                       std::uint32_t silentTime, std::uint32_t timeoutMs) {
    TRtuFrameEnd end;
    end.Gaps.SilentUs = std::uint64_t{silentTime} * 1000u;
    return ReceiveRTUFrame(dest, capacity, end, timeoutMs).Count;
}

TReceivedFrame TFrameIO::ReceiveRTUFrame(std::uint8_t* dest, std::int32_t capacity,
                                         const TRtuFrameEnd& end, std::uint32_t timeoutMs) {
    TReceivedFrame frame;
    FReceiveStarted = false;
    if (timeoutMs == 0 || dest == nullptr || capacity <= 0) {
        return frame;
    }
    FLine.ClearErrors();
    if (!WaitForData(timeoutMs)) {
        return frame;
    }
    std::int32_t total = ReadAvailable(dest, capacity);
    if (total == 0) {
        return frame;
    }
    const std::chrono::microseconds silent(end.Gaps.SilentUs);
    const std::chrono::microseconds interCharacter(end.Gaps.InterCharacterUs);
    const bool limited = interCharacter.count() > 0 && interCharacter < silent;
    // Waits for the next characters; false once the silence that ends the frame has passed.
    // Characters that come after the inter-character limit but within the silence make the
    // frame incomplete.
    const auto more = [&] {
        if (!limited) {
            return FLine.WaitForDataFor(silent) == wrData;
        }
        const TWaitResult first = FLine.WaitForDataFor(interCharacter);
        if (first != wrTimeout) {
            return first == wrData;
        }
        if (FLine.WaitForDataFor(silent - interCharacter) != wrData) {
            return false;
        }
        frame.Incomplete = true;
        return true;
    };
    bool sizing = end.Length.Kind != TLengthRule::lkNone;
    // Bytes past the capacity must still be taken from the driver: left there they would
    // keep every wait ready and the frame would never end.
    std::uint8_t overflow[64];
    for (;;) {
        if (sizing) {
            const std::int32_t complete = CompleteFrameLength(end.Length, dest, total);
            if (complete > 0) {
                total = complete;
                break;
            }
            sizing = complete == kLengthNeedsMore;
        }
        if (!more()) {
            break;
        }
        std::int32_t drained = 0;
        for (;;) {
            const bool full = total >= capacity;
            const std::int32_t n =
                full ? ReadAvailable(overflow, static_cast<std::int32_t>(sizeof overflow))
                     : ReadAvailable(dest + total, capacity - total);
            if (n == 0) {
                break;
            }
            drained += n;
            if (!full) {
                total += n;
            }
        }
        // Ready but nothing to read: the line is failing (it reports itself lost by now);
        // waiting again would return at once, so the frame ends here.
        if (drained == 0) {
            break;
        }
    }
    frame.Count = total;
    return frame;
}

std::int32_t TFrameIO::ReceiveASCIIFrame(std::uint8_t* dest, std::int32_t capacity,
                                         std::uint32_t silentTime, std::uint32_t timeoutMs) {
    if (timeoutMs == 0 || dest == nullptr || capacity <= 0) {
        return 0;
    }
    FLine.ClearErrors();
    FReceiveStarted = false;
    TAsciiScanState state = ssWaitingForColon;
    std::int32_t total = 0;
    // Waits, reads one chunk behind what is kept and scans it; false when nothing came.
    const auto readChunk = [&](std::uint32_t waitMs) {
        if (!WaitForData(waitMs)) {
            return false;
        }
        std::uint8_t* chunk = dest + total;
        const std::int32_t n = ReadAvailable(chunk, capacity - total);
        if (n == 0) {
            return false;
        }
        const TChunkScan scan = ScanChunk(chunk, n, state);
        if (scan.Start >= 0) {
            std::memmove(dest, chunk + scan.Start, static_cast<std::size_t>(scan.Count));
            total = scan.Count;
        } else {
            total += scan.Count;
        }
        return true;
    };
    // Before the ':' every wait gets the full time limit; inside the frame, the silent time.
    while (state == ssWaitingForColon && readChunk(timeoutMs)) {
    }
    while ((state == ssInsideFrame || state == ssCarriageReturnSeen) && readChunk(silentTime)) {
    }
    return total;
}

bool TFrameIO::SendFrame(const std::uint8_t* data, std::int32_t count, std::uint32_t timeoutMs,
                         TFlowControl flow, std::uint32_t rtsHoldDelayMs) {
    if (OnBeforeFrameSendAsync) {
        OnBeforeFrameSendAsync();
    }
    FLine.ClearErrors();
    const bool toggleRts = flow == fcRtsToggle;
    if (toggleRts) {
        FLine.SetRTS(true);
    }
    FSendStamps.StartUs = SteadyMicroseconds();
    const bool written = FLine.Write(data, count, timeoutMs);
    if (!written) {
        FLine.Purge(false, true);
        RearmCommEvents();
    }
    FLine.Drain();
    FLastTraffic = TClock::now();
    FSendStamps.EndUs = SteadyMicroseconds();
    if (toggleRts) {
        if (rtsHoldDelayMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(rtsHoldDelayMs));
        }
        FLine.SetRTS(false);
    }
    FLine.ClearErrors();
    if (OnAfterFrameSendAsync) {
        OnAfterFrameSendAsync();
    }
    return written;
}

} // namespace Corvane
