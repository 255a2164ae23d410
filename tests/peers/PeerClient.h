// PeerClient: our connection and client on one end of a link to a real Modbus peer, with
// every completion recorded by transaction ID, so that a test can issue a request and get
// its outcome in one line:
//
//     const Outcome r = Peer.Run([&] { return Peer.Client.ReadCoils(100, 19, 0); });
//
// The connection starts with the library's defaults except for the port, the framing and a
// receive timeout fit for a fast peer; tests change any property before Open().
//
// Main (test) thread only: it adopts the calling thread as the library's main thread.
#pragma once

#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace PeerTests {

// What the completion events of one transaction reported.
struct Outcome {
    bool Arrived = false;
    Corvane::TTransactionInfo Info{};
    std::uint8_t Command = 0;
    std::uint16_t Start = 0;                // first coil or register of 01 to 06, 15, 16, 22
    std::uint16_t Count = 0;                // count of 01 to 04, 15, 16
    Corvane::TBitValues Bits;               // 01, 02: read; 15: as sent; 05: the one value
    Corvane::TRegValues Registers;          // 03, 04, 23: read; 16: as sent; 06: the one value
    Corvane::TExceptionStatusValues Status; // 07
    Corvane::TDiagnosticAction Action{};    // 08
    std::uint16_t Result = 0;               // 08
    std::int32_t IdentificationCount = 0;   // 17
    Corvane::TServerIdentificationData IdentificationData; // 17
};

class PeerClient {
public:
    PeerClient(const std::string& port, Corvane::TTransmissionMode mode);

    PeerClient(const PeerClient&) = delete;
    PeerClient& operator=(const PeerClient&) = delete;

    void Open() { Connection.SetActive(true); }

    // Calls request (which returns the new transaction's ID), then runs the main thread's
    // work until that transaction's completion arrived or timeout passed (Arrived false).
    Outcome Run(const std::function<std::int32_t()>& request,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

    Corvane::TModbusConnection Connection;
    Corvane::TModbusClient Client;

private:
    Outcome& Record(const Corvane::TTransactionInfo& info);

    std::map<std::int32_t, Outcome> FOutcomes;
};

} // namespace PeerTests
