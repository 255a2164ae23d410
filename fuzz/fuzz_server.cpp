// Request processing of the server with a populated item map: arbitrary request bytes (the
// frame check is appended, as a decoded frame carries it) are dispatched to the servers. No
// crash, no read or write outside a buffer, and every reply is a well-formed frame from the
// addressed server, normal or exception.
#include "LogView.h"
#include "ServerItemBinding.h"
#include "ServerItemMap.h"
#include "TransactionLog.h"

#include "Framing.h"
#include "ModbusConnection.h"
#include "ModbusServer.h"

#include <pty.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace Corvane;
using namespace Sondrel;

namespace {

class TNullView : public ILogView {
public:
    void AppendLine(const std::string&, const TLogStyle&) override {}
    void Clear() override {}
};

struct TServerRig {
    int Master = -1;
    int Slave = -1;
    TModbusConnection Connection;
    TModbusServer Server;
    TServerItemMap Map;
    TNullView View;
    TTransactionLog Log{View};
    TServerItemBinding Binding{Server, Map, Log};

    explicit TServerRig(TTransmissionMode mode) {
        char name[256];
        if (::openpty(&Master, &Slave, name, nullptr, nullptr) != 0) {
            std::abort();
        }
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
        Connection.SetPort(name);
        Connection.SetConnectionMode(cmServer);
        Connection.SetTransmissionMode(mode);
        Server.SetAddress(17);
        Server.SetConnection(&Connection);
        Connection.SetActive(true);
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
    TModbusConnection& connection = rig.Connection;
    auto transaction = std::make_unique<TModbusTransaction>(connection.QueryBufferSize());
    const std::size_t room =
        static_cast<std::size_t>(connection.QueryBufferSize() - CheckSize(mode));
    // Requests go to the server's own address or to broadcast.
    transaction->Query.WriteByte((data[1] & 1) ? 17 : 0);
    for (std::size_t i = 2; i < size && i - 1 < room; ++i) {
        transaction->Query.WriteByte(data[i]);
    }
    transaction->Info.ServerAddress = FrameAddress(transaction->Query);
    connection.DispatchToServers(*transaction);

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
    std::uint8_t raw[600];
    const std::int32_t n = EncodeFrame(mode, reply, raw, sizeof raw);
    TModbusBuffer decoded(connection.QueryBufferSize());
    if (!DecodeFrame(mode, cmClient, raw, n, decoded) || FrameAddress(decoded) != 17) {
        std::abort();
    }
    const std::uint8_t function = FunctionCode(decoded);
    const std::uint8_t command = FunctionCode(transaction->Query);
    if (function != command && function != (command | 0x80)) {
        std::abort();
    }
    return 0;
}
