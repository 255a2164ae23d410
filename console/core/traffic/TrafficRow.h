// TTrafficRow: one captured frame with what the traffic view shows of it: its meaning, the
// gap before it and, for a reply, the response time. TTrafficAnnotator makes the rows of a
// connection's frames in the order they were captured, pairing each reply with its request.
//
// Qt-free; main thread only. A plain value.
#pragma once

#include "FrameCapture.h"
#include "FrameMeaning.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace Sondrel {

enum TTrafficRole : std::uint8_t { trRequest, trReply, trEcho, trNoReply };

struct TTrafficRow {
    Corvane::TCapturedFrame Frame;
    TTrafficRole Role = trRequest;
    TFrameMeaning Meaning;
    // Microseconds from the end of the previous frame on the line to the start of this one;
    // -1 for the first frame and a no-reply.
    std::int64_t GapUs = -1;
    // A reply: microseconds from the end of its request to the end of the reply; else -1.
    std::int64_t ResponseUs = -1;
    // The reply is a copy of its request followed (or not) by more: a line that echoes while
    // echo removal is off.
    bool StartsWithRequest = false;
    // Wall clock of the frame's start, microseconds since the epoch.
    std::int64_t WallUs = 0;
};

class TTrafficAnnotator {
public:
    // steadyNowUs and wallNowUs are the same moment on the two clocks; the rows' wall times
    // follow from them.
    TTrafficAnnotator();
    TTrafficAnnotator(std::int64_t steadyNowUs, std::int64_t wallNowUs);

    TTrafficRow Annotate(Corvane::TCapturedFrame frame);
    std::vector<TTrafficRow> Annotate(std::vector<Corvane::TCapturedFrame> frames);

private:
    std::int64_t FWallMinusSteadyUs = 0;
    std::int64_t FLastEndUs = -1;
    // The raw frame and message of the last request, and the end of its last send.
    Corvane::TFrameData FRequestRaw;
    Corvane::TFrameData FRequestMessage;
    std::int64_t FRequestEndUs = -1;
};

// The texts of a row's cells, shared by the view, the trace and the capture files.
std::string TrafficTimeText(const TTrafficRow& row);      // "hh:mm:ss.uuuuuu", local time
std::string TrafficDirectionText(const TTrafficRow& row); // "Sent", "Received", "No reply"
// RTU hex; ASCII as its characters. With maxCharacters, stops once the text is that long
// (for a table cell, which shows no more).
std::string TrafficBytesText(const TTrafficRow& row, std::size_t maxCharacters = std::string::npos);
std::string TrafficStatusText(const TTrafficRow& row); // "OK", "Bad CRC", "Echo", ...
std::string TrafficMicrosecondsText(std::int64_t us);  // "1.234 ms"; "" for -1
// A bad check, an unmatched or mistargeted reply, a no-reply: shown in red.
bool IsTrafficFault(const TTrafficRow& row);

} // namespace Sondrel
