// RTU and ASCII framing of the Modbus serial line standard: sizes by mode, encoding a message
// into wire bytes with its frame check and decoding wire bytes back, and the tests that
// classify a reply against its request. Pure functions: the connection supplies its mode.
//
// A TModbusBuffer holds a message without its check (address, function code, data), in both
// modes: the check exists only on the wire. EncodeFrame computes and appends it; DecodeFrame
// verifies it and drops it. So everything above the framing (the client's requests and reply
// decoders, the server's request processing) works on the same bytes whatever the mode.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

class TModbusBuffer;
struct TTransactionInfo;

// Bytes of the frame check on the wire: 2 (RTU CRC, low byte first) or 1 (ASCII LRC).
std::int32_t CheckSize(TTransmissionMode mode);
// Capacity of a transaction's buffers: 261 (RTU) or 260 (ASCII), room for the largest
// message and, while DecodeFrame checks a frame, its check bytes.
std::int32_t QueryBufferSize(TTransmissionMode mode);
// Size of the worker's raw frame buffers: 261 (RTU) or 523 (ASCII).
std::int32_t FrameBufferSize(TTransmissionMode mode);
// Smallest frame DecodeFrame accepts, check included: a reply in client mode (5/4), a
// request in server mode (4/3). ASCII counts these in bytes plus the 3 marker characters.
std::int32_t MinFrameSize(TTransmissionMode mode, TConnectionMode connectionMode);

// Writes the wire form of the message into raw, its check included, and returns its length
// (0 for an empty buffer). Raises "Failed to encode frame" when it does not fit rawSize.
std::int32_t EncodeFrame(TTransmissionMode mode, const TModbusBuffer& buffer, std::uint8_t* raw,
                         std::int32_t rawSize);

// Fills buffer with the message of a raw frame, without its check, and tells whether the frame
// is well formed with a correct check (when false, what the buffer holds means nothing).
// Raises "Failed to decode frame" only when the frame, check included, cannot fit the buffer.
bool DecodeFrame(TTransmissionMode mode, TConnectionMode connectionMode, const std::uint8_t* raw,
                 std::int32_t count, TModbusBuffer& buffer);

std::uint8_t FrameAddress(TModbusBuffer& buffer);
std::uint8_t FunctionCode(TModbusBuffer& buffer);
bool IsEcho(const std::uint8_t* sent, std::int32_t sentCount, const std::uint8_t* received,
            std::int32_t receivedCount);
bool IsSameAddress(TModbusBuffer& query, TModbusBuffer& reply);
bool IsMatchingFunction(TModbusBuffer& query, TModbusBuffer& reply);
// An exception reply is address, function code with bit 7 set, exception code: nothing more.
inline constexpr std::int32_t kExceptionReplySize = 3;
// A reply of exactly kExceptionReplySize bytes whose function byte is above 0x80.
bool IsExceptionReply(TModbusBuffer& reply);
// Copies the exception code of an exception reply into info.
void ExtractException(TModbusBuffer& reply, TTransactionInfo& info);

// End-of-frame gap in milliseconds: RTU counts character times of the line settings,
// ASCII takes silentInterval as milliseconds; never below 16. baudRate must not be 0.
std::uint32_t ComputeSilentTime(TTransmissionMode mode, std::uint32_t baudRate, TDataBits dataBits,
                                TParityScheme parity, TStopBits stopBits,
                                std::uint32_t silentInterval);

} // namespace Corvane
