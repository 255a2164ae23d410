#include "TrafficRow.h"

#include "LocalTime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace Sondrel {

using Corvane::TCapturedFrame;

namespace {

bool IsRequest(const TCapturedFrame& frame) {
    return (frame.Kind == Corvane::ckSent) == (frame.ConnectionMode == Corvane::cmClient);
}

bool StartsWith(const Corvane::TFrameData& bytes, const Corvane::TFrameData& prefix) {
    return !prefix.empty() && bytes.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

} // namespace

TTrafficAnnotator::TTrafficAnnotator()
    : TTrafficAnnotator(Corvane::SteadyMicroseconds(),
                        std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count()) {}

TTrafficAnnotator::TTrafficAnnotator(std::int64_t steadyNowUs, std::int64_t wallNowUs)
    : FWallMinusSteadyUs(wallNowUs - steadyNowUs) {}

TTrafficRow TTrafficAnnotator::Annotate(TCapturedFrame frame) {
    TTrafficRow row;
    row.WallUs = frame.StartUs + FWallMinusSteadyUs;
    if (frame.Kind == Corvane::ckNoReply) {
        row.Role = trNoReply;
        row.Meaning.Text = "No reply";
        row.Frame = std::move(frame);
        return row;
    }
    if (FLastEndUs >= 0) {
        row.GapUs = frame.StartUs - FLastEndUs;
    }
    FLastEndUs = frame.EndUs;
    const TFrameMessage message = FrameMessage(frame.Mode, frame.Bytes);
    if (frame.Echo) {
        row.Role = trEcho;
        row.Meaning = DescribeRequest(message.Bytes);
        row.Meaning.Text = "Echo of " + row.Meaning.Text;
    } else if (IsRequest(frame)) {
        row.Role = trRequest;
        row.Meaning = DescribeRequest(message.Bytes);
        FRequestRaw = frame.Bytes;
        FRequestMessage = message.Bytes;
        FRequestEndUs = frame.EndUs;
    } else {
        row.Role = trReply;
        row.StartsWithRequest = StartsWith(frame.Bytes, FRequestRaw);
        if (!message.Ok) {
            row.Meaning.Text = "(not a frame)";
        } else {
            row.Meaning = DescribeReply(message.Bytes, FRequestMessage);
        }
        if (FRequestEndUs >= 0) {
            row.ResponseUs = frame.EndUs - FRequestEndUs;
        }
    }
    row.Frame = std::move(frame);
    return row;
}

std::vector<TTrafficRow> TTrafficAnnotator::Annotate(std::vector<TCapturedFrame> frames) {
    std::vector<TTrafficRow> rows;
    rows.reserve(frames.size());
    for (auto& frame : frames) {
        rows.push_back(Annotate(std::move(frame)));
    }
    return rows;
}

std::string TrafficTimeText(const TTrafficRow& row) {
    const std::int64_t seconds = row.WallUs / 1000000;
    const auto micro = static_cast<int>(row.WallUs % 1000000);
    const std::tm tm = Corvane::LocalTimeOf(static_cast<std::time_t>(seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%06d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  micro);
    return text;
}

std::string TrafficDirectionText(const TTrafficRow& row) {
    switch (row.Frame.Kind) {
    case Corvane::ckSent:
        return "Sent";
    case Corvane::ckReceived:
        return "Received";
    case Corvane::ckNoReply:
        break;
    }
    return "No reply";
}

std::string TrafficBytesText(const TTrafficRow& row, std::size_t maxCharacters) {
    std::string text;
    if (row.Frame.Mode == Corvane::tmASCII) {
        for (const std::uint8_t c : row.Frame.Bytes) {
            if (text.size() >= maxCharacters) {
                break;
            }
            if (c == '\r') {
                text += "\\r";
            } else if (c == '\n') {
                text += "\\n";
            } else if (c >= 0x20 && c < 0x7F) {
                text += static_cast<char>(c);
            } else {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                text += escaped;
            }
        }
        return text;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (const std::uint8_t c : row.Frame.Bytes) {
        if (text.size() >= maxCharacters) {
            break;
        }
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[c >> 4];
        text += kDigits[c & 0x0F];
    }
    return text;
}

std::string TrafficStatusText(const TTrafficRow& row) {
    const TCapturedFrame& f = row.Frame;
    if (row.Role == trNoReply) {
        return "Timeout";
    }
    if (row.Role == trEcho) {
        return "Echo";
    }
    if (!f.CheckGood) {
        return f.Mode == Corvane::tmASCII ? "Bad LRC" : "Bad CRC";
    }
    if (f.Kind == Corvane::ckReceived && f.ConnectionMode == Corvane::cmClient) {
        switch (f.Status) {
        case Corvane::rsMistargeted:
            return "Other server";
        case Corvane::rsUnmatched:
            return "Unmatched";
        case Corvane::rsExceptionResponse:
            return "Exception";
        default:
            break;
        }
    }
    return "OK";
}

std::string TrafficMicrosecondsText(std::int64_t us) {
    if (us < 0) {
        return {};
    }
    std::string fraction = std::to_string(us % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return std::to_string(us / 1000) + '.' + fraction + " ms";
}

bool IsTrafficFault(const TTrafficRow& row) {
    if (row.Role == trNoReply || !row.Frame.CheckGood) {
        return true;
    }
    return row.Frame.Kind == Corvane::ckReceived && row.Frame.ConnectionMode == Corvane::cmClient &&
           (row.Frame.Status == Corvane::rsMistargeted || row.Frame.Status == Corvane::rsUnmatched);
}

} // namespace Sondrel
