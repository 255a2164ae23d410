// TFaultInjector: decides which exchanges of the simulated instrument go wrong on the line.
//
// Counts the requests that would be answered and the replies that are sent: with
// DropEvery K the K-th, 2K-th, ... request gets no reply at all (it is lost before the
// instrument sees it); with CorruptEvery K the K-th, 2K-th, ... reply that is sent has the
// last byte of its frame check (the CRC's high byte in RTU, the LRC in ASCII) inverted on the
// wire, so the client rejects the frame; DropStart and CorruptStart move the first fault to
// another request or reply (the S-th, then S + K-th, ...), so that runs at one rate can hit
// every step of a procedure. DelayMs holds every reply back for that long. 0 turns a fault off.
// SilentRegister R: every request that writes register R (function 06 at R, or function 16 over
// a range that holds R) gets no reply and is not acted on, like a lost request; the instrument
// then never acknowledges that write, whatever the other faults do. DropRequest: exactly one
// request, the N-th with a given function code at a given first register, is lost. Silenced
// requests and the chosen one are not counted by DropEvery.
//
// Main thread (called from the connection's dispatch); a plain counter, not thread-safe.
#pragma once

#include "ModbusBuffer.h"
#include "ModbusTypes.h"

#include <cstdint>
#include <optional>

namespace SondrelSim {

// One request picked by what it asks: the Occurrence-th request (1 for the first) with this
// function code whose first register (the word after the function code) is Register.
struct TRequestMatch {
    std::uint8_t Function = 0;
    std::uint16_t Register = 0;
    std::uint32_t Occurrence = 1;
    bool operator==(const TRequestMatch&) const = default;
};

struct TFaultSettings {
    std::uint32_t DropEvery = 0;
    std::uint32_t CorruptEvery = 0;
    std::uint32_t DelayMs = 0;
    std::optional<std::uint16_t> SilentRegister;
    // The first request (reply) that DropEvery (CorruptEvery) hits; 0: the K-th.
    std::uint32_t DropStart = 0;
    std::uint32_t CorruptStart = 0;
    std::optional<TRequestMatch> DropRequest = std::nullopt;
};

class TFaultInjector {
public:
    explicit TFaultInjector(const TFaultSettings& settings) : FSettings(settings) {}

    const TFaultSettings& Settings() const { return FSettings; }

    // Counts one request that would be answered; true when it is to be dropped.
    bool DropNextRequest();
    // Counts the request when it matches DropRequest; true when it is the one to drop.
    bool IsChosenDrop(const Corvane::TModbusBuffer& query);
    // Counts one reply about to be sent; true when it is to be corrupted.
    bool CorruptNextReply();
    std::uint32_t DelayMs() const { return FSettings.DelayMs; }
    // True when the request (an unframed message: address, function, data) writes the
    // silent register.
    bool IsSilenced(const Corvane::TModbusBuffer& query) const;

    // Inverts every bit of the last check byte of an encoded frame (RTU: the last byte; ASCII:
    // the two hex digits before CR LF), so that the frame fails its check and nothing else
    // changes. A frame too short to hold a check is left alone.
    static void CorruptCheck(Corvane::TTransmissionMode mode, std::uint8_t* frame,
                             std::int32_t length);

private:
    TFaultSettings FSettings;
    std::uint64_t FRequests = 0;
    std::uint64_t FReplies = 0;
    std::uint64_t FMatches = 0;
};

} // namespace SondrelSim
