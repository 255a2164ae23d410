#include "ModbusBuffer.h"

#include "Checksum.h"
#include "CorvaneError.h"

#include <algorithm>
#include <cstring>

namespace Corvane {

TModbusBuffer::TModbusBuffer(std::int32_t capacity)
    : FCapacity(std::max<std::int32_t>(capacity, 0)),
      FData(std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(FCapacity) + 1)) {}

void TModbusBuffer::SetPosition(std::int32_t n) {
    if (n == FPosition) {
        return;
    }
    if (n < 0 || n > FSize) {
        throw ECorvaneError(msgBufferPositionInvalid, {std::int64_t{n}});
    }
    FPosition = n;
}

void TModbusBuffer::SetSize(std::int32_t n) {
    if (n == FSize) {
        return;
    }
    if (n < 0 || n > FCapacity) {
        throw ECorvaneError(msgBufferSizeInvalid, {std::int64_t{n}});
    }
    FSize = n;
    FPosition = std::min(FPosition, FSize);
}

void TModbusBuffer::CheckSpace(std::int32_t count) const {
    if (FCapacity - FPosition < count) {
        throw ECorvaneError(msgNotEnoughSpace);
    }
}

void TModbusBuffer::Seek(TBufferMove move) {
    switch (move) {
    case bmStart:
        FPosition = 0;
        break;
    case bmEnd:
        FPosition = FSize;
        break;
    case bmByteBack:
        SetPosition(FPosition - 1);
        break;
    case bmByteForward:
        SetPosition(FPosition + 1);
        break;
    case bmWordBack:
        SetPosition(FPosition - 2);
        break;
    case bmWordForward:
        SetPosition(FPosition + 2);
        break;
    }
}

std::uint8_t TModbusBuffer::ReadByte() const {
    CheckSpace(1);
    return FData[FPosition];
}

std::uint16_t TModbusBuffer::ReadWord() const {
    CheckSpace(2);
    return static_cast<std::uint16_t>((FData[FPosition] << 8) | FData[FPosition + 1]);
}

std::uint16_t TModbusBuffer::ReadRawWord() const {
    CheckSpace(2);
    return static_cast<std::uint16_t>(FData[FPosition] | (FData[FPosition + 1] << 8));
}

void TModbusBuffer::ReadBytes(std::uint8_t* dest, std::int32_t count) const {
    if (count < 1) {
        return;
    }
    CheckSpace(count);
    std::memcpy(dest, FData.get() + FPosition, static_cast<std::size_t>(count));
}

void TModbusBuffer::Advance(std::int32_t count) {
    FPosition += count;
    FSize = std::max(FSize, FPosition);
}

void TModbusBuffer::WriteByte(std::uint8_t b) {
    CheckSpace(1);
    FData[FPosition] = b;
    Advance(1);
}

void TModbusBuffer::WriteWord(std::uint16_t w) {
    CheckSpace(2);
    FData[FPosition] = static_cast<std::uint8_t>(w >> 8);
    FData[FPosition + 1] = static_cast<std::uint8_t>(w & 0xFF);
    Advance(2);
}

void TModbusBuffer::WriteRawWord(std::uint16_t w) {
    CheckSpace(2);
    FData[FPosition] = static_cast<std::uint8_t>(w & 0xFF);
    FData[FPosition + 1] = static_cast<std::uint8_t>(w >> 8);
    Advance(2);
}

std::uint16_t TModbusBuffer::CRC16() const {
    return Corvane::CRC16(FData.get(), static_cast<std::size_t>(FPosition));
}

std::uint8_t TModbusBuffer::LRC() const {
    return Corvane::LRC(FData.get(), static_cast<std::size_t>(FPosition));
}

} // namespace Corvane
