#include "LineCollector.h"

#include "CliArchive.h"
#include "CliDownloadHost.h"
#include "DownloadProgress.h"
#include "StdoutLogView.h"

#include "ConnectionLogBinding.h"

#include "ClientDownloadCompletions.h"
#include "ClientDownloadRequests.h"
#include "DownloadEngine.h"

#include "CorvaneError.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <chrono>
#include <iostream>

namespace SondrelCli {

using namespace Sondrel;

namespace {

// The CLI's host, whose waits also stop the download once the process is asked to stop.
class TCollectHost : public TCliDownloadHost {
public:
    TCollectHost(TTransactionLog& log, TDownloadInputs inputs, Corvane::TBaudRate baudRate,
                 TDelayMenuChoice delay, const std::atomic<bool>& stop)
        : TCliDownloadHost(log, std::move(inputs), baudRate, delay), FStop(stop) {}

    TDownloadEngine* Engine = nullptr;
    bool Stopped() const { return FStopped; }

    void PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) override {
        if (FStop && !FStopped && Engine != nullptr) {
            FStopped = true;
            Engine->StopDownload();
        }
        TCliDownloadHost::PumpWaitUntil([&] { return done() || (FStop && !FStopped); }, ms);
    }

private:
    const std::atomic<bool>& FStop;
    bool FStopped = false;
};

} // namespace

bool TLineCollector::Run() {
    const TArchiveLocation archive =
        ParseArchiveLocation(FJob.Archive).value_or(ResolveArchiveLocation("", "", ""));
    TStdoutLogView view;
    view.Silent = true;
    TTransactionLog log(view);
    Corvane::TModbusConnection connection;
    SondrelOptions::ApplyLineOptions(FJob.Line.Line, connection);
    Corvane::TModbusClient client;
    client.SetConnection(&connection);
    BindConnectionLog(connection, log);

    auto report = [this](const TCollectInstrument& instrument, TCollectOutcome outcome,
                         std::int64_t added, double seconds, const std::string& reason) {
        TInstrumentReport r;
        r.Round = FJob.Round;
        r.Name = instrument.Name;
        r.Line = FJob.Line.Name;
        r.Address = instrument.Address;
        r.Outcome = outcome;
        r.RecordsAdded = added;
        r.DurationSeconds = seconds;
        r.Reason = reason;
        FReport(r);
    };

    try {
        connection.SetActive(true);
    } catch (const Corvane::ECorvaneError& e) {
        for (const TCollectInstrument& instrument : FJob.Line.Instruments) {
            report(instrument, TCollectOutcome::Failed, 0, 0, SondrelOptions::LineFailureText(e));
        }
        return false;
    }
    bool allCollected = true;
    for (const TCollectInstrument& instrument : FJob.Line.Instruments) {
        if (FStop) {
            allCollected = false;
            break;
        }
        const auto started = std::chrono::steady_clock::now();
        client.SetServerAddress(instrument.Address);
        TDownloadInputs inputs;
        inputs.IntervalText = "1";
        inputs.RecordsText = std::to_string(instrument.FirstRecords);
        TDownloadProgress progress(std::cerr, TDownloadProgress::psQuiet);
        TCollectHost host(log, inputs, connection.BaudRate(), instrument.Pacing, FStop);
        host.Quiet = true;
        host.Silent = true;
        TClientDownloadRequests requests(client);
        TDownloadEngine engine(host, requests, progress);
        const TClientDownloadCompletions completions(client, engine);
        engine.UpdateCommunicationDelays();
        host.Engine = &engine;

        std::int64_t added = 0;
        std::string reason;
        {
            TCliArchive recording(archive, host, client, connection, instrument.Name, log);
            engine.SetArchive(&recording.Recorder());
            engine.newRecordsButtonClick();
            engine.SetArchive(nullptr);
            added = recording.Recorder().LastRecordsAdded();
        } // what is pending is committed here
        host.Engine = nullptr;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        TCollectOutcome outcome = TCollectOutcome::Collected;
        if (host.Stopped()) {
            outcome = TCollectOutcome::Stopped;
            reason = "asked to stop";
        } else if (engine.State().DownloadFailed || host.FailureReported()) {
            outcome = TCollectOutcome::Failed;
            reason = host.LastFailure().empty() ? "the download failed" : host.LastFailure();
        }
        allCollected = allCollected && outcome == TCollectOutcome::Collected;
        report(instrument, outcome, added, seconds, reason);
    }
    connection.SetActive(false);
    return allCollected;
}

} // namespace SondrelCli
