#include "FaultInjector.h"

#include "FunctionCodes.h"

namespace SondrelSim {

bool TFaultInjector::DropNextRequest() {
    ++FRequests;
    return FSettings.DropEvery != 0 && FRequests % FSettings.DropEvery == 0;
}

bool TFaultInjector::CorruptNextReply() {
    ++FReplies;
    return FSettings.CorruptEvery != 0 && FReplies % FSettings.CorruptEvery == 0;
}

bool TFaultInjector::IsSilenced(const Corvane::TModbusBuffer& query) const {
    if (!FSettings.SilentRegister || query.Size() < 6) {
        return false;
    }
    const std::uint8_t* data = query.Data();
    const unsigned function = data[1];
    const unsigned first = static_cast<unsigned>(data[2] << 8 | data[3]);
    const unsigned silent = *FSettings.SilentRegister;
    if (function == Corvane::FunctionCodes::WriteSingleRegister) {
        return first == silent;
    }
    if (function == Corvane::FunctionCodes::WriteMultipleRegisters) {
        const unsigned count = static_cast<unsigned>(data[4] << 8 | data[5]);
        return first <= silent && silent < first + count;
    }
    return false;
}

void TFaultInjector::Corrupt(Corvane::TModbusBuffer& reply) {
    if (reply.Size() > 0) {
        // Inverting every bit changes the check byte whatever its value.
        reply.Data()[reply.Size() - 1] ^= 0xFF;
    }
}

} // namespace SondrelSim
