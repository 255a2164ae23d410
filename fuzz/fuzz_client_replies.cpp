// The client's reply decoders on buffers alone (an offline link, no line), fed as completed
// transactions: a request of one of the client's functions (chosen by the first input byte,
// with fields from the next bytes) and an arbitrary reply message (the rest of the input).
// No crash, no read outside a buffer, no error but for an unknown diagnostics sub-function,
// every completion event fires once, and a reply that fails a check is reported as
// rsUnmatched, never as a normal response with garbage values.
#include "OfflineLink.h"

#include "CorvaneError.h"
#include "Framing.h"
#include "FunctionCodes.h"
#include "ModbusClient.h"
#include "RequestPdu.h"

#include <array>
#include <cstdlib>
#include <memory>

using namespace Corvane;

namespace {

struct TClientRig {
    TestSupport::TOfflineLink Link;
    TModbusClient Client;
    int Events = 0;

    TClientRig() {
        Client.SetConnection(&Link);
        Client.OnTransactionProcessed = [this](TModbusClient&, const TTransactionInfo&,
                                               std::uint8_t, bool) { ++Events; };
    }
};

TClientRig& Rig() {
    static TClientRig rig;
    return rig;
}

std::uint16_t Word(const std::uint8_t* data, std::size_t size, std::size_t at) {
    return at + 1 < size ? static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]) : 1;
}

// The request of one of the client's functions, with its fields taken from the input.
void BuildQuery(TModbusBuffer& q, std::uint8_t pick, const std::uint8_t* data, std::size_t size) {
    const std::uint16_t a = Word(data, size, 1);
    const std::uint16_t b = static_cast<std::uint16_t>(Word(data, size, 3) % 130 + 1);
    q.WriteByte(1);
    switch (pick % 12) {
    case 0:
        ReadPdu(q, FunctionCodes::ReadCoils, 0, static_cast<std::uint16_t>(b * 15 % 2048 + 1));
        break;
    case 1:
        ReadPdu(q, FunctionCodes::ReadDiscreteInputs, 0, b);
        break;
    case 2:
        ReadPdu(q, FunctionCodes::ReadHoldingRegisters, a, static_cast<std::uint16_t>(b % 128 + 1));
        break;
    case 3:
        ReadPdu(q, FunctionCodes::ReadInputRegisters, 0, static_cast<std::uint16_t>(b % 128 + 1));
        break;
    case 4:
        WriteSingleCoilPdu(q, a, (b & 1) != 0);
        break;
    case 5:
        WriteSingleRegisterPdu(q, a, b);
        break;
    case 6:
        WriteMultipleCoilsPdu(q, a % 1000, TBitValues(b % 100 + 1, true));
        break;
    case 7:
        WriteMultipleRegistersPdu(q, a % 1000, TRegValues(b % 100 + 1, 7));
        break;
    case 8:
        q.WriteByte(FunctionCodes::ReadExceptionStatus);
        break;
    case 9:
        q.WriteByte(FunctionCodes::Diagnostics);
        q.WriteWord(static_cast<std::uint16_t>(b % 0x15));
        q.WriteWord(a);
        break;
    case 10:
        q.WriteByte(FunctionCodes::ReportServerID);
        break;
    default:
        q.WriteByte(FunctionCodes::MaskWriteRegister);
        q.WriteWord(a);
        q.WriteWord(b);
        q.WriteWord(a);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    TClientRig& rig = Rig();
    TModbusTransaction t(rig.Link.QueryBufferSize());
    BuildQuery(t.Query, data[0], data, size);
    t.Client = &rig.Client;
    t.Info.ServerAddress = 1;
    static constexpr std::array<TReplyStatus, 4> kStatuses = {
        rsNormalResponse, rsNormalResponse, rsExceptionResponse, rsTimeoutExpired};
    t.Info.Status = kStatuses[data[5] % kStatuses.size()];
    const std::size_t room =
        static_cast<std::size_t>(rig.Link.QueryBufferSize() - CheckSize(tmRTU));
    for (std::size_t i = 6; i < size && i - 6 < room; ++i) {
        t.Reply.WriteByte(data[i]);
    }
    const TReplyStatus before = t.Info.Status;
    const int events = rig.Events;
    try {
        rig.Client.ProcessTransaction(t);
    } catch (const ECorvaneError& e) {
        // Only an unknown diagnostics sub-function may end a completion with an error: the
        // requests here are well formed, so an internal error is a fault of the decoders.
        if (FunctionCode(t.Query) != FunctionCodes::Diagnostics ||
            e.MessageId() != msgDiagnosticActionUnknown) {
            std::abort();
        }
        return 0;
    }
    if (rig.Events != events + 1) {
        std::abort();
    }
    // A decoder may only turn a normal response into rsUnmatched, nothing else.
    if (t.Info.Status != before && !(before == rsNormalResponse && t.Info.Status == rsUnmatched)) {
        std::abort();
    }
    return 0;
}
