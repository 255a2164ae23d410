#include "CliArchive.h"

#include "InstrumentIdentity.h"
#include "OpenArchive.h"

namespace SondrelCli {

using namespace Sondrel;

TCliArchive::TCliArchive(const TArchiveLocation& location, TDownloadHost& host,
                         Corvane::TModbusClient& client,
                         const Corvane::TModbusConnection& connection,
                         const std::string& operatorName, TTransactionLog& log)
    : FWorker([location] { return OpenArchive(location); }),
      FRecorder(FWorker, [&host](std::int32_t ms) { host.PumpWait(ms); }) {
    auto wait = [&host](std::int32_t ms) { host.PumpWait(ms); };
    const TInstrumentDescription instrument =
        IdentifyInstrument(client, connection, operatorName, wait);
    FRecorder.SetInstrument(instrument);
    FRecorder.SetLineSettings(DescribeLine(connection, client.ServerAddress()));
    log.AddLogLine("Archive: " + location.Text);
    log.AddLogLine(InstrumentLogLine(instrument));
}

} // namespace SondrelCli
