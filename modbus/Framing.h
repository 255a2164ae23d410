// RTU and ASCII framing of the Modbus serial line standard: sizes by mode, the frame
// check, encoding a buffer into wire bytes and decoding wire bytes back, and the tests that
// classify a reply against its request. Pure functions: the connection supplies its mode.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

class TModbusBuffer;
struct TTransactionInfo;

std::int32_t CheckSize(TTransmissionMode mode);
// Capacity of a transaction's buffers: 261 (RTU) or 260 (ASCII).
std::int32_t QueryBufferSize(TTransmissionMode mode);
// Size of the worker's raw frame buffers: 261 (RTU) or 523 (ASCII).
std::int32_t FrameBufferSize(TTransmissionMode mode);
// Smallest decoded frame: a reply in client mode (5/4), a request in server mode (4/3).
std::int32_t MinFrameSize(TTransmissionMode mode, TConnectionMode connectionMode);

// Appends the CRC (RTU) or LRC (ASCII) of the bytes before the cursor.
void AppendCheck(TTransmissionMode mode, TModbusBuffer& buffer);

// Writes the wire form of the buffer into raw and returns its length (0 for an empty buffer).
// Raises "Failed to encode frame" when it does not fit rawSize.
std::int32_t EncodeFrame(TTransmissionMode mode, const TModbusBuffer& buffer, std::uint8_t* raw,
                         std::int32_t rawSize);

// Fills buffer from a raw frame and tells whether it is well formed with a correct check.
// Raises "Failed to decode frame" only when the frame cannot fit the buffer.
bool DecodeFrame(TTransmissionMode mode, TConnectionMode connectionMode, const std::uint8_t* raw,
                 std::int32_t count, TModbusBuffer& buffer);

std::uint8_t FrameAddress(TModbusBuffer& buffer);
std::uint8_t FunctionCode(TModbusBuffer& buffer);
bool IsEcho(const std::uint8_t* sent, std::int32_t sentCount, const std::uint8_t* received,
            std::int32_t receivedCount);
bool IsSameAddress(TModbusBuffer& query, TModbusBuffer& reply);
bool IsMatchingFunction(TModbusBuffer& query, TModbusBuffer& reply);
// A reply of exactly the client-mode minimum size whose function byte is above 0x80.
bool IsExceptionReply(TTransmissionMode mode, TModbusBuffer& reply);
// Copies the exception code of an exception reply into info.
void ExtractException(TModbusBuffer& reply, TTransactionInfo& info);

// End-of-frame gap in milliseconds: RTU counts character times of the line settings,
// ASCII takes silentInterval as milliseconds; never below 16. baudRate must not be 0.
std::uint32_t ComputeSilentTime(TTransmissionMode mode, std::uint32_t baudRate, TDataBits dataBits,
                                TParityScheme parity, TStopBits stopBits,
                                std::uint32_t silentInterval);

} // namespace Corvane
