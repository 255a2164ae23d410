// The function codes of the Modbus application protocol that this library issues, serves or
// sizes on the line (FrameLength.h), and the few fixed field values that go with them. Every
// function code in the code is named from here; a bare number in a request or a switch is a
// bug waiting to happen.
#pragma once

#include <cstdint>

namespace Corvane {

namespace FunctionCodes {

inline constexpr std::uint8_t ReadCoils = 0x01;
inline constexpr std::uint8_t ReadDiscreteInputs = 0x02;
inline constexpr std::uint8_t ReadHoldingRegisters = 0x03;
inline constexpr std::uint8_t ReadInputRegisters = 0x04;
inline constexpr std::uint8_t WriteSingleCoil = 0x05;
inline constexpr std::uint8_t WriteSingleRegister = 0x06;
inline constexpr std::uint8_t ReadExceptionStatus = 0x07;
inline constexpr std::uint8_t Diagnostics = 0x08;
inline constexpr std::uint8_t GetCommEventCounter = 0x0B;
inline constexpr std::uint8_t GetCommEventLog = 0x0C;
inline constexpr std::uint8_t WriteMultipleCoils = 0x0F;
inline constexpr std::uint8_t WriteMultipleRegisters = 0x10;
inline constexpr std::uint8_t ReportServerID = 0x11;
inline constexpr std::uint8_t ReadFileRecord = 0x14;
inline constexpr std::uint8_t WriteFileRecord = 0x15;
inline constexpr std::uint8_t MaskWriteRegister = 0x16;
inline constexpr std::uint8_t ReadWriteMultipleRegisters = 0x17;

// Set in the function byte of an exception reply.
inline constexpr std::uint8_t ExceptionFlag = 0x80;

} // namespace FunctionCodes

// The value word of Write Single Coil: on is FF00h, off is 0000h; nothing else is valid.
inline constexpr std::uint16_t kCoilOn = 0xFF00;
inline constexpr std::uint16_t kCoilOff = 0x0000;

// The reference type of every sub-request of Read and Write File Record.
inline constexpr std::uint8_t kFileRecordReferenceType = 6;

// The functions that TModbusServer answers: 01 to 06, 15 and 16. Any other code is refused
// with exception 01 before the application is asked.
constexpr bool IsServedFunction(std::uint8_t code) {
    using namespace FunctionCodes;
    return (code >= ReadCoils && code <= WriteSingleRegister) || code == WriteMultipleCoils ||
           code == WriteMultipleRegisters;
}

} // namespace Corvane
