#include "ModbusClient.h"

#include "BitPacking.h"
#include "CorvaneError.h"
#include "Framing.h"
#include "FunctionCodes.h"
#include "MessageReader.h"
#include "ModbusLink.h"
#include "RequestChecks.h"
#include "RequestPdu.h"

#include <array>
#include <atomic>
#include <cstring>

namespace Corvane {

namespace {

std::atomic<std::uint64_t> gNextClientSerial{1};

constexpr std::array<std::uint16_t, 15> kDiagnosticSubFunctions = {
    0x0000, 0x0001, 0x0001, 0x0002, 0x0004, 0x000A, 0x000B, 0x000C,
    0x000D, 0x000E, 0x000F, 0x0010, 0x0011, 0x0012, 0x0014};

constexpr std::array<const char*, 9> kExceptionTexts = {
    "Unknown exception code", "Illegal command",      "Illegal data address",
    "Illegal data value",     "Server failure",       "Acknowledge",
    "Server is busy",         "Negative acknowledge", "Memory parity error"};

} // namespace

TModbusClient::TModbusClient() : FSerial(gNextClientSerial++) {}

TModbusClient::~TModbusClient() {
    FDestroying = true;
    SetConnection(nullptr);
}

void TModbusClient::SetConnection(IModbusLink* value) {
    if (value == FConnection) {
        return;
    }
    if (FConnection != nullptr) {
        FConnection->DiscardPendingTransactions(this);
        FConnection->UnregisterClient(this);
    }
    FConnection = value;
    if (FConnection != nullptr) {
        FConnection->RegisterClient(this);
    }
}

void TModbusClient::ConnectionDestroyed(IModbusLink* connection) {
    if (connection == FConnection) {
        FConnection = nullptr;
    }
}

void TModbusClient::SetMaxConsecutiveTimeouts(std::int32_t value) {
    if (value < -1) {
        value = -1;
    }
    if (value != FMaxConsecutiveTimeouts) {
        FMaxConsecutiveTimeouts = value;
        FConsecutiveTimeouts = 0;
    }
}

void TModbusClient::SetServerAddress(std::uint8_t value) {
    if (value == FServerAddress) {
        return;
    }
    if (FConnection != nullptr) {
        FConnection->DiscardPendingTransactions(this);
    }
    FServerAddress = value;
}

void TModbusClient::CheckClientConnection() const {
    if (FConnection == nullptr || !FConnection->Active() || FConnection->Loading()) {
        throw ECorvaneError(msgNoActiveConnection);
    }
}

// --- Submission -----------------------------------------------------------------------------

template <typename Build>
std::int32_t TModbusClient::SubmitRequest(std::int32_t userData, Build&& build) {
    auto transaction = std::make_unique<TModbusTransaction>(FConnection->QueryBufferSize());
    TTransactionInfo& info = transaction->Info;
    info = TTransactionInfo{};
    info.ID = FConnection->NextTransactionID();
    info.ServerAddress = FServerAddress;
    info.UserData = userData;
    TModbusBuffer& query = transaction->Query;
    query.WriteByte(FServerAddress);
    build(query);
    const std::int32_t id = info.ID;
    FConnection->Submit(transaction, this);
    return id;
}

std::int32_t TModbusClient::ReadCoils(std::uint16_t startBit, std::uint16_t bitCount,
                                      std::int32_t userData) {
    CheckClientConnection();
    CheckBitRange(startBit, bitCount, kMaxReadBits);
    return SubmitRequest(userData, [&](TModbusBuffer& q) {
        ReadPdu(q, FunctionCodes::ReadCoils, startBit, bitCount);
    });
}

std::int32_t TModbusClient::ReadDiscreteInputs(std::uint16_t startBit, std::uint16_t bitCount,
                                               std::int32_t userData) {
    CheckClientConnection();
    CheckBitRange(startBit, bitCount, kMaxReadBits);
    return SubmitRequest(userData, [&](TModbusBuffer& q) {
        ReadPdu(q, FunctionCodes::ReadDiscreteInputs, startBit, bitCount);
    });
}

std::int32_t TModbusClient::ReadHoldingRegisters(std::uint16_t startReg, std::uint16_t regCount,
                                                 std::int32_t userData) {
    CheckClientConnection();
    CheckRegisterRange(startReg, regCount, kMaxReadRegisters);
    return SubmitRequest(userData, [&](TModbusBuffer& q) {
        ReadPdu(q, FunctionCodes::ReadHoldingRegisters, startReg, regCount);
    });
}

std::int32_t TModbusClient::ReadInputRegisters(std::uint16_t startReg, std::uint16_t regCount,
                                               std::int32_t userData) {
    CheckClientConnection();
    CheckRegisterRange(startReg, regCount, kMaxReadRegisters);
    return SubmitRequest(userData, [&](TModbusBuffer& q) {
        ReadPdu(q, FunctionCodes::ReadInputRegisters, startReg, regCount);
    });
}

std::int32_t TModbusClient::WriteSingleCoil(std::uint16_t bitAddr, bool bitValue,
                                            std::int32_t userData) {
    CheckClientConnection();
    return SubmitRequest(userData,
                         [&](TModbusBuffer& q) { WriteSingleCoilPdu(q, bitAddr, bitValue); });
}

std::int32_t TModbusClient::WriteSingleRegister(std::uint16_t regAddr, std::uint16_t regValue,
                                                std::int32_t userData) {
    CheckClientConnection();
    return SubmitRequest(userData,
                         [&](TModbusBuffer& q) { WriteSingleRegisterPdu(q, regAddr, regValue); });
}

std::int32_t TModbusClient::WriteMultipleCoils(std::uint16_t startBit, const TBitValues& bitValues,
                                               std::int32_t userData) {
    CheckClientConnection();
    CheckMultipleCoilsWrite(startBit, bitValues.size());
    return SubmitRequest(userData,
                         [&](TModbusBuffer& q) { WriteMultipleCoilsPdu(q, startBit, bitValues); });
}

std::int32_t TModbusClient::WriteMultipleRegisters(std::uint16_t startReg,
                                                   const TRegValues& regValues,
                                                   std::int32_t userData) {
    CheckClientConnection();
    CheckMultipleRegistersWrite(startReg, regValues.size());
    return SubmitRequest(
        userData, [&](TModbusBuffer& q) { WriteMultipleRegistersPdu(q, startReg, regValues); });
}

std::int32_t TModbusClient::MaskWriteSingleRegister(std::uint16_t regAddr, std::uint16_t andMask,
                                                    std::uint16_t orMask, std::int32_t userData) {
    CheckClientConnection();
    return SubmitRequest(userData, [&](TModbusBuffer& q) {
        q.WriteByte(FunctionCodes::MaskWriteRegister);
        q.WriteWord(regAddr);
        q.WriteWord(andMask);
        q.WriteWord(orMask);
    });
}

std::int32_t TModbusClient::ReadWriteMultipleRegisters(std::uint16_t startRegToRead,
                                                       std::uint16_t regCountToRead,
                                                       std::uint16_t startRegToWrite,
                                                       const TRegValues& regValuesToWrite,
                                                       std::int32_t userData) {
    CheckClientConnection();
    CheckRegisterRange(startRegToRead, regCountToRead, kMaxReadRegisters);
    CheckRegisterRange(startRegToWrite, static_cast<std::int64_t>(regValuesToWrite.size()),
                       kMaxReadWriteRegisters);
    return SubmitRequest(userData, [&](TModbusBuffer& q) {
        q.WriteByte(FunctionCodes::ReadWriteMultipleRegisters);
        q.WriteWord(startRegToRead);
        q.WriteWord(regCountToRead);
        q.WriteWord(startRegToWrite);
        q.WriteWord(static_cast<std::uint16_t>(regValuesToWrite.size()));
        q.WriteByte(static_cast<std::uint8_t>(2 * regValuesToWrite.size()));
        for (std::uint16_t v : regValuesToWrite) {
            q.WriteWord(v);
        }
    });
}

std::int32_t TModbusClient::ReadExceptionStatus(std::int32_t userData) {
    CheckClientConnection();
    return SubmitRequest(userData,
                         [](TModbusBuffer& q) { q.WriteByte(FunctionCodes::ReadExceptionStatus); });
}

std::int32_t TModbusClient::Diagnostics(TDiagnosticAction action, std::int32_t userData) {
    CheckClientConnection();
    return SubmitRequest(userData, [&](TModbusBuffer& q) {
        q.WriteByte(FunctionCodes::Diagnostics);
        q.WriteWord(kDiagnosticSubFunctions.at(action));
        const std::uint16_t data = action == daReturnQueryData                      ? 0xA537
                                   : action == daRestartCommsOptionAndClearEventLog ? 0xFF00
                                                                                    : 0x0000;
        q.WriteWord(data);
    });
}

std::int32_t TModbusClient::ReportServerID(std::int32_t userData) {
    CheckClientConnection();
    return SubmitRequest(userData,
                         [](TModbusBuffer& q) { q.WriteByte(FunctionCodes::ReportServerID); });
}

std::string ExceptionCodeText(std::uint8_t code) {
    return kExceptionTexts[code < kExceptionTexts.size() ? code : 0];
}

std::string TModbusClient::TranslateExceptionCode(std::uint8_t exceptionCode) {
    std::string description = ExceptionCodeText(exceptionCode);
    DoTranslateExceptionCode(exceptionCode, description);
    return description;
}

// --- Completion -----------------------------------------------------------------------------

void TModbusClient::ProcessTransaction(TModbusTransaction& transaction) {
    CheckClientConnection();
    const std::uint8_t command = FunctionCode(transaction.Query);
    if (transaction.Custom) {
        CompleteCustom(transaction, command);
    } else {
        switch (command) {
        case FunctionCodes::ReadCoils:
        case FunctionCodes::ReadDiscreteInputs:
            CompleteBitsRead(transaction, command);
            break;
        case FunctionCodes::ReadHoldingRegisters:
        case FunctionCodes::ReadInputRegisters:
            CompleteRegistersRead(transaction, command);
            break;
        case FunctionCodes::WriteSingleCoil:
            CompleteSingleCoilWrite(transaction);
            break;
        case FunctionCodes::WriteSingleRegister:
            CompleteSingleRegisterWrite(transaction);
            break;
        case FunctionCodes::ReadExceptionStatus:
            CompleteExceptionStatus(transaction);
            break;
        case FunctionCodes::Diagnostics:
            CompleteDiagnostics(transaction);
            break;
        case FunctionCodes::WriteMultipleCoils:
            CompleteMultipleCoilsWrite(transaction);
            break;
        case FunctionCodes::WriteMultipleRegisters:
            CompleteMultipleRegistersWrite(transaction);
            break;
        case FunctionCodes::ReportServerID:
            CompleteServerIdentification(transaction);
            break;
        case FunctionCodes::ReadFileRecord:
            CompleteFileRecordRead(transaction);
            break;
        case FunctionCodes::WriteFileRecord:
            CompleteFileRecordWrite(transaction);
            break;
        case FunctionCodes::MaskWriteRegister:
            CompleteMaskWrite(transaction);
            break;
        case FunctionCodes::ReadWriteMultipleRegisters:
            CompleteReadWriteMultiple(transaction);
            break;
        default:
            break;
        }
    }
    DoTransactionProcessed(transaction.Info, command, transaction.Custom);
    SuperviseTimeouts(transaction.Info);
}

namespace {

// Decodes a normal response with decode(reply), which returns false when the reply does not
// match its request (a field differs from what was asked, or is missing from the reply); the
// outcome then becomes rsUnmatched. An error raised meanwhile is a fault of ours, not of the
// peer: it propagates, and the connection reports it.
template <typename Decode>
void DecodeNormalReply(TModbusTransaction& t, Decode&& decode) {
    if (t.Info.Status != rsNormalResponse) {
        return;
    }
    TMessageReader reply(t.Reply);
    if (!decode(reply)) {
        t.Info.Status = rsUnmatched;
    }
}

// The written fields of a single write or mask write, echoed by the reply.
bool EchoesFields(TMessageReader& query, TMessageReader& reply, std::int32_t words) {
    if (!reply.Has(2, 2 * words)) {
        return false;
    }
    for (std::int32_t i = 0; i < words; ++i) {
        if (query.Word(2 + 2 * i) != reply.Word(2 + 2 * i)) {
            return false;
        }
    }
    return true;
}

// The byte count at position 2 of a read reply and the data it announces, which must have
// arrived; the data start at position 3.
bool HasCountedData(TMessageReader& reply, std::int32_t dataBytes) {
    return reply.Has(2, 1) && reply.Has(3, dataBytes);
}

} // namespace

void TModbusClient::CompleteBitsRead(TModbusTransaction& t, std::uint8_t command) {
    TMessageReader query(t.Query);
    const std::uint16_t start = query.Word(2);
    const std::uint16_t count = query.Word(4);
    TBitValues values(count, false);
    DecodeNormalReply(t, [&](TMessageReader& reply) {
        if (!reply.Has(2, 1) || reply.Byte(2) != BitsToBytes(count) ||
            !HasCountedData(reply, BitsToBytes(count))) {
            return false;
        }
        reply.Bits(3, values, count);
        return true;
    });
    if (command == FunctionCodes::ReadCoils) {
        DoCoilsRead(t.Info, start, count, values);
    } else {
        DoDiscreteInputsRead(t.Info, start, count, values);
    }
}

void TModbusClient::CompleteRegistersRead(TModbusTransaction& t, std::uint8_t command) {
    TMessageReader query(t.Query);
    const std::uint16_t start = query.Word(2);
    const std::uint16_t count = query.Word(4);
    TRegValues values(count, 0);
    DecodeNormalReply(t, [&](TMessageReader& reply) {
        if (!reply.Has(2, 1) || reply.Byte(2) / 2 != count || !HasCountedData(reply, 2 * count)) {
            return false;
        }
        for (std::uint16_t i = 0; i < count; ++i) {
            values[i] = reply.Word(3 + 2 * i);
        }
        return true;
    });
    if (command == FunctionCodes::ReadHoldingRegisters) {
        DoHoldingRegistersRead(t.Info, start, count, values);
    } else {
        DoInputRegistersRead(t.Info, start, count, values);
    }
}

void TModbusClient::CompleteSingleCoilWrite(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    const std::uint16_t address = query.Word(2);
    const bool value = query.Word(4) == kCoilOn;
    DecodeNormalReply(t, [&](TMessageReader& reply) { return EchoesFields(query, reply, 2); });
    DoSingleCoilWrite(t.Info, address, value);
}

void TModbusClient::CompleteSingleRegisterWrite(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    const std::uint16_t address = query.Word(2);
    const std::uint16_t value = query.Word(4);
    DecodeNormalReply(t, [&](TMessageReader& reply) { return EchoesFields(query, reply, 2); });
    DoSingleRegisterWrite(t.Info, address, value);
}

void TModbusClient::CompleteMultipleCoilsWrite(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    const std::uint16_t start = query.Word(2);
    const std::uint16_t count = query.Word(4);
    TBitValues values(count, false);
    query.Bits(7, values, count);
    DecodeNormalReply(t, [&](TMessageReader& reply) { return EchoesFields(query, reply, 2); });
    DoMultipleCoilsWrite(t.Info, start, count, values);
}

void TModbusClient::CompleteMultipleRegistersWrite(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    const std::uint16_t start = query.Word(2);
    const std::uint16_t count = query.Word(4);
    TRegValues values(count, 0);
    for (std::uint16_t i = 0; i < count; ++i) {
        values[i] = query.Word(7 + 2 * i);
    }
    DecodeNormalReply(t, [&](TMessageReader& reply) { return EchoesFields(query, reply, 2); });
    DoMultipleRegistersWrite(t.Info, start, count, values);
}

void TModbusClient::CompleteMaskWrite(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    const std::uint16_t address = query.Word(2);
    const std::uint16_t andMask = query.Word(4);
    const std::uint16_t orMask = query.Word(6);
    DecodeNormalReply(t, [&](TMessageReader& reply) { return EchoesFields(query, reply, 3); });
    DoSingleRegisterMaskWrite(t.Info, address, andMask, orMask);
}

void TModbusClient::CompleteReadWriteMultiple(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    const std::uint16_t readStart = query.Word(2);
    const std::uint16_t readCount = query.Word(4);
    const std::uint16_t writeStart = query.Word(6);
    const std::uint16_t writeCount = query.Word(8);
    TRegValues written(writeCount, 0);
    for (std::uint16_t i = 0; i < writeCount; ++i) {
        written[i] = query.Word(11 + 2 * i);
    }
    TRegValues read(readCount, 0);
    DecodeNormalReply(t, [&](TMessageReader& reply) {
        if (!reply.Has(2, 1) || reply.Byte(2) / 2 != readCount ||
            !HasCountedData(reply, 2 * readCount)) {
            return false;
        }
        for (std::uint16_t i = 0; i < readCount; ++i) {
            read[i] = reply.Word(3 + 2 * i);
        }
        return true;
    });
    DoMultipleRegistersReadWrite(t.Info, readStart, readCount, read, writeStart, writeCount,
                                 written);
}

void TModbusClient::CompleteExceptionStatus(TModbusTransaction& t) {
    TExceptionStatusValues values(8, false);
    DecodeNormalReply(t, [&](TMessageReader& reply) {
        if (!reply.Has(2, 1)) {
            return false;
        }
        reply.Bits(2, values, 8);
        return true;
    });
    DoExceptionStatusRead(t.Info, values);
}

void TModbusClient::CompleteDiagnostics(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    const std::uint16_t subFunction = query.Word(2);
    const std::uint16_t requestData = query.Word(4);
    std::size_t index = 0;
    while (index < kDiagnosticSubFunctions.size() &&
           kDiagnosticSubFunctions[index] != subFunction) {
        ++index;
    }
    if (index == kDiagnosticSubFunctions.size()) {
        throw ECorvaneError(msgDiagnosticActionUnknown);
    }
    auto action = static_cast<TDiagnosticAction>(index);
    if (action == daRestartCommsOption && requestData == kCoilOn) {
        action = daRestartCommsOptionAndClearEventLog;
    }
    std::uint16_t result = 0;
    DecodeNormalReply(t, [&](TMessageReader& reply) {
        if (!reply.Has(2, 4) || reply.Word(2) != subFunction) {
            return false;
        }
        const std::uint16_t replyData = reply.Word(4);
        switch (action) {
        case daReturnQueryData:
        case daRestartCommsOption:
        case daRestartCommsOptionAndClearEventLog:
        case daClearCountersAndDiagnosticRegister:
        case daClearOverrunCounterAndFlag:
            return replyData == requestData;
        default:
            result = replyData;
            return true;
        }
    });
    if (t.Info.Status == rsUnmatched) {
        result = 0;
    }
    DoDiagnostics(t.Info, action, result);
}

void TModbusClient::CompleteServerIdentification(TModbusTransaction& t) {
    std::int32_t count = 0;
    TServerIdentificationData data;
    DecodeNormalReply(t, [&](TMessageReader& reply) {
        if (!reply.Has(2, 1) || !HasCountedData(reply, reply.Byte(2))) {
            return false;
        }
        count = reply.Byte(2);
        data.resize(static_cast<std::size_t>(count));
        for (std::int32_t i = 0; i < count; ++i) {
            data[static_cast<std::size_t>(i)] = reply.Byte(3 + i);
        }
        return true;
    });
    if (t.Info.Status != rsNormalResponse) {
        count = 0;
        data.clear();
    }
    DoServerIdentificationReport(t.Info, count, data);
}

void TModbusClient::CompleteFileRecordRead(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    TModbusFileRecordList records;
    const std::int32_t recordCount = query.Byte(2) / 7;
    for (std::int32_t i = 0; i < recordCount; ++i) {
        const std::int32_t base = 3 + 7 * i;
        records.Add(query.Word(base + 1), query.Word(base + 3), query.Word(base + 5));
    }
    DecodeNormalReply(t, [&](TMessageReader& reply) {
        std::int32_t expected = 0;
        for (std::int32_t i = 0; i < records.Count(); ++i) {
            expected += 2 * records.Items(i).RegCount() + 2;
        }
        if (!reply.Has(2, 1) || reply.Byte(2) != expected) {
            return false;
        }
        std::int32_t position = 3;
        for (std::int32_t i = 0; i < records.Count(); ++i) {
            TModbusFileRecord& record = records.Items(i);
            if (!reply.Has(position, 2) || reply.Byte(position) != 2 * record.RegCount() + 1 ||
                reply.Byte(position + 1) != kFileRecordReferenceType) {
                return false;
            }
            position += 2;
            if (!reply.Has(position, 2 * record.RegCount())) {
                return false;
            }
            for (std::int32_t r = 0; r < record.RegCount(); ++r) {
                record.RegValues[static_cast<std::size_t>(r)] = reply.Word(position);
                position += 2;
            }
        }
        return true;
    });
    DoFileRecordRead(t.Info, records);
}

void TModbusClient::CompleteFileRecordWrite(TModbusTransaction& t) {
    TMessageReader query(t.Query);
    TModbusFileRecordList records;
    const std::int32_t end = 3 + query.Byte(2);
    std::int32_t position = 3;
    while (position < end) {
        TModbusFileRecord& record = records.Add(query.Word(position + 1), query.Word(position + 3),
                                                query.Word(position + 5));
        position += 7;
        for (std::int32_t r = 0; r < record.RegCount(); ++r) {
            record.RegValues[static_cast<std::size_t>(r)] = query.Word(position);
            position += 2;
        }
    }
    DecodeNormalReply(t, [&](TMessageReader&) {
        return t.Reply.Size() == t.Query.Size() &&
               std::memcmp(t.Reply.Data(), t.Query.Data(),
                           static_cast<std::size_t>(t.Reply.Size())) == 0;
    });
    DoFileRecordWrite(t.Info, records);
}

void TModbusClient::CompleteCustom(TModbusTransaction& t, std::uint8_t command) {
    TTransactionInfo& info = t.Info;
    if (t.AcceptAnyAddress && info.Status >= rsUnmatched) {
        info.ServerAddress = FrameAddress(t.Reply);
    }
    // The PDU without its function code: every byte after the address and function code.
    auto pdu = [](const TModbusBuffer& buffer) {
        const std::int32_t length = buffer.Size() - 2;
        return length > 0 ? std::string(reinterpret_cast<const char*>(buffer.Data()) + 2,
                                        static_cast<std::size_t>(length))
                          : std::string();
    };
    const std::string request = pdu(t.Query);
    const std::string response = info.Status == rsNormalResponse ? pdu(t.Reply) : std::string();
    DoCustomTransactionComplete(info, command, request, response);
}

void TModbusClient::SuperviseTimeouts(const TTransactionInfo& info) {
    if (FMaxConsecutiveTimeouts < 0) {
        return;
    }
    if (info.Status >= rsUnmatched) {
        FConsecutiveTimeouts = 0;
        return;
    }
    FConsecutiveTimeouts += info.Attempts;
    if (FConsecutiveTimeouts > static_cast<std::uint32_t>(FMaxConsecutiveTimeouts)) {
        FConsecutiveTimeouts = 0;
        DoConsecutiveTimeoutLimitExceed();
    }
}

// --- Event triggers -------------------------------------------------------------------------

#define CORVANE_FIRE(Trigger, Event, Params, Args)                                                 \
    void TModbusClient::Trigger Params {                                                           \
        if (Event) {                                                                               \
            Event Args;                                                                            \
        }                                                                                          \
    }
CORVANE_FIRE(DoCoilsRead, OnCoilsRead,
             (TInfo info, std::uint16_t s, std::uint16_t c, const TBitValues& v),
             (*this, info, s, c, v))
CORVANE_FIRE(DoConsecutiveTimeoutLimitExceed, OnConsecutiveTimeoutLimitExceed, (), (*this))
CORVANE_FIRE(DoCustomTransactionComplete, OnCustomTransactionComplete,
             (TInfo info, std::uint8_t c, const std::string& rq, const std::string& rs),
             (*this, info, c, rq, rs))
CORVANE_FIRE(DoDiagnostics, OnDiagnostics, (TInfo info, TDiagnosticAction a, std::uint16_t r),
             (*this, info, a, r))
CORVANE_FIRE(DoDiscreteInputsRead, OnDiscreteInputsRead,
             (TInfo info, std::uint16_t s, std::uint16_t c, const TBitValues& v),
             (*this, info, s, c, v))
CORVANE_FIRE(DoExceptionStatusRead, OnExceptionStatusRead,
             (TInfo info, const TExceptionStatusValues& v), (*this, info, v))
CORVANE_FIRE(DoFileRecordRead, OnFileRecordRead, (TInfo info, const TModbusFileRecordList& l),
             (*this, info, l))
CORVANE_FIRE(DoFileRecordWrite, OnFileRecordWrite, (TInfo info, const TModbusFileRecordList& l),
             (*this, info, l))
CORVANE_FIRE(DoHoldingRegistersRead, OnHoldingRegistersRead,
             (TInfo info, std::uint16_t s, std::uint16_t c, const TRegValues& v),
             (*this, info, s, c, v))
CORVANE_FIRE(DoInputRegistersRead, OnInputRegistersRead,
             (TInfo info, std::uint16_t s, std::uint16_t c, const TRegValues& v),
             (*this, info, s, c, v))
CORVANE_FIRE(DoMultipleCoilsWrite, OnMultipleCoilsWrite,
             (TInfo info, std::uint16_t s, std::uint16_t c, const TBitValues& v),
             (*this, info, s, c, v))
CORVANE_FIRE(DoMultipleRegistersReadWrite, OnMultipleRegistersReadWrite,
             (TInfo info, std::uint16_t rs, std::uint16_t rc, const TRegValues& rv,
              std::uint16_t ws, std::uint16_t wc, const TRegValues& wv),
             (*this, info, rs, rc, rv, ws, wc, wv))
CORVANE_FIRE(DoMultipleRegistersWrite, OnMultipleRegistersWrite,
             (TInfo info, std::uint16_t s, std::uint16_t c, const TRegValues& v),
             (*this, info, s, c, v))
CORVANE_FIRE(DoServerIdentificationReport, OnServerIdentificationReport,
             (TInfo info, std::int32_t c, const TServerIdentificationData& d), (*this, info, c, d))
CORVANE_FIRE(DoSingleCoilWrite, OnSingleCoilWrite, (TInfo info, std::uint16_t a, bool v),
             (*this, info, a, v))
CORVANE_FIRE(DoSingleRegisterMaskWrite, OnSingleRegisterMaskWrite,
             (TInfo info, std::uint16_t a, std::uint16_t am, std::uint16_t om),
             (*this, info, a, am, om))
CORVANE_FIRE(DoSingleRegisterWrite, OnSingleRegisterWrite,
             (TInfo info, std::uint16_t a, std::uint16_t v), (*this, info, a, v))
CORVANE_FIRE(DoTransactionProcessed, OnTransactionProcessed,
             (TInfo info, std::uint8_t c, bool custom), (*this, info, c, custom))
CORVANE_FIRE(DoTranslateExceptionCode, OnTranslateExceptionCode,
             (std::uint8_t code, std::string& description), (*this, code, description))
#undef CORVANE_FIRE

} // namespace Corvane
