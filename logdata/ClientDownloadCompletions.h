// TClientDownloadCompletions: subscribes a download engine to the two completions of a Modbus
// client that the download uses, holding-register reads and single-register writes, beside
// whatever handler the client already has for them (in the window, the console's completion
// reporter, which writes its lines for console reads and writes first). Every completion
// reaches the engine, during a download or not: the engine tells its own replies apart.
//
// Subscribe after the other handlers are bound and unsubscribe (destroy) before they are
// unbound: the destructor puts back the handlers that were there before.
//
// Main thread only (the client raises its events there). Borrows the client and the engine,
// which must outlive it.
#pragma once

#include "ModbusClient.h"

namespace Sondrel {

class TDownloadEngine;

class TClientDownloadCompletions {
public:
    TClientDownloadCompletions(Corvane::TModbusClient& client, TDownloadEngine& engine);
    ~TClientDownloadCompletions();
    TClientDownloadCompletions(const TClientDownloadCompletions&) = delete;
    TClientDownloadCompletions& operator=(const TClientDownloadCompletions&) = delete;

private:
    Corvane::TModbusClient& FClient;
    Corvane::TModbusClient::TMultipleRegistersAccessEvent FPreviousRead;
    Corvane::TModbusClient::TSingleRegisterWriteEvent FPreviousWrite;
};

} // namespace Sondrel
