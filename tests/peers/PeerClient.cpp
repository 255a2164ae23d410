#include "PeerClient.h"

#include "MainThreadPump.h"

using namespace Corvane;

namespace PeerTests {

PeerClient::PeerClient(const std::string& port, TTransmissionMode mode) {
    TMainThreadBridge::Instance().AdoptCurrentThread();
    Connection.SetPort(port);
    Connection.SetTransmissionMode(mode);
    Connection.SetReceiveTimeout(1000);
    Client.SetConnection(&Connection);

    Client.OnCoilsRead = Client.OnDiscreteInputsRead = Client.OnMultipleCoilsWrite =
        [this](TModbusClient&, const TTransactionInfo& info, std::uint16_t start,
               std::uint16_t count, const TBitValues& values) {
            Outcome& o = Record(info);
            o.Start = start;
            o.Count = count;
            o.Bits = values;
        };
    Client.OnHoldingRegistersRead = Client.OnInputRegistersRead = Client.OnMultipleRegistersWrite =
        [this](TModbusClient&, const TTransactionInfo& info, std::uint16_t start,
               std::uint16_t count, const TRegValues& values) {
            Outcome& o = Record(info);
            o.Start = start;
            o.Count = count;
            o.Registers = values;
        };
    Client.OnSingleCoilWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                      std::uint16_t address, bool value) {
        Outcome& o = Record(info);
        o.Start = address;
        o.Bits = {value};
    };
    Client.OnSingleRegisterWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                          std::uint16_t address, std::uint16_t value) {
        Outcome& o = Record(info);
        o.Start = address;
        o.Registers = {value};
    };
    Client.OnSingleRegisterMaskWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                              std::uint16_t address, std::uint16_t andMask,
                                              std::uint16_t orMask) {
        Outcome& o = Record(info);
        o.Start = address;
        o.Registers = {andMask, orMask};
    };
    Client.OnMultipleRegistersReadWrite = [this](TModbusClient&, const TTransactionInfo& info,
                                                 std::uint16_t readStart, std::uint16_t readCount,
                                                 const TRegValues& readValues, std::uint16_t,
                                                 std::uint16_t, const TRegValues&) {
        Outcome& o = Record(info);
        o.Start = readStart;
        o.Count = readCount;
        o.Registers = readValues;
    };
    Client.OnExceptionStatusRead = [this](TModbusClient&, const TTransactionInfo& info,
                                          const TExceptionStatusValues& status) {
        Record(info).Status = status;
    };
    Client.OnDiagnostics = [this](TModbusClient&, const TTransactionInfo& info,
                                  TDiagnosticAction action, std::uint16_t result) {
        Outcome& o = Record(info);
        o.Action = action;
        o.Result = result;
    };
    Client.OnServerIdentificationReport = [this](TModbusClient&, const TTransactionInfo& info,
                                                 std::int32_t count,
                                                 const TServerIdentificationData& data) {
        Outcome& o = Record(info);
        o.IdentificationCount = count;
        o.IdentificationData = data;
    };
    // Fires after the function's own event: the outcome is complete.
    Client.OnTransactionProcessed = [this](TModbusClient&, const TTransactionInfo& info,
                                           std::uint8_t command, bool) {
        Outcome& o = Record(info);
        o.Command = command;
        o.Arrived = true;
    };
}

Outcome& PeerClient::Record(const TTransactionInfo& info) {
    Outcome& o = FOutcomes[info.ID];
    o.Info = info;
    return o;
}

Outcome PeerClient::Run(const std::function<std::int32_t()>& request,
                        std::chrono::milliseconds timeout) {
    const std::int32_t id = request();
    TestSupport::PumpUntil(
        [&] {
            const auto it = FOutcomes.find(id);
            return it != FOutcomes.end() && it->second.Arrived;
        },
        timeout);
    Outcome result = FOutcomes[id];
    FOutcomes.erase(id);
    return result;
}

} // namespace PeerTests
