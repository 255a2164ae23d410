#include "SimulatorConnection.h"

#include "RequestDescription.h"
#include "WireTime.h"

#include "FrameTiming.h"

#include "FunctionCodes.h"

#include "ModbusServer.h"

#include <chrono>
#include <thread>

namespace SondrelSim {

using namespace Corvane;

bool TSimulatorConnection::HasServerFor(std::uint8_t address) const {
    for (const TModbusServer* server : Servers()) {
        if (server->Address() == address) {
            return true;
        }
    }
    return false;
}

void TSimulatorConnection::Log(const std::string& line) const {
    if (OnRequestLog) {
        OnRequestLog(line);
    }
}

std::chrono::microseconds TSimulatorConnection::LineTime(const TModbusTransaction& t) const {
    const std::uint32_t baud =
        BaudRate() == brCustom ? CustomBaudRate() : BaudRateValue(BaudRate());
    return WireTime(TransmissionMode(), t.Query.Size(), t.Reply.Size(), baud,
                    BitsPerCharacter(DataBits(), Parity(), StopBits()));
}

void TSimulatorConnection::DispatchToServers(TModbusTransaction& transaction) {
    const auto arrived = std::chrono::steady_clock::now();
    const std::uint8_t address = transaction.Info.ServerAddress;
    const std::string request =
        "address " + std::to_string(address) + ": " + DescribeRequest(transaction.Query);
    if (address == 0 || !HasServerFor(address)) {
        TModbusConnection::DispatchToServers(transaction);
        Log(request + (address == 0 ? " (broadcast, no reply)" : " (not ours, no reply)"));
        return;
    }
    if (FFaults.IsSilenced(transaction.Query)) {
        transaction.Reply.SetSize(0);
        Log(request + " -> silent register, no reply");
        return;
    }
    if (FFaults.IsChosenDrop(transaction.Query)) {
        transaction.Reply.SetSize(0);
        Log(request + " -> dropped (the chosen request), no reply");
        return;
    }
    if (FFaults.DropNextRequest()) {
        transaction.Reply.SetSize(0);
        Log(request + " -> dropped, no reply");
        return;
    }
    if (ServerIdReply && transaction.Query.Size() >= 2 &&
        transaction.Query.Data()[1] == FunctionCodes::ReportServerID) {
        const std::vector<std::uint8_t> data = ServerIdReply(address);
        TModbusBuffer& reply = transaction.Reply;
        reply.SetSize(0);
        reply.SetPosition(0);
        reply.WriteByte(address);
        reply.WriteByte(FunctionCodes::ReportServerID);
        reply.WriteByte(static_cast<std::uint8_t>(data.size()));
        for (const std::uint8_t b : data) {
            reply.WriteByte(b);
        }
    } else {
        TModbusConnection::DispatchToServers(transaction);
    }
    std::string outcome = DescribeReply(transaction.Reply);
    if (transaction.Reply.Size() > 0 && FFaults.CorruptNextReply()) {
        FCorruptReply = true;
        outcome += ", corrupted";
    }
    if (FWireTime && transaction.Reply.Size() > 0) {
        std::this_thread::sleep_until(arrived + LineTime(transaction));
    }
    if (FFaults.DelayMs() > 0 && transaction.Reply.Size() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(FFaults.DelayMs()));
        outcome += ", delayed " + std::to_string(FFaults.DelayMs()) + " ms";
    }
    Log(request + " -> " + outcome);
}

std::int32_t TSimulatorConnection::EncodeReply(const TModbusBuffer& reply, std::uint8_t* raw,
                                               std::int32_t rawSize) {
    const std::int32_t length = TModbusConnection::EncodeReply(reply, raw, rawSize);
    if (FCorruptReply.exchange(false)) {
        TFaultInjector::CorruptCheck(TransmissionMode(), raw, length);
    }
    return length;
}

} // namespace SondrelSim
