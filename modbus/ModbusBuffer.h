// TModbusBuffer: a fixed-capacity byte block with a cursor, holding one unframed Modbus
// message (address, function code, data). The frame check is not part of it: the framing
// adds it on the wire and drops it on the way in (Framing.h).
//
// Modbus fields are big-endian words (ReadWord/WriteWord); the RTU CRC is a little-endian
// word (ReadRawWord/WriteRawWord). Reads are checked against the capacity, not the size,
// and never move the cursor; writes move it and extend the size. The buffer never grows:
// an operation that would pass the capacity raises ECorvaneError and leaves it unchanged.
// Not thread-safe; a buffer belongs to one thread at a time with its transaction.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>
#include <memory>

namespace Corvane {

class TModbusBuffer {
public:
    explicit TModbusBuffer(std::int32_t capacity);

    TModbusBuffer(const TModbusBuffer&) = delete;
    TModbusBuffer& operator=(const TModbusBuffer&) = delete;

    std::int32_t Capacity() const { return FCapacity; }
    std::int32_t Position() const { return FPosition; }
    std::int32_t Size() const { return FSize; }
    void SetPosition(std::int32_t n);
    void SetSize(std::int32_t n);

    // Raises the not-enough-space error when fewer than count bytes lie between the cursor
    // and the capacity.
    void CheckSpace(std::int32_t count) const;
    void Seek(TBufferMove move);

    std::uint8_t ReadByte() const;
    std::uint16_t ReadWord() const;
    std::uint16_t ReadRawWord() const;
    void ReadBytes(std::uint8_t* dest, std::int32_t count) const;

    void WriteByte(std::uint8_t b);
    void WriteWord(std::uint16_t w);
    void WriteRawWord(std::uint16_t w);

    // Checks over the bytes from 0 up to, not including, the cursor.
    std::uint16_t CRC16() const;
    std::uint8_t LRC() const;

    // The data block; valid for Capacity() bytes, of which Size() are meaningful.
    const std::uint8_t* Data() const { return FData.get(); }
    std::uint8_t* Data() { return FData.get(); }

private:
    void Advance(std::int32_t count);

    std::int32_t FCapacity;
    std::int32_t FPosition = 0;
    std::int32_t FSize = 0;
    std::unique_ptr<std::uint8_t[]> FData;
};

} // namespace Corvane
