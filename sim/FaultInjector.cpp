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

namespace {

// An uppercase hex digit with its nibble inverted ('0' <-> 'F', '1' <-> 'E', ...).
std::uint8_t InvertedHexDigit(std::uint8_t digit) {
    const int nibble = digit >= 'A' ? digit - 'A' + 10 : digit - '0';
    const int inverted = 15 - (nibble & 0x0F);
    return static_cast<std::uint8_t>(inverted < 10 ? '0' + inverted : 'A' + inverted - 10);
}

} // namespace

void TFaultInjector::CorruptCheck(Corvane::TTransmissionMode mode, std::uint8_t* frame,
                                  std::int32_t length) {
    if (mode == Corvane::tmRTU) {
        if (length > 0) {
            frame[length - 1] ^= 0xFF;
        }
    } else if (length >= 5) {
        // ':' ... LRC-high LRC-low CR LF
        frame[length - 4] = InvertedHexDigit(frame[length - 4]);
        frame[length - 3] = InvertedHexDigit(frame[length - 3]);
    }
}

} // namespace SondrelSim
