// The speed of the line itself, in one run: sondrel-sim --wire-time on a pseudo-terminal pair
// takes as long as a real line at 115200 and at 9600 bit/s (8N1), and the same exchanges are
// made by our client and by an independent libmodbus master:
//   RoundTrip   one 10-register read on a quiet line (each read starts 5 ms after the one
//               before ended, a pause that is not timed), median and 90th percentile, with
//               our classic and our standard frame timing, beside libmodbus (which ends a
//               reply by its length too);
//   BackToBack  the same reads, each sent as soon as the one before completed: with the
//               standard timing ours keeps the 3.5-character silence (1.75 ms above 19200
//               bit/s) before each request, which libmodbus does not;
//   Download    "Retrieve Data" of the 200 most recent records by our download engine over our
//               client, with --delay fast (classic timing, as before) and with --delay line
//               (classic and standard timing), beside a libmodbus master that writes the record
//               pointer (254) and reads the 104-register block (256) back to back for the same
//               200 records; with the line-speed estimate beside the measured time.
// A table of every ratio to libmodbus follows the benchmark output.
//
// Run from a release build: build/release/bench/bench_line_speed
// (--benchmark_filter=RoundTrip|BackToBack|Download picks a group; the downloads at 9600 bit/s
// take about six minutes).
#include "MainThreadPump.h"
#include "SimulatorProcess.h"

#include "CliDownloadHost.h"
#include "DownloadProgress.h"
#include "StdoutLogView.h"

#include "ClientDownloadCompletions.h"
#include "ClientDownloadRequests.h"
#include "DownloadEngine.h"
#include "TransactionLog.h"

#include "MainThreadBridge.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <benchmark/benchmark.h>
#include <modbus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Corvane;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint16_t kReadStart = 256;
constexpr std::uint16_t kReadCount = 10;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The simulated instrument on a pseudo-terminal that takes real wire time at `baud`, 8N1.
// One per speed, shared by every benchmark at that speed, so that all see the same line.
SondrelLauncher::TSimulatorProcess& SimulatedLine(std::uint32_t baud) {
    static std::map<std::uint32_t, std::unique_ptr<SondrelLauncher::TSimulatorProcess>> lines;
    auto& line = lines[baud];
    if (!line) {
        line = std::make_unique<SondrelLauncher::TSimulatorProcess>(
            SONDREL_SIM_PROGRAM,
            std::vector<std::string>{"--wire-time", "--timing", "standard", "--baud",
                                     std::to_string(baud), "--sample-period", "0"});
    }
    return *line;
}

// Measured values by name, for the table of ratios after the run.
std::map<std::string, double>& Results() {
    static std::map<std::string, double> results;
    return results;
}

std::string Key(const std::string& what, std::uint32_t baud, const std::string& who) {
    return what + "/" + std::to_string(baud) + "/" + who;
}

// Median and 90th percentile of the samples, as counters and as results.
void Report(benchmark::State& state, std::vector<double> ms, const std::string& key) {
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p90 = ms[ms.size() * 9 / 10];
    state.counters["median_ms"] = median;
    state.counters["p90_ms"] = p90;
    Results()[key + "/median"] = median;
    Results()[key + "/p90"] = p90;
}

// Our connection and client on the simulated line.
class OurClient {
public:
    OurClient(const std::string& port, std::uint32_t baud, TFrameTiming timing) {
        TMainThreadBridge::Instance().AdoptCurrentThread();
        FConnection.SetPort(port);
        FConnection.SetCustomBaudRate(baud);
        FConnection.SetParity(psNone);
        FConnection.SetFrameTiming(timing);
        FConnection.SetReceiveTimeout(1000);
        FConnection.SetMaxRetries(1);
        FClient.SetConnection(&FConnection);
        FClient.OnHoldingRegistersRead = [this](TModbusClient&, const TTransactionInfo& info,
                                                std::uint16_t, std::uint16_t, const TRegValues&) {
            ++FCompleted;
            FFailed += info.Status == rsNormalResponse ? 0 : 1;
        };
        FConnection.SetActive(true);
    }
    ~OurClient() { FConnection.SetActive(false); }

    // One read, waited for; false when it failed.
    bool Read() {
        const int before = FCompleted;
        const int failedBefore = FFailed;
        FClient.ReadHoldingRegisters(kReadStart, kReadCount, 0);
        TestSupport::PumpUntil([&] { return FCompleted > before; }, 10s);
        return FCompleted > before && FFailed == failedBefore;
    }

private:
    TModbusConnection FConnection;
    TModbusClient FClient;
    int FCompleted = 0;
    int FFailed = 0;
};

// A libmodbus RTU master on the simulated line.
class LibmodbusMaster {
public:
    LibmodbusMaster(const std::string& port, std::uint32_t baud) {
        FContext = modbus_new_rtu(port.c_str(), static_cast<int>(baud), 'N', 8, 1);
        if (FContext == nullptr || modbus_set_slave(FContext, 1) != 0 ||
            modbus_connect(FContext) != 0) {
            if (FContext != nullptr) {
                modbus_free(FContext);
            }
            throw std::runtime_error("libmodbus master on " + port);
        }
    }
    ~LibmodbusMaster() {
        modbus_close(FContext);
        modbus_free(FContext);
    }

