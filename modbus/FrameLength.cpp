#include "FrameLength.h"

#include "Checksum.h"
#include "FunctionCodes.h"

#include <algorithm>
#include <cstring>

namespace Corvane {

namespace {

using namespace FunctionCodes;

// Address, function code, byte count: the byte count sits at `at`, the frame is `fixed` bytes
// plus the count.
std::int32_t WithByteCount(const std::uint8_t* frame, std::int32_t count, std::int32_t at,
                           std::int32_t fixed) {
    return count > at ? fixed + frame[at] : kLengthNeedsMore;
}

bool CrcChecks(const std::uint8_t* frame, std::int32_t length) {
    const std::uint16_t crc = CRC16(frame, static_cast<std::size_t>(length - 2));
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

} // namespace

std::int32_t ExpectedReplyLength(std::uint8_t requestFunction, const std::uint8_t* reply,
                                 std::int32_t count) {
    if (count < 2) {
        return kLengthNeedsMore;
    }
    const std::uint8_t function = reply[1];
    if (function == (requestFunction | ExceptionFlag) && requestFunction < ExceptionFlag) {
        return 5;
    }
    if (function != requestFunction) {
        return kLengthUnknown;
    }
    switch (function) {
    case ReadCoils:
    case ReadDiscreteInputs:
    case ReadHoldingRegisters:
    case ReadInputRegisters:
    case ReportServerID:
    case ReadWriteMultipleRegisters:
        return WithByteCount(reply, count, 2, 5);
    case WriteSingleCoil:
    case WriteSingleRegister:
    case WriteMultipleCoils:
    case WriteMultipleRegisters:
    case Diagnostics:
        return 8;
    case ReadExceptionStatus:
        return 5;
    case MaskWriteRegister:
        return 10;
    default:
        return kLengthUnknown;
    }
}

std::int32_t ExpectedRequestLength(const std::uint8_t* request, std::int32_t count) {
    if (count < 2) {
        return kLengthNeedsMore;
    }
    switch (request[1]) {
    case ReadCoils:
    case ReadDiscreteInputs:
    case ReadHoldingRegisters:
    case ReadInputRegisters:
    case WriteSingleCoil:
    case WriteSingleRegister:
    case Diagnostics:
        return 8;
    case ReadExceptionStatus:
    case GetCommEventCounter:
    case GetCommEventLog:
    case ReportServerID:
        return 4;
    case WriteMultipleCoils:
    case WriteMultipleRegisters:
        return WithByteCount(request, count, 6, 9);
    case ReadFileRecord:
    case WriteFileRecord:
        return WithByteCount(request, count, 2, 5);
    case MaskWriteRegister:
        return 10;
    case ReadWriteMultipleRegisters:
        return WithByteCount(request, count, 10, 13);
    default:
        return kLengthUnknown;
    }
}

std::int32_t CompleteFrameLength(const TLengthRule& rule, const std::uint8_t* data,
                                 std::int32_t count) {
    if (rule.Kind == TLengthRule::lkNone) {
        return kLengthUnknown;
    }
    std::int32_t offset = 0;
    if (rule.Echo != nullptr && rule.EchoLength > 0) {
        const std::int32_t compared = std::min(count, rule.EchoLength);
        if (std::memcmp(data, rule.Echo, static_cast<std::size_t>(compared)) == 0) {
            if (count <= rule.EchoLength) {
                return kLengthNeedsMore; // the echo so far; the reply follows
            }
            offset = rule.EchoLength;
        }
    }
    const std::uint8_t* frame = data + offset;
    const std::int32_t received = count - offset;
    const std::int32_t expected = rule.Kind == TLengthRule::lkReply
                                      ? ExpectedReplyLength(rule.RequestFunction, frame, received)
                                      : ExpectedRequestLength(frame, received);
    if (expected <= 0) {
        return expected;
    }
    if (received < expected) {
        return kLengthNeedsMore;
    }
    return CrcChecks(frame, expected) ? offset + expected : kLengthUnknown;
}

} // namespace Corvane
