#include "WireTime.h"

#include "FrameTiming.h"

#include <cmath>

namespace SondrelSim {

std::chrono::microseconds WireTime(Corvane::TTransmissionMode mode, std::int32_t requestSize,
                                   std::int32_t replySize, std::uint32_t baud,
                                   std::uint32_t bitsPerCharacter) {
    // The simulator keeps no silence of its own beyond the standard's pause in the middle.
    Corvane::TExchangeTiming line;
    line.Mode = mode;
    line.CharacterUs = bitsPerCharacter * 1e6 / baud;
    return std::chrono::microseconds(
        static_cast<std::int64_t>(std::ceil(Corvane::ExchangeUs(line, requestSize, replySize))));
}

} // namespace SondrelSim
