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
// A table of every ratio to libmodbus follows the benchmark output.
//
// Run from a release build: build/release/bench/bench_line_speed
// (--benchmark_filter=RoundTrip picks a group).
#include "MainThreadPump.h"
#include "SimulatorProcess.h"

#include "MainThreadBridge.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <benchmark/benchmark.h>
#include <modbus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
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

// Every measured value beside libmodbus's, with their ratio.
void PrintRatios() {
    std::printf("\nRatios to libmodbus on the same simulated line (lower is faster):\n");
    for (const auto& [key, value] : Results()) {
        const std::size_t first = key.find('/');
        const std::size_t second = key.find('/', first + 1);
        const std::size_t third = key.rfind('/');
        const std::string who = key.substr(second + 1, third - second - 1);
        if (who == "libmodbus") {
            continue;
        }
        const std::string reference = key.substr(0, second + 1) + "libmodbus" + key.substr(third);
        const auto it = Results().find(reference);
        if (it == Results().end() || it->second <= 0) {
            continue;
        }
        std::printf("  %-34s %10.3f ms   libmodbus %10.3f ms   ratio %.3f\n", key.c_str(), value,
                    it->second, value / it->second);
    }
}

} // namespace

int main(int argc, char** argv) {
    RegisterRoundTrips();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    return 0;
}
