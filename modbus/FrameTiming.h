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

// What one exchange costs on a connection's line, for callers that pace themselves by it or
// estimate how long a series of exchanges takes.
struct TExchangeTiming {
    TTransmissionMode Mode = tmRTU;
    // One character on the wire.
    double CharacterUs = 0;
    // The silence this side keeps per exchange: after a reply before it counts as ended
    // (classic), or before the next request (standard).
    std::uint64_t SilentUs = 0;
    // The longest one exchange can take, all its attempts included.
    std::uint32_t LimitMs = 0;
};

// Bits of one character on the wire: start bit, data bits, parity bit (when any), stop bits.
std::uint32_t BitsPerCharacter(TDataBits dataBits, TParityScheme parity, TStopBits stopBits);

// Characters on the wire of a message of messageSize bytes (address, function, data) without
// its check: RTU adds the two CRC bytes; ASCII writes ':', two hex digits per byte and for the
// LRC, CR and LF. 0 for an empty message.
std::int64_t WireCharacters(TTransmissionMode mode, std::int32_t messageSize);

// How long a request of requestSize and its reply of replySize bytes (messages without their
// checks) take on the line: their characters and the 3.5 characters of silence the standard
// puts between them, plus the silence this side keeps. In microseconds.
double ExchangeUs(const TExchangeTiming& line, std::int32_t requestSize, std::int32_t replySize);

// The gaps of a line; baudRate must not be 0 for RTU.
TFrameGaps ComputeFrameGaps(TFrameTiming timing, TTransmissionMode mode, std::uint32_t baudRate,
                            TDataBits dataBits, TParityScheme parity, TStopBits stopBits,
                            std::uint32_t silentInterval);

} // namespace Corvane
