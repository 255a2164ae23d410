// The gaps that delimit RTU frames on the line, in microseconds, for the two frame timings of
// a connection (TFrameTiming):
//
// - ftClassic: the end-of-frame gap is SilentInterval character times, rounded up to whole
//   milliseconds and never below 16 ms (ComputeSilentTime); nothing limits the pauses between
//   the characters of one frame.
// - ftStandard: the timing of the Modbus serial line standard: a frame ends after 3.5
//   character times of silence, and a pause of more than 1.5 character times between two of
//   its characters makes the frame incomplete. Above 19200 bit/s the two are fixed at 1750 and
//   750 microseconds. A character counts its start bit, data bits, parity bit and stop bits.
//
// ASCII frames end at their CR LF; their silent time is SilentInterval milliseconds in both
// timings and they have no inter-character limit. Pure functions.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

struct TFrameGaps {
    // A pause this long ends a frame.
    std::uint64_t SilentUs = 16000;
    // Characters that resume after a pause longer than this (and shorter than SilentUs) make
    // the frame incomplete; 0: no limit.
    std::uint32_t InterCharacterUs = 0;

    // The silent time in whole milliseconds, rounded up.
    std::uint32_t SilentMs() const {
        return static_cast<std::uint32_t>(SilentUs / 1000 + (SilentUs % 1000 != 0 ? 1 : 0));
    }
    bool operator==(const TFrameGaps&) const = default;
};

// Bits of one character on the wire: start bit, data bits, parity bit (when any), stop bits.
std::uint32_t BitsPerCharacter(TDataBits dataBits, TParityScheme parity, TStopBits stopBits);

// The gaps of a line; baudRate must not be 0 for RTU.
TFrameGaps ComputeFrameGaps(TFrameTiming timing, TTransmissionMode mode, std::uint32_t baudRate,
                            TDataBits dataBits, TParityScheme parity, TStopBits stopBits,
                            std::uint32_t silentInterval);

} // namespace Corvane
