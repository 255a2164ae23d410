#include "RequestDescription.h"

#include "FunctionCodes.h"

namespace SondrelSim {

namespace {

// The big-endian word at byte offset i, when the buffer holds it.
bool WordAt(const Corvane::TModbusBuffer& buffer, int i, unsigned& value) {
    if (i + 1 >= buffer.Size()) {
        return false;
    }
    value = static_cast<unsigned>(buffer.Data()[i] << 8 | buffer.Data()[i + 1]);
    return true;
}

} // namespace

std::string DescribeRequest(const Corvane::TModbusBuffer& query) {
    if (query.Size() < 2) {
        return "empty request";
    }
    const int function = query.Data()[1];
    unsigned first = 0;
    unsigned second = 0;
    const bool fields = WordAt(query, 2, first) && WordAt(query, 4, second);
    if (function == Corvane::FunctionCodes::ReadHoldingRegisters && fields) {
        return "read " + std::to_string(first) + " x" + std::to_string(second);
    }
    if (function == Corvane::FunctionCodes::WriteSingleRegister && fields) {
        return "write " + std::to_string(first) + " := " + std::to_string(second);
    }
    if (function == Corvane::FunctionCodes::WriteMultipleRegisters && fields) {
        return "write " + std::to_string(first) + ".. x" + std::to_string(second);
    }
    return "function " + std::to_string(function);
}

std::string DescribeReply(const Corvane::TModbusBuffer& reply) {
    if (reply.Size() < 2) {
        return "no reply";
    }
    if ((reply.Data()[1] & 0x80) != 0 && reply.Size() >= 3) {
        const int code = reply.Data()[2];
        return std::string("exception ") + (code < 10 ? "0" : "") + std::to_string(code);
    }
    return "normal reply";
}

} // namespace SondrelSim
