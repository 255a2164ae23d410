// TServerItemBinding: makes a TModbusServer answer from the local server's item map. Every
// item event of the server is bound to the map's answers; each refused read or write is
// written to the transaction log, and a value written by the remote client changes the map in
// memory (the file is written only when the operator edits the map).
//
// Main thread only. Does not own the server, the map or the log; they must outlive it.
#pragma once

#include "ServerItemMap.h"
#include "TransactionLog.h"

#include "ModbusServer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace Sondrel {

class TServerItemBinding {
public:
    TServerItemBinding(Corvane::TModbusServer& server, TServerItemMap& map, TTransactionLog& log);

    // Binds the server's events; call once.
    void Bind();

    // Called with the row whose value a remote client changed (the window refreshes it).
    std::function<void(std::size_t row)> OnRowChanged;

    // The handlers of the server's item events, named after the server and the event.
    void ModbusServer1AcceptCommand(std::uint8_t command, bool& accept);
    void ModbusServer1CanReadCoil(std::uint16_t address, bool& allow);
    void ModbusServer1CanReadDiscreteInput(std::uint16_t address, bool& allow);
    void ModbusServer1CanReadHoldingRegister(std::uint16_t address, bool& allow);
    void ModbusServer1CanReadInputRegister(std::uint16_t address, bool& allow);
    void ModbusServer1CanWriteCoil(std::uint16_t address, Corvane::TItemWriteStatus& status);
    void ModbusServer1CanWriteHoldingRegister(std::uint16_t address, std::uint16_t value,
                                              Corvane::TItemWriteStatus& status);
    void ModbusServer1GetCoilValue(std::uint16_t address, bool& value);
    void ModbusServer1GetDiscreteInputValue(std::uint16_t address, bool& value);
    void ModbusServer1GetHoldingRegisterValue(std::uint16_t address, std::uint16_t& value);
    void ModbusServer1GetInputRegisterValue(std::uint16_t address, std::uint16_t& value);
    void ModbusServer1SetCoilValue(std::uint16_t address, bool value);
    void ModbusServer1SetHoldingRegisterValue(std::uint16_t address, std::uint16_t value);

private:
    void LogRefusal(const std::optional<std::string>& line);
    // The read permission and values shared by the four kinds.
    void CanRead(TServerItemKind kind, std::uint16_t address, bool& allow);
    void GetBitValue(TServerItemKind kind, std::uint16_t address, bool& value);
    void GetRegisterValue(TServerItemKind kind, std::uint16_t address, std::uint16_t& value);
    void RowChanged(const std::optional<std::size_t>& row);

    Corvane::TModbusServer& FServer;
    TServerItemMap& FMap;
    TTransactionLog& FLog;
};

} // namespace Sondrel
