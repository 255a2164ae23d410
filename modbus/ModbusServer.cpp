#include "ModbusServer.h"

#include "BitPacking.h"
#include "CorvaneError.h"
#include "Framing.h"
#include "FunctionCodes.h"
#include "MessageReader.h"
#include "ModbusLink.h"
#include "RequestChecks.h"

#include <vector>

namespace Corvane {

// Builds the exception reply of a refused request (never for a broadcast) and ends processing.
class TModbusServer::TAnswer {
public:
    TAnswer(TModbusServer& server, TModbusTransaction& t, std::uint8_t command)
        : FServer(server), FTransaction(t), FCommand(command) {}

    // Answers a refused write permission; true when the write may not go on.
    bool RefusedWrite(TItemWriteStatus status) {
        if (status == iwsIllegalAddress) {
            Exception(seIllegalDataAddress);
        } else if (status == iwsIllegalValue) {
            Exception(seIllegalDataValue);
        }
        return status != iwsAllowWrite;
    }

    void Exception(std::uint8_t code) {
        if (FTransaction.Info.ServerAddress != 0) {
            FServer.SendExceptionReply(FTransaction.Reply, FCommand, code);
        }
    }
    bool Broadcast() const { return FTransaction.Info.ServerAddress == 0; }

    // Starts the normal reply (address and function code) unless the request was a broadcast
    // or another server already answered; null then.
    TModbusBuffer* StartReply() {
        TModbusBuffer& reply = FTransaction.Reply;
        if (Broadcast() || reply.Size() != 0) {
            return nullptr;
        }
        reply.WriteByte(FServer.FAddress);
        reply.WriteByte(FCommand);
        return &reply;
    }

    // The reply of the writes: the function code and two words of the request echoed.
    void EchoReply(std::uint16_t first, std::uint16_t second) {
        if (TModbusBuffer* reply = StartReply()) {
            reply->WriteWord(first);
            reply->WriteWord(second);
        }
    }

private:
    TModbusServer& FServer;
    TModbusTransaction& FTransaction;
    std::uint8_t FCommand;
};

TModbusServer::~TModbusServer() {
    SetConnection(nullptr);
}

void TModbusServer::SetAddress(std::uint8_t value) {
    if (value == FAddress) {
        return;
    }
    if (value == 0 || value > 247) {
        throw ECorvaneError(msgValueMustBeBetweenSSS, {std::int64_t{1}, std::int64_t{247}});
    }
    FAddress = value;
}

void TModbusServer::SetConnection(IModbusLink* value) {
    if (value == FConnection) {
        return;
    }
    if (FConnection != nullptr) {
        FConnection->UnregisterServer(this);
    }
    FConnection = value;
    if (FConnection != nullptr) {
        FConnection->RegisterServer(this);
    }
}

void TModbusServer::ConnectionDestroyed(IModbusLink* connection) {
    if (connection == FConnection) {
        FConnection = nullptr;
    }
}

void TModbusServer::CheckServerConnection() const {
    if (FConnection == nullptr || !FConnection->Active() || FConnection->Loading()) {
        throw ECorvaneError(msgNoActiveConnection);
    }
}

void TModbusServer::SendExceptionReply(TModbusBuffer& reply, std::uint8_t command,
                                       std::uint8_t exceptionCode) {
    reply.SetSize(0);
    reply.WriteByte(FAddress);
    reply.WriteByte(static_cast<std::uint8_t>(command | FunctionCodes::ExceptionFlag));
    reply.WriteByte(exceptionCode);
    DoCommandHandlerException(command, ExceptionFromCode(exceptionCode), exceptionCode);
}

void TModbusServer::ProcessRequest(TModbusTransaction& transaction) {
    CheckServerConnection();
    const std::uint8_t command = FunctionCode(transaction.Query);
    TAnswer answer(*this, transaction, command);
    if (!IsServedFunction(command) || !DoAcceptCommand(command)) {
        answer.Exception(seIllegalCommand);
        return;
    }
    switch (command) {
    case FunctionCodes::WriteSingleCoil:
    case FunctionCodes::WriteSingleRegister:
        ProcessSingleWrite(transaction, command, answer);
        break;
    case FunctionCodes::WriteMultipleCoils:
    case FunctionCodes::WriteMultipleRegisters:
        ProcessMultipleWrite(transaction, command, answer);
        break;
    default:
        ProcessRead(transaction, command, answer);
        break;
    }
}

void TModbusServer::ProcessRead(TModbusTransaction& t, std::uint8_t command, TAnswer& answer) {
    TMessageReader request(t.Query);
    if (!request.Has(2, 4)) {
        answer.Exception(seIllegalDataValue);
        return;
    }
    const std::uint16_t start = request.Word(2);
    const std::uint16_t count = request.Word(4);
    const bool bits = command <= FunctionCodes::ReadDiscreteInputs;
    const std::int64_t limit = bits ? kMaxReadBits : kMaxReadRegisters;
    if (count == 0 || count > limit) {
        answer.Exception(seIllegalDataValue);
        return;
    }
    if (std::int64_t{start} + count - 1 > 65535) {
        answer.Exception(seIllegalDataAddress);
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto address = static_cast<std::uint16_t>(start + i);
        const bool allowed =
            command == FunctionCodes::ReadCoils              ? DoCanReadCoil(address)
            : command == FunctionCodes::ReadDiscreteInputs   ? DoCanReadDiscreteInput(address)
            : command == FunctionCodes::ReadHoldingRegisters ? DoCanReadHoldingRegister(address)
                                                             : DoCanReadInputRegister(address);
        if (!allowed) {
            answer.Exception(seIllegalDataAddress);
            return;
        }
    }
    TBitValues bitValues;
    TRegValues regValues;
    try {
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto address = static_cast<std::uint16_t>(start + i);
            switch (command) {
            case FunctionCodes::ReadCoils:
                bitValues.push_back(DoGetCoilValue(address));
                break;
            case FunctionCodes::ReadDiscreteInputs:
                bitValues.push_back(DoGetDiscreteInputValue(address));
                break;
            case FunctionCodes::ReadHoldingRegisters:
                regValues.push_back(DoGetHoldingRegisterValue(address));
                break;
            default:
                regValues.push_back(DoGetInputRegisterValue(address));
                break;
            }
        }
    } catch (...) {
        answer.Exception(seServerFailure);
        return;
    }
    TModbusBuffer* reply = answer.StartReply();
    if (reply == nullptr) {
        return;
    }
    // At 2048 bits or 128 registers the data is 256 bytes, which one byte cannot express:
    // the byte carries the low 8 bits (0), the data still follows in full.
    const std::int32_t byteCount = bits ? BitsToBytes(count) : 2 * count;
    reply->WriteByte(static_cast<std::uint8_t>(byteCount & 0xFF));
    if (bits) {
        PackBits(bitValues, count - 1, *reply);
    } else {
        for (std::uint16_t v : regValues) {
            reply->WriteWord(v);
        }
    }
}

