// The time an exchange takes on a real serial line, for a simulator that serves on a
// pseudo-terminal (which moves bytes at once): the request's and the reply's characters at
// the line's speed, plus the 3.5 characters of silence between them that the Modbus serial
// line standard asks for.
//
// Pure functions; any thread.
#pragma once

#include "ModbusTypes.h"

#include <chrono>
#include <cstdint>

namespace SondrelSim {

// (request + reply characters + 3.5) x bitsPerCharacter / baud; baud must not be 0.
std::chrono::microseconds WireTime(Corvane::TTransmissionMode mode, std::int32_t requestSize,
                                   std::int32_t replySize, std::uint32_t baud,
                                   std::uint32_t bitsPerCharacter);

} // namespace SondrelSim