    bool Read() {
        std::uint16_t values[kReadCount];
        return modbus_read_registers(FContext, kReadStart, kReadCount, values) == kReadCount;
    }

    modbus_t* Context() { return FContext; }

private:
    modbus_t* FContext = nullptr;
};

// How reads follow each other.
enum TPacing : std::int64_t { kQuietLine, kBackToBack };

template <typename Client>
void TimeReads(benchmark::State& state, TPacing pacing, Client& client, std::uint32_t baud,
               const std::string& who) {
    for (int i = 0; i < 5; ++i) {
        client.Read(); // warm up
    }
    std::vector<double> ms;
    for (auto _ : state) {
        if (pacing == kQuietLine) {
            state.PauseTiming();
            TestSupport::PumpFor(5ms);
            state.ResumeTiming();
        }
        const auto start = Clock::now();
        if (!client.Read()) {
            state.SkipWithError("a read failed");
            return;
        }
        ms.push_back(Ms(Clock::now() - start));
    }
    Report(state, ms, Key(pacing == kQuietLine ? "read" : "stream", baud, who));
}

void BM_RoundTripOurs(benchmark::State& state, TPacing pacing) {
    const auto baud = static_cast<std::uint32_t>(state.range(0));
    const auto timing = static_cast<TFrameTiming>(state.range(1));
    OurClient client(SimulatedLine(baud).PortPath(), baud, timing);
    TimeReads(state, pacing, client, baud, timing == ftStandard ? "standard" : "classic");
}

void BM_RoundTripLibmodbus(benchmark::State& state, TPacing pacing) {
    const auto baud = static_cast<std::uint32_t>(state.range(0));
    LibmodbusMaster master(SimulatedLine(baud).PortPath(), baud);
    TimeReads(state, pacing, master, baud, "libmodbus");
}

