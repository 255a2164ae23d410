#include "FrameTiming.h"

#include "Framing.h"

#include <cmath>

namespace Corvane {

namespace {

// Above this speed the standard fixes the gaps instead of counting characters, because a
// timer that fine is hard to come by.
constexpr std::uint32_t kFixedGapsAbove = 19200;
constexpr std::uint32_t kFixedSilentUs = 1750;
constexpr std::uint32_t kFixedInterCharacterUs = 750;

std::uint32_t CharacterTimesUs(double characters, std::uint32_t bits, std::uint32_t baudRate) {
    const double us = std::ceil(characters * bits * 1e6 / baudRate);
    return us >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(us);
}

} // namespace

std::uint32_t BitsPerCharacter(TDataBits dataBits, TParityScheme parity, TStopBits stopBits) {
    return 1 + (dataBits == db7 ? 7u : 8u) + (parity != psNone ? 1u : 0u) +
           (stopBits == sb2 ? 2u : 1u);
}

std::int64_t WireCharacters(TTransmissionMode mode, std::int32_t messageSize) {
    if (messageSize <= 0) {
        return 0;
    }
    return mode == tmASCII ? 2 * (std::int64_t{messageSize} + 1) + 3
                           : std::int64_t{messageSize} + 2;
}

double ExchangeUs(const TExchangeTiming& line, std::int32_t requestSize, std::int32_t replySize) {
    const double characters = static_cast<double>(WireCharacters(line.Mode, requestSize) +
                                                  WireCharacters(line.Mode, replySize)) +
                              3.5;
    return characters * line.CharacterUs + static_cast<double>(line.SilentUs);
}

TFrameGaps ComputeFrameGaps(TFrameTiming timing, TTransmissionMode mode, std::uint32_t baudRate,
                            TDataBits dataBits, TParityScheme parity, TStopBits stopBits,
                            std::uint32_t silentInterval) {
    TFrameGaps gaps;
    if (timing != ftStandard || mode != tmRTU) {
        const std::uint32_t ms =
            ComputeSilentTime(mode, baudRate, dataBits, parity, stopBits, silentInterval);
        gaps.SilentUs = std::uint64_t{ms} * 1000u;
        return gaps;
    }
    if (baudRate > kFixedGapsAbove) {
        gaps.SilentUs = kFixedSilentUs;
        gaps.InterCharacterUs = kFixedInterCharacterUs;
        return gaps;
    }
    const std::uint32_t bits = BitsPerCharacter(dataBits, parity, stopBits);
    gaps.SilentUs = CharacterTimesUs(3.5, bits, baudRate);
    gaps.InterCharacterUs = CharacterTimesUs(1.5, bits, baudRate);
    return gaps;
}

} // namespace Corvane
