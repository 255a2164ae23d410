#include "FaultInjector.h"

namespace SondrelSim {

bool TFaultInjector::DropNextRequest() {
    ++FRequests;
    return FSettings.DropEvery != 0 && FRequests % FSettings.DropEvery == 0;
}

bool TFaultInjector::CorruptNextReply() {
    ++FReplies;
    return FSettings.CorruptEvery != 0 && FReplies % FSettings.CorruptEvery == 0;
}

void TFaultInjector::Corrupt(Corvane::TModbusBuffer& reply) {
    if (reply.Size() > 0) {
        // Inverting every bit changes the check byte whatever its value.
        reply.Data()[reply.Size() - 1] ^= 0xFF;
    }
}

} // namespace SondrelSim
