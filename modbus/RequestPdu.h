// The request layouts that the client's writes and the connection's broadcasts share: each
// function writes its PDU (function code and data) after the address byte. The caller checks
// the arguments first (RequestChecks.h) and appends the frame check afterwards.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

class TModbusBuffer;

void WriteSingleCoilPdu(TModbusBuffer& query, std::uint16_t bitAddr, bool value);
void WriteSingleRegisterPdu(TModbusBuffer& query, std::uint16_t regAddr, std::uint16_t value);
void WriteMultipleCoilsPdu(TModbusBuffer& query, std::uint16_t startBit, const TBitValues& values);
void WriteMultipleRegistersPdu(TModbusBuffer& query, std::uint16_t startReg,
                               const TRegValues& values);
// Functions 01 to 04: code, start, count.
void ReadPdu(TModbusBuffer& query, std::uint8_t function, std::uint16_t start, std::uint16_t count);

} // namespace Corvane
