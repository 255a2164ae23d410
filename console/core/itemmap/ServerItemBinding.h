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
#include <functional>

namespace Sondrel {

class TServerItemBinding {
public:
    TServerItemBinding(Corvane::TModbusServer& server, TServerItemMap& map, TTransactionLog& log);

    // Binds the server's events; call once.
    void Bind();

    // Called with the row whose value a remote client changed (the window refreshes it).
    std::function<void(std::size_t row)> OnRowChanged;

private:
    void LogRefusal(const std::optional<std::string>& line);

    Corvane::TModbusServer& FServer;
    TServerItemMap& FMap;
    TTransactionLog& FLog;
};

} // namespace Sondrel
