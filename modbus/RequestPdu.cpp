#include "RequestPdu.h"

#include "BitPacking.h"
#include "FunctionCodes.h"
#include "ModbusBuffer.h"

namespace Corvane {

void WriteSingleCoilPdu(TModbusBuffer& query, std::uint16_t bitAddr, bool value) {
    query.WriteByte(FunctionCodes::WriteSingleCoil);
    query.WriteWord(bitAddr);
    query.WriteWord(value ? kCoilOn : kCoilOff);
}

void WriteSingleRegisterPdu(TModbusBuffer& query, std::uint16_t regAddr, std::uint16_t value) {
    query.WriteByte(FunctionCodes::WriteSingleRegister);
    query.WriteWord(regAddr);
    query.WriteWord(value);
}

void WriteMultipleCoilsPdu(TModbusBuffer& query, std::uint16_t startBit, const TBitValues& values) {
    const auto count = static_cast<std::int32_t>(values.size());
    query.WriteByte(FunctionCodes::WriteMultipleCoils);
    query.WriteWord(startBit);
    query.WriteWord(static_cast<std::uint16_t>(count));
    query.WriteByte(static_cast<std::uint8_t>(BitsToBytes(count)));
    PackBits(values, count - 1, query);
}

void WriteMultipleRegistersPdu(TModbusBuffer& query, std::uint16_t startReg,
                               const TRegValues& values) {
    query.WriteByte(FunctionCodes::WriteMultipleRegisters);
    query.WriteWord(startReg);
    query.WriteWord(static_cast<std::uint16_t>(values.size()));
    query.WriteByte(static_cast<std::uint8_t>(2 * values.size()));
    for (std::uint16_t v : values) {
        query.WriteWord(v);
    }
}

void ReadPdu(TModbusBuffer& query, std::uint8_t function, std::uint16_t start,
             std::uint16_t count) {
    query.WriteByte(function);
    query.WriteWord(start);
    query.WriteWord(count);
}

} // namespace Corvane
