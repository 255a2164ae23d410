// The archive of one sondrel-cli download: the writer thread over the archive's location and
// the recorder that the engine reports to, with the instrument identified first (Report Server
// ID, else the name given with --name, else its address and port). The archive and the
// instrument are written to the log before the download starts.
//
// Main thread. Borrows the host (its PumpWait keeps the line running while the archive is
// waited for), the client and the connection, which must outlive it.
#pragma once

#include "ArchiveLocation.h"
#include "ArchiveRecorder.h"
#include "ArchiveWorker.h"

#include "DownloadHost.h"
#include "TransactionLog.h"

#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <string>

namespace SondrelCli {

class TCliArchive {
public:
    TCliArchive(const Sondrel::TArchiveLocation& location, Sondrel::TDownloadHost& host,
                Corvane::TModbusClient& client, const Corvane::TModbusConnection& connection,
                const std::string& operatorName, Sondrel::TTransactionLog& log);

    Sondrel::TArchiveRecorder& Recorder() { return FRecorder; }

private:
    Sondrel::TArchiveWorker FWorker;
    Sondrel::TArchiveRecorder FRecorder;
};

} // namespace SondrelCli
