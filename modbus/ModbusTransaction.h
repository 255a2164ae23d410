// One request/reply exchange and the facts reported about it.
// A transaction has exactly one owner at a time (caller -> queue -> worker -> main thread)
// and moves between them as a std::unique_ptr.
#pragma once

#include "ModbusBuffer.h"
#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

class TModbusClient;

struct TTransactionInfo {
    std::int32_t ID = 0;
    std::uint8_t ServerAddress = 0;
    std::int32_t UserData = 0;
    std::uint32_t Attempts = 0;
    TReplyStatus Status = rsTimeoutExpired;
    TServerException Exception = seUnknown;
    std::uint8_t ExceptionCode = 0;
};

class TModbusTransaction {
public:
    explicit TModbusTransaction(std::int32_t capacity) : Query(capacity), Reply(capacity) {}

    TModbusBuffer Query;
    TModbusBuffer Reply;
    // A reply is awaited even for address 0 and the client's custom completion runs.
    bool Custom = false;
    TTransactionInfo Info;
    // The submitting client; null for the connection's own broadcasts.
    TModbusClient* Client = nullptr;
    // A reply from any server address is accepted.
    bool AcceptAnyAddress = false;
    // Identity of the submitting client, so that a completion never reaches a different
    // client that happens to live at the same address after the first one was destroyed.
    std::uint64_t ClientSerial = 0;
};

} // namespace Corvane
