#include "MessageReader.h"

#include "BitPacking.h"
#include "CorvaneError.h"
#include "ModbusBuffer.h"

namespace Corvane {

std::int32_t TMessageReader::Size() const {
    return FMessage.Size();
}

bool TMessageReader::Has(std::int32_t from, std::int32_t count) const {
    return from >= 0 && count >= 0 && std::int64_t{from} + count <= FMessage.Size();
}

void TMessageReader::Require(std::int32_t from, std::int32_t count) const {
    if (!Has(from, count)) {
        throw ECorvaneError(msgInternalError);
    }
}

std::uint8_t TMessageReader::Byte(std::int32_t at) {
    Require(at, 1);
    FMessage.SetPosition(at);
    return FMessage.ReadByte();
}

std::uint16_t TMessageReader::Word(std::int32_t at) {
    Require(at, 2);
    FMessage.SetPosition(at);
    return FMessage.ReadWord();
}

void TMessageReader::Bits(std::int32_t at, TBitValues& values, std::int32_t count) {
    if (count < 1) {
        return;
    }
    if (values.size() < static_cast<std::size_t>(count)) {
        throw ECorvaneError(msgInternalError);
    }
    Require(at, BitsToBytes(count));
    FMessage.SetPosition(at);
    UnpackBits(FMessage, values, count - 1);
}

} // namespace Corvane
