// Request processing of the server with a populated item map, on buffers alone (an offline
// link, no line): arbitrary request messages are dispatched to the servers. No crash, no read
// or write outside a buffer, and every reply encodes to a well-formed frame from the
// addressed server, normal or exception.
#include "LogView.h"
#include "ServerItemBinding.h"
#include "ServerItemMap.h"
#include "TransactionLog.h"

#include "OfflineLink.h"

#include "Framing.h"
#include "FunctionCodes.h"
#include "ModbusServer.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace Corvane;
using namespace Sondrel;

namespace {

class TNullView : public ILogView {
public:
    void AppendLine(const std::string&, const TLogStyle&) override {}
    void Clear() override {}
};

struct TServerRig {
    TestSupport::TOfflineLink Link;
    TModbusServer Server;
    TServerItemMap Map;
    TNullView View;
    TTransactionLog Log{View};
    TServerItemBinding Binding{Server, Map, Log};

    explicit TServerRig(TTransmissionMode mode) : Link(mode) {
        for (std::uint16_t a = 0; a < 16; ++a) {
            Add(ikCoil, a, a % 2, a != 3);
        }
        for (std::uint16_t a = 0; a < 8; ++a) {
            Add(ikDiscreteInput, a, 1, false);
        }
        for (std::uint16_t a = 0; a < 10; ++a) {
            Add(ikHoldingRegister, a, 100 * a, true);
        }
        Add(ikHoldingRegister, 20, 7, false);
        for (std::uint16_t a = 100; a < 104; ++a) {
            Add(ikInputRegister, a, a, false);
        }
        Binding.Bind();
        Server.SetAddress(17);
        Server.SetConnection(&Link);
    }

    void Add(TServerItemKind kind, std::uint16_t address, std::uint16_t value, bool writeable) {
        TServerItem item = NewServerItem(kind);
        item.Address = address;
        item.Value = value;
        item.Max = 1000;
        item.Writeable = writeable ? 1 : 0;
        Map.AddOrOverwrite(item);
    }
};

TServerRig& Rig(TTransmissionMode mode) {
    static TServerRig rtu(tmRTU);
    static TServerRig ascii(tmASCII);
    return mode == tmRTU ? rtu : ascii;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const TTransmissionMode mode = (data[0] & 1) ? tmASCII : tmRTU;
    TServerRig& rig = Rig(mode);
    // Requests go to the server's own address or to broadcast; the largest message the
    // framing can deliver fills the buffer less its check.
    std::vector<std::uint8_t> request = {static_cast<std::uint8_t>((data[1] & 1) ? 17 : 0)};
    const auto room = static_cast<std::size_t>(rig.Link.QueryBufferSize() - CheckSize(mode));
    for (std::size_t i = 2; i < size && request.size() < room; ++i) {
        request.push_back(data[i]);
    }
    const auto transaction = rig.Link.Dispatch(request);

    TModbusBuffer& reply = transaction->Reply;
    if (transaction->Info.ServerAddress == 0) {
        if (reply.Size() != 0) {
            std::abort(); // broadcasts are never answered
        }
        return 0;
    }
    if (reply.Size() == 0) {
        std::abort(); // the addressed server always answers
    }
    // The reply fits the worker's frame buffer (EncodeFrame raises otherwise).
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(FrameBufferSize(mode)));
    const std::int32_t n =
        EncodeFrame(mode, reply, raw.data(), static_cast<std::int32_t>(raw.size()));
    TModbusBuffer decoded(rig.Link.QueryBufferSize());
    if (!DecodeFrame(mode, cmClient, raw.data(), n, decoded) || FrameAddress(decoded) != 17) {
        std::abort();
    }
    const std::uint8_t function = FunctionCode(decoded);
    const std::uint8_t command = FunctionCode(transaction->Query);
    if (function != command && function != (command | FunctionCodes::ExceptionFlag)) {
        std::abort();
    }
    return 0;
}
