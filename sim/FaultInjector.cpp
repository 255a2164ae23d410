#include "FaultInjector.h"

#include "FunctionCodes.h"

namespace SondrelSim {

namespace {

// Whether the n-th event (from 1) is hit by a fault every `every` events from the start-th on.
bool Hits(std::uint64_t n, std::uint32_t every, std::uint32_t start) {
    if (every == 0) {
        return false;
    }
    const std::uint64_t first = start == 0 ? every : start;
    return n >= first && (n - first) % every == 0;
}

} // namespace

bool TFaultInjector::DropNextRequest() {
    ++FRequests;
    return Hits(FRequests, FSettings.DropEvery, FSettings.DropStart);
}

bool TFaultInjector::CorruptNextReply() {
    ++FReplies;
    return Hits(FReplies, FSettings.CorruptEvery, FSettings.CorruptStart);
}

bool TFaultInjector::IsChosenDrop(const Corvane::TModbusBuffer& query) {
    const auto& chosen = FSettings.DropRequest;
    if (!chosen || query.Size() < 4) {
        return false;
    }
    const std::uint8_t* data = query.Data();
    const unsigned first = static_cast<unsigned>(data[2] << 8 | data[3]);
    if (data[1] != chosen->Function || first != chosen->Register) {
        return false;
    }
    return ++FMatches == chosen->Occurrence;
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
