// What a captured frame means: its server address, function and fields in words, for the
// traffic view, the CLI's trace and the capture files. Covers every function code the client
// sends and the replies to them; a reply's register addresses come from its request.
//
// Qt-free; pure functions.
#pragma once

#include "FrameCapture.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <string>

namespace Sondrel {

// The message of a raw frame: address, function and data without the check. Ok is false when
// the bytes cannot be a frame of the mode at all (too short, ASCII without ':' .. CR LF); a
// frame whose check fails still yields its message.
struct TFrameMessage {
    bool Ok = false;
    Corvane::TFrameData Bytes;
};
TFrameMessage FrameMessage(Corvane::TTransmissionMode mode, const Corvane::TFrameData& raw);

struct TFrameMeaning {
    bool Known = false;
    std::uint8_t Address = 0;
    // Without the exception flag.
    std::uint8_t Function = 0;
    bool Exception = false;
    std::uint8_t ExceptionCode = 0;
    std::string Text;
};

// The name of a function code ("Read Holding Registers"); "Function 0x41" for others.
std::string FunctionName(std::uint8_t function);

// The meaning of a request's message.
TFrameMeaning DescribeRequest(const Corvane::TFrameData& message);
// The meaning of a reply's message; request is the message of the request it answers (empty
// when unknown), which gives a read's start address and a bit read's count.
TFrameMeaning DescribeReply(const Corvane::TFrameData& message, const Corvane::TFrameData& request);

} // namespace Sondrel