void TModbusServer::ProcessSingleWrite(TModbusTransaction& t, std::uint8_t command,
                                       TAnswer& answer) {
    TMessageReader request(t.Query);
    if (!request.Has(2, 4)) {
        answer.Exception(seIllegalDataValue);
        return;
    }
    const std::uint16_t address = request.Word(2);
    const std::uint16_t value = request.Word(4);
    TItemWriteStatus status;
    if (command == FunctionCodes::WriteSingleCoil) {
        if (value != kCoilOff && value != kCoilOn) {
            answer.Exception(seIllegalDataValue);
            return;
        }
        status = DoCanWriteCoil(address, value == kCoilOn);
    } else {
        status = DoCanWriteHoldingRegister(address, value);
    }
    if (answer.RefusedWrite(status)) {
        return;
    }
    try {
        if (command == FunctionCodes::WriteSingleCoil) {
            DoSetCoilValue(address, value == kCoilOn);
        } else {
            DoSetHoldingRegisterValue(address, value);
        }
    } catch (...) {
        answer.Exception(seServerFailure);
        return;
    }
    answer.EchoReply(address, value);
}

void TModbusServer::ProcessMultipleWrite(TModbusTransaction& t, std::uint8_t command,
                                         TAnswer& answer) {
    TMessageReader request(t.Query);
    if (!request.Has(2, 4)) {
        answer.Exception(seIllegalDataValue);
        return;
    }
    const std::uint16_t start = request.Word(2);
    const std::uint16_t quantity = request.Word(4);
    const bool coils = command == FunctionCodes::WriteMultipleCoils;
    const std::int64_t limit = coils ? kMaxWriteBits : kMaxWriteRegisters;
    if (quantity == 0 || quantity > limit) {
        answer.Exception(seIllegalDataValue);
        return;
    }
    if (std::int64_t{start} + quantity - 1 > 65535) {
        answer.Exception(seIllegalDataAddress);
        return;
    }
    // The byte count field (position 6) is not trusted: the values are read for the
    // quantity, and a request too short to hold them is refused.
    const std::int32_t valueBytes = coils ? BitsToBytes(quantity) : 2 * quantity;
    if (!request.Has(7, valueBytes)) {
        answer.Exception(seIllegalDataValue);
        return;
    }
    TBitValues bitValues(coils ? quantity : 0);
    TRegValues regValues(coils ? 0 : quantity);
    if (coils) {
        request.Bits(7, bitValues, quantity);
    } else {
        for (std::uint16_t i = 0; i < quantity; ++i) {
            regValues[i] = request.Word(7 + 2 * i);
        }
    }
    for (std::uint16_t i = 0; i < quantity; ++i) {
        const auto address = static_cast<std::uint16_t>(start + i);
        const TItemWriteStatus status = coils ? DoCanWriteCoil(address, bitValues[i])
                                              : DoCanWriteHoldingRegister(address, regValues[i]);
        if (answer.RefusedWrite(status)) {
            return;
        }
    }
    try {
        for (std::uint16_t i = 0; i < quantity; ++i) {
            const auto address = static_cast<std::uint16_t>(start + i);
            if (coils) {
                DoSetCoilValue(address, bitValues[i]);
            } else {
                DoSetHoldingRegisterValue(address, regValues[i]);
            }
        }
    } catch (...) {
        answer.Exception(seServerFailure);
        return;
    }
    answer.EchoReply(start, quantity);
}

