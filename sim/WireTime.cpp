#include "WireTime.h"

#include <cmath>

namespace SondrelSim {

std::int64_t WireCharacters(Corvane::TTransmissionMode mode, std::int32_t messageSize) {
    if (messageSize <= 0) {
        return 0;
    }
    return mode == Corvane::tmASCII ? 2 * (std::int64_t{messageSize} + 1) + 3
                                    : std::int64_t{messageSize} + 2;
}

std::chrono::microseconds WireTime(Corvane::TTransmissionMode mode, std::int32_t requestSize,
                                   std::int32_t replySize, std::uint32_t baud,
                                   std::uint32_t bitsPerCharacter) {
    const double characters =
        static_cast<double>(WireCharacters(mode, requestSize) + WireCharacters(mode, replySize)) +
        3.5;
    const double us = std::ceil(characters * bitsPerCharacter * 1e6 / baud);
    return std::chrono::microseconds(static_cast<std::int64_t>(us));
}

} // namespace SondrelSim
