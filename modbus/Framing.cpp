#include "Framing.h"

#include "Checksum.h"
#include "CorvaneError.h"
#include "FunctionCodes.h"
#include "ModbusBuffer.h"
#include "ModbusTransaction.h"

#include <cmath>
#include <cstring>

namespace Corvane {

namespace {

constexpr std::uint8_t kColon = ':';
constexpr std::uint8_t kCR = 0x0D;
constexpr std::uint8_t kLF = 0x0A;

std::uint8_t HexDigit(std::uint8_t nibble) {
    return static_cast<std::uint8_t>(nibble <= 9 ? nibble + 48 : nibble + 55);
}

// Deliberately no validation: a lowercase or stray character decodes to a wrong nibble and
// the frame then fails its LRC, exactly as the decoder of the line's peers behaves.
std::uint8_t HexValue(std::uint8_t ch) {
    return static_cast<std::uint8_t>(ch >= 'A' ? ch - 55 : ch - 48);
}

} // namespace

std::int32_t CheckSize(TTransmissionMode mode) {
    return mode == tmASCII ? 1 : 2;
}

std::int32_t QueryBufferSize(TTransmissionMode mode) {
    return mode == tmASCII ? 260 : 261;
}

std::int32_t FrameBufferSize(TTransmissionMode mode) {
    return mode == tmASCII ? 523 : 261;
}

std::int32_t MinFrameSize(TTransmissionMode mode, TConnectionMode connectionMode) {
    const std::int32_t clientSize = mode == tmASCII ? 4 : 5;
    return connectionMode == cmServer ? clientSize - 1 : clientSize;
}

namespace {

// The check of the message's bytes, low byte first for the CRC; returns its length.
std::int32_t WriteCheck(TTransmissionMode mode, const std::uint8_t* data, std::int32_t size,
                        std::uint8_t* check) {
    const auto count = static_cast<std::size_t>(size);
    if (mode == tmASCII) {
        check[0] = LRC(data, count);
        return 1;
    }
    const std::uint16_t crc = CRC16(data, count);
    check[0] = static_cast<std::uint8_t>(crc & 0xFF);
    check[1] = static_cast<std::uint8_t>(crc >> 8);
    return 2;
}

} // namespace

std::int32_t EncodeFrame(TTransmissionMode mode, const TModbusBuffer& buffer, std::uint8_t* raw,
                         std::int32_t rawSize) {
    const std::int32_t size = buffer.Size();
    if (size <= 0) {
        return 0;
    }
    const std::uint8_t* data = buffer.Data();
    std::uint8_t check[2];
    const std::int32_t checkSize = WriteCheck(mode, data, size, check);
    if (mode == tmRTU) {
        if (rawSize < size + checkSize) {
            throw ECorvaneError(msgFailedToEncodeFrame);
        }
        std::memcpy(raw, data, static_cast<std::size_t>(size));
        std::memcpy(raw + size, check, static_cast<std::size_t>(checkSize));
        return size + checkSize;
    }
    const std::int32_t length = 2 * (size + checkSize) + 3;
    if (rawSize < length) {
        throw ECorvaneError(msgFailedToEncodeFrame);
    }
    std::int32_t out = 0;
    raw[out++] = kColon;
    auto writeHex = [&](std::uint8_t byte) {
        raw[out++] = HexDigit(static_cast<std::uint8_t>(byte >> 4));
        raw[out++] = HexDigit(static_cast<std::uint8_t>(byte & 0x0F));
    };
    for (std::int32_t i = 0; i < size; ++i) {
        writeHex(data[i]);
    }
    writeHex(check[0]);
    raw[out++] = kCR;
    raw[out++] = kLF;
    return out;
}

bool DecodeFrame(TTransmissionMode mode, TConnectionMode connectionMode, const std::uint8_t* raw,
                 std::int32_t count, TModbusBuffer& buffer) {
    buffer.SetSize(0);
    const std::int32_t minSize = MinFrameSize(mode, connectionMode);
    std::int32_t n = 0;
    if (mode == tmASCII) {
        if (count < minSize + 3 || count % 2 == 0 || raw[0] != kColon || raw[count - 2] != kCR ||
            raw[count - 1] != kLF) {
            return false;
        }
        n = (count - 3) / 2;
        if (n > buffer.Capacity()) {
            throw ECorvaneError(msgFailedToDecodeFrame);
        }
        std::uint8_t* data = buffer.Data();
        for (std::int32_t i = 0; i < n; ++i) {
            data[i] =
                static_cast<std::uint8_t>(16 * HexValue(raw[1 + 2 * i]) + HexValue(raw[2 + 2 * i]));
        }
    } else {
        if (count < minSize) {
            return false;
        }
        if (count > buffer.Capacity()) {
            throw ECorvaneError(msgFailedToDecodeFrame);
        }
        std::memcpy(buffer.Data(), raw, static_cast<std::size_t>(count));
        n = count;
    }
    // The check is verified where it arrived and then dropped: the buffer keeps the message.
    const std::int32_t messageSize = n - CheckSize(mode);
    std::uint8_t expected[2];
    WriteCheck(mode, buffer.Data(), messageSize, expected);
    const bool valid = std::memcmp(expected, buffer.Data() + messageSize,
                                   static_cast<std::size_t>(CheckSize(mode))) == 0;
    buffer.SetSize(messageSize);
    return valid;
}

std::uint8_t FrameAddress(TModbusBuffer& buffer) {
    buffer.SetPosition(0);
    return buffer.ReadByte();
}

std::uint8_t FunctionCode(TModbusBuffer& buffer) {
    buffer.SetPosition(1);
    return buffer.ReadByte();
}

bool IsEcho(const std::uint8_t* sent, std::int32_t sentCount, const std::uint8_t* received,
            std::int32_t receivedCount) {
    return receivedCount >= sentCount &&
           std::memcmp(sent, received, static_cast<std::size_t>(sentCount)) == 0;
}

bool IsSameAddress(TModbusBuffer& query, TModbusBuffer& reply) {
    return FrameAddress(query) == FrameAddress(reply);
}

bool IsMatchingFunction(TModbusBuffer& query, TModbusBuffer& reply) {
    return FunctionCode(query) ==
           static_cast<std::uint8_t>(FunctionCode(reply) & ~FunctionCodes::ExceptionFlag);
}

bool IsExceptionReply(TModbusBuffer& reply) {
    reply.SetPosition(1);
    return reply.Size() == kExceptionReplySize && reply.ReadByte() > FunctionCodes::ExceptionFlag;
}

void ExtractException(TModbusBuffer& reply, TTransactionInfo& info) {
    reply.SetPosition(2);
    info.ExceptionCode = reply.ReadByte();
    info.Exception = ExceptionFromCode(info.ExceptionCode);
}

std::uint32_t ComputeSilentTime(TTransmissionMode mode, std::uint32_t baudRate, TDataBits dataBits,
                                TParityScheme parity, TStopBits stopBits,
                                std::uint32_t silentInterval) {
    std::uint32_t result = silentInterval;
    if (mode == tmRTU) {
        const std::uint32_t bits = (dataBits == db7 ? 7u : 8u) + (stopBits == sb2 ? 2u : 1u) +
                                   (parity != psNone ? 1u : 0u);
        // The product wraps in 32 bits as the line's own timing code does; the division
        // is done in floating point and rounded up.
        const std::uint32_t product = bits * silentInterval * 1000u;
        const double ms = std::ceil(static_cast<double>(product) / static_cast<double>(baudRate));
        result = ms >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(ms);
    }
    return result < 16 ? 16 : result;
}

} // namespace Corvane