void DispatchRequest(std::vector<TModbusServer*> servers, TModbusTransaction& transaction) {
    const std::uint8_t address = transaction.Info.ServerAddress;
    for (TModbusServer* server : servers) {
        if (address == 0) {
            server->ProcessRequest(transaction);
        } else if (server->Address() == address) {
            server->ProcessRequest(transaction);
            return;
        }
    }
}

// --- Notifiers --------------------------------------------------------------------------------

bool TModbusServer::DoAcceptCommand(std::uint8_t command) {
    bool accept = false;
    if (OnAcceptCommand) {
        OnAcceptCommand(*this, command, accept);
    }
    return accept;
}

#define CORVANE_ASK_BOOL(Trigger, Event)                                                           \
    bool TModbusServer::Trigger(std::uint16_t address) {                                           \
        bool answer = false;                                                                       \
        if (Event) {                                                                               \
            Event(*this, address, answer);                                                         \
        }                                                                                          \
        return answer;                                                                             \
    }
CORVANE_ASK_BOOL(DoCanReadCoil, OnCanReadCoil)
CORVANE_ASK_BOOL(DoCanReadDiscreteInput, OnCanReadDiscreteInput)
CORVANE_ASK_BOOL(DoCanReadHoldingRegister, OnCanReadHoldingRegister)
CORVANE_ASK_BOOL(DoCanReadInputRegister, OnCanReadInputRegister)
CORVANE_ASK_BOOL(DoGetCoilValue, OnGetCoilValue)
CORVANE_ASK_BOOL(DoGetDiscreteInputValue, OnGetDiscreteInputValue)
#undef CORVANE_ASK_BOOL

TItemWriteStatus TModbusServer::DoCanWriteCoil(std::uint16_t bitAddr, bool bitValue) {
    TItemWriteStatus status = iwsIllegalAddress;
    if (OnCanWriteCoil) {
        OnCanWriteCoil(*this, bitAddr, bitValue, status);
    }
    return status;
}

TItemWriteStatus TModbusServer::DoCanWriteHoldingRegister(std::uint16_t regAddr,
                                                          std::uint16_t regValue) {
    TItemWriteStatus status = iwsIllegalAddress;
    if (OnCanWriteHoldingRegister) {
        OnCanWriteHoldingRegister(*this, regAddr, regValue, status);
    }
    return status;
}

void TModbusServer::DoCommandHandlerException(std::uint8_t command, TServerException exception,
                                              std::uint8_t exceptionCode) {
    if (OnCommandHandlerException) {
        OnCommandHandlerException(*this, command, exception, exceptionCode);
    }
}

std::uint16_t TModbusServer::DoGetHoldingRegisterValue(std::uint16_t regAddr) {
    std::uint16_t value = 0;
    if (OnGetHoldingRegisterValue) {
        OnGetHoldingRegisterValue(*this, regAddr, value);
    }
    return value;
}

std::uint16_t TModbusServer::DoGetInputRegisterValue(std::uint16_t regAddr) {
    std::uint16_t value = 0;
    if (OnGetInputRegisterValue) {
        OnGetInputRegisterValue(*this, regAddr, value);
    }
    return value;
}

void TModbusServer::DoSetCoilValue(std::uint16_t bitAddr, bool bitValue) {
    if (OnSetCoilValue) {
        OnSetCoilValue(*this, bitAddr, bitValue);
    }
}

void TModbusServer::DoSetHoldingRegisterValue(std::uint16_t regAddr, std::uint16_t regValue) {
    if (OnSetHoldingRegisterValue) {
        OnSetHoldingRegisterValue(*this, regAddr, regValue);
    }
}

} // namespace Corvane