void RegisterRoundTrips() {
    for (TPacing pacing : {kQuietLine, kBackToBack}) {
        const std::string group = pacing == kQuietLine ? "BM_RoundTrip" : "BM_BackToBack";
        for (std::int64_t baud : {115200, 9600}) {
            const int iterations = baud == 115200 ? 300 : 100;
            for (std::int64_t timing : {ftClassic, ftStandard}) {
                benchmark::RegisterBenchmark((group + "Ours").c_str(), BM_RoundTripOurs, pacing)
                    ->ArgNames({"baud", "standard"})
                    ->Args({baud, timing})
                    ->Iterations(iterations)
                    ->UseRealTime()
                    ->Unit(benchmark::kMillisecond);
            }
            benchmark::RegisterBenchmark((group + "Libmodbus").c_str(), BM_RoundTripLibmodbus,
                                         pacing)
                ->ArgName("baud")
                ->Arg(baud)
                ->Iterations(iterations)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

// --- Downloads -----------------------------------------------------------------------------

constexpr std::int32_t kDownloadRecords = 200;
// sondrel-sim's current record unless told otherwise.
constexpr std::int32_t kCurrentRecord = 10;

// A speed as the port settings would choose it: its own rate when it has one.
void SetBaud(TModbusConnection& connection, std::uint32_t baud) {
    for (int rate = br110; rate < brCustom; ++rate) {
        if (BaudRateValue(static_cast<TBaudRate>(rate)) == baud) {
            connection.SetBaudRate(static_cast<TBaudRate>(rate));
            return;
        }
    }
    connection.SetCustomBaudRate(baud);
}

struct TDownloadRun {
    double Seconds = 0;
    double EstimateSeconds = 0;
    bool Complete = false;
};

// "Retrieve Data" of the most recent records as sondrel-cli runs it, without its output.
TDownloadRun OurDownload(const std::string& port, std::uint32_t baud,
                         Sondrel::TDelayMenuChoice delay, TFrameTiming timing) {
    SondrelCli::TStdoutLogView view;
    view.Silent = true;
    Sondrel::TTransactionLog log(view);
    TModbusConnection connection;
    connection.SetPort(port);
    SetBaud(connection, baud);
    connection.SetParity(psNone);
    connection.SetFrameTiming(timing);
    connection.SetMaxRetries(3);
    TModbusClient client;
    client.SetConnection(&connection);
    Sondrel::TDownloadInputs inputs;
    inputs.RecordsText = std::to_string(kDownloadRecords);
    inputs.IntervalText = "1";
    SondrelCli::TCliDownloadHost host(log, inputs, connection.BaudRate(), delay);
    host.Quiet = true;
    SondrelCli::TDownloadProgress progress(std::cerr, SondrelCli::TDownloadProgress::psQuiet);
    Sondrel::TClientDownloadRequests requests(client);
    Sondrel::TDownloadEngine engine(host, requests, progress);
    const Sondrel::TClientDownloadCompletions completions(client, engine);
    connection.SetActive(true);
    const auto start = Clock::now();
    engine.startButtonClick();
    TDownloadRun run;
    run.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.EstimateSeconds = engine.EstimatedSeconds();
    run.Complete = !engine.State().DownloadFailed && engine.List().Count() == kDownloadRecords;
    connection.SetActive(false);
    return run;
}

void BM_DownloadOurs(benchmark::State& state) {
    const auto baud = static_cast<std::uint32_t>(state.range(0));
    const auto delay = static_cast<Sondrel::TDelayMenuChoice>(state.range(1));
    const auto timing = static_cast<TFrameTiming>(state.range(2));
    const std::string who = std::string(delay == Sondrel::dmLine ? "line" : "fast") + "+" +
                            (timing == ftStandard ? "standard" : "classic");
    TDownloadRun run;
    for (auto _ : state) {
        run = OurDownload(SimulatedLine(baud).PortPath(), baud, delay, timing);
    }
    if (!run.Complete) {
        state.SkipWithError("the download did not bring all records");
        return;
    }
    state.counters["seconds"] = run.Seconds;
    state.counters["estimate_s"] = run.EstimateSeconds;
    Results()[Key("download", baud, who) + "/seconds"] = run.Seconds;
    if (delay == Sondrel::dmLine) {
        Results()[Key("estimate", baud, who) + "/seconds"] = run.EstimateSeconds;
        Results()[Key("estimate", baud, who) + "/measured"] = run.Seconds;
    }
}

void BM_DownloadLibmodbus(benchmark::State& state) {
    const auto baud = static_cast<std::uint32_t>(state.range(0));
    LibmodbusMaster master(SimulatedLine(baud).PortPath(), baud);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (std::int32_t k = 1; k <= kDownloadRecords; ++k) {
            // The records the download reads: one after its first record, then on.
            const int record = (kCurrentRecord - kDownloadRecords + k + 62001) % 62001;
            std::uint16_t block[104];
            if (modbus_write_register(master.Context(), 254, static_cast<std::uint16_t>(record)) !=
                    1 ||
                modbus_read_registers(master.Context(), 256, 104, block) != 104) {
                state.SkipWithError("a libmodbus request failed");
                return;
            }
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["seconds"] = seconds;
    Results()[Key("download", baud, "libmodbus") + "/seconds"] = seconds;
}

void RegisterDownloads() {
    for (std::int64_t baud : {115200, 9600}) {
        for (const auto& [delay, timing] :
             {std::pair{Sondrel::dmFast, ftClassic}, std::pair{Sondrel::dmLine, ftClassic},
              std::pair{Sondrel::dmLine, ftStandard}}) {
            benchmark::RegisterBenchmark("BM_DownloadOurs", BM_DownloadOurs)
                ->ArgNames({"baud", "delay", "standard"})
                ->Args({baud, delay, timing})
                ->Iterations(1)
                ->UseRealTime()
                ->Unit(benchmark::kSecond);
        }
        benchmark::RegisterBenchmark("BM_DownloadLibmodbus", BM_DownloadLibmodbus)
            ->ArgName("baud")
            ->Arg(baud)
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kSecond);
    }
}

// Every measured value beside libmodbus's, with their ratio.
void PrintRatios() {
    std::printf("\nRatios to libmodbus on the same simulated line (lower is faster):\n");
    for (const auto& [key, value] : Results()) {
        const std::size_t first = key.find('/');
        const std::size_t second = key.find('/', first + 1);
        const std::size_t third = key.rfind('/');
        const std::string who = key.substr(second + 1, third - second - 1);
        if (who == "libmodbus" || key.rfind("estimate/", 0) == 0) {
            continue;
        }
        const std::string reference = key.substr(0, second + 1) + "libmodbus" + key.substr(third);
        const auto it = Results().find(reference);
        if (it == Results().end() || it->second <= 0) {
            continue;
        }
        const char* unit = key.rfind("download/", 0) == 0 ? "s " : "ms";
        std::printf("  %-38s %10.3f %s   libmodbus %10.3f %s   ratio %.3f\n", key.c_str(), value,
                    unit, it->second, unit, value / it->second);
    }
    std::printf("\nThe line-speed estimate beside the measured download:\n");
    for (const auto& [key, value] : Results()) {
        if (key.rfind("estimate/", 0) != 0 || key.find("/seconds") == std::string::npos) {
            continue;
        }
        const std::string base = key.substr(0, key.rfind('/'));
        const double measured = Results()[base + "/measured"];
        std::printf("  %-38s estimate %8.2f s   measured %8.2f s   measured/estimate %.3f\n",
                    base.c_str(), value, measured, measured / value);
    }
}

} // namespace

int main(int argc, char** argv) {
    RegisterRoundTrips();
    RegisterDownloads();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    return 0;
}
