// TMessageReader: reads the fields of one message (a request the server received, a reply the
// client received, or a request the client built) by absolute position, never past the
// message's size.
//
// Has() is how a peer's message is checked: a field that is not there is the peer's fault and
// the caller answers it (an exception reply, rsUnmatched). Byte(), Word() and Bits() read a
// field the caller has checked or built itself; a field that is not there then is a fault of
// ours, raised as "Internal error" rather than read from stale buffer contents.
//
// A reader refers to its buffer and moves the buffer's cursor; one thread, like the buffer.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

class TModbusBuffer;

class TMessageReader {
public:
    explicit TMessageReader(TModbusBuffer& message) : FMessage(message) {}

    std::int32_t Size() const;
    // True when count bytes from position `from` lie inside the message.
    bool Has(std::int32_t from, std::int32_t count) const;

    std::uint8_t Byte(std::int32_t at);
    // A big-endian word.
    std::uint16_t Word(std::int32_t at);
    // Unpacks values[0..count-1] from the BitsToBytes(count) bytes at `at`.
    void Bits(std::int32_t at, TBitValues& values, std::int32_t count);

private:
    void Require(std::int32_t from, std::int32_t count) const;

    TModbusBuffer& FMessage;
};

} // namespace Corvane
