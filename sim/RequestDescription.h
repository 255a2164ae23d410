// One-line descriptions of a served request and its reply, for the simulator's log:
// "read 256 x104", "write 254 := 61992", "write 250.. x4", "function 07"; "normal reply",
// "exception 02", "no reply". Fields that the buffer does not hold are left out.
//
// Pure functions; any thread.
#pragma once

#include "ModbusBuffer.h"

#include <string>

namespace SondrelSim {

// The request (address byte, function code, fields) as it was received.
std::string DescribeRequest(const Corvane::TModbusBuffer& query);
// The reply about to be sent.
std::string DescribeReply(const Corvane::TModbusBuffer& reply);

} // namespace SondrelSim
