// The transaction engine on a pseudo-terminal: round trip of a 10-register read in RTU and
// ASCII, processor time of an idle open connection, and transactions per second with 1000
// requests queued at once. The far end is an in-process responder that answers at once
// with our own framing functions, so what is measured is the engine, not a peer.
//
// Run from a release build: build/release/bench/bench_engine
// (--benchmark_filter=RoundTrip|Idle|Queued picks a group; the idle runs take 10 s each).
#include "MainThreadPump.h"
#include "PtyPair.h"

#include "Framing.h"
#include "FunctionCodes.h"
#include "MainThreadBridge.h"
#include "ModbusBuffer.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <poll.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Corvane;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint16_t kRegisterCount = 10;

// Answers every Read Holding Registers request on the pty's peer side as soon as its frame
// is complete (8 bytes in RTU, up to LF in ASCII).
class FastResponder {
public:
    FastResponder(TestSupport::PtyPair& pty, TTransmissionMode mode)
        : FPty(pty), FMode(mode), FThread([this] { Run(); }) {}
    ~FastResponder() {
        FStop = true;
        FThread.join();
    }

private:
    bool FrameComplete(const std::vector<std::uint8_t>& in) const {
        return FMode == tmRTU ? in.size() >= 8 : (!in.empty() && in.back() == '\n');
    }

    void Answer(const std::vector<std::uint8_t>& in) {
        TModbusBuffer request(QueryBufferSize(FMode));
        if (!DecodeFrame(FMode, cmServer, in.data(), static_cast<std::int32_t>(in.size()),
                         request)) {
            return;
        }
        request.SetPosition(4);
        const std::uint16_t count = request.ReadWord();
        TModbusBuffer reply(QueryBufferSize(FMode));
        reply.WriteByte(FrameAddress(request));
        reply.WriteByte(FunctionCodes::ReadHoldingRegisters);
        reply.WriteByte(static_cast<std::uint8_t>(2 * count));
        for (std::uint16_t i = 0; i < count; ++i) {
            reply.WriteWord(static_cast<std::uint16_t>(0x1000 + i));
        }
        std::uint8_t raw[600];
        const std::int32_t n = EncodeFrame(FMode, reply, raw, sizeof raw);
        TestSupport::WriteAll(FPty.MasterFd(), raw, static_cast<std::size_t>(n));
    }

    void Run() {
        std::vector<std::uint8_t> in;
        while (!FStop) {
            pollfd p{FPty.MasterFd(), POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) {
                continue;
            }
            std::uint8_t chunk[600];
            const ssize_t n = read(FPty.MasterFd(), chunk, sizeof chunk);
            if (n <= 0) {
                continue;
            }
            in.insert(in.end(), chunk, chunk + n);
            if (FrameComplete(in)) {
                Answer(in);
                in.clear();
            }
        }
    }

    TestSupport::PtyPair& FPty;
    TTransmissionMode FMode;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

// An open client connection on a pty with a fast responder on the other end.
struct EngineRig {
    explicit EngineRig(TTransmissionMode mode) : Responder(Pty, mode) {
        TMainThreadBridge::Instance().AdoptCurrentThread();
        Connection.SetPort(Pty.SlavePath());
        Connection.SetTransmissionMode(mode);
        Client.SetConnection(&Connection);
        Client.OnHoldingRegistersRead = [this](TModbusClient&, const TTransactionInfo& info,
                                               std::uint16_t, std::uint16_t, const TRegValues&) {
            ++Completed;
            Normal += info.Status == rsNormalResponse ? 1 : 0;
        };
        Connection.SetActive(true);
    }
    ~EngineRig() { Connection.SetActive(false); }

    // Issues one read and waits for its completion; returns how long it took.
    Clock::duration RoundTrip() {
        const int before = Completed;
        const auto start = Clock::now();
        Client.ReadHoldingRegisters(0, kRegisterCount, 0);
        TestSupport::PumpUntil([&] { return Completed > before; }, 10s);
        return Clock::now() - start;
    }

    TestSupport::PtyPair Pty;
    FastResponder Responder;
    TModbusConnection Connection;
    TModbusClient Client;
    int Completed = 0;
    int Normal = 0;
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Median, 90th percentile and minimum of one read's round trip, in milliseconds.
void BM_RoundTrip(benchmark::State& state) {
    const auto mode = static_cast<TTransmissionMode>(state.range(0));
    EngineRig rig(mode);
    for (int i = 0; i < 5; ++i) {
        rig.RoundTrip(); // warm up
    }
    std::vector<double> times;
    for (auto _ : state) {
        times.push_back(Ms(rig.RoundTrip()));
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["p90_ms"] = times[times.size() * 9 / 10];
    state.counters["min_ms"] = times.front();
    state.counters["silent_ms"] = rig.Connection.SilentTime();
    if (rig.Normal != rig.Completed) {
        state.SkipWithError("a read did not complete normally");
    }
}
BENCHMARK(BM_RoundTrip)
    ->ArgName("ascii")
    ->Arg(tmRTU)
    ->Iterations(200)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundTrip)
    ->ArgName("ascii")
    ->Arg(tmASCII)
    ->Iterations(2000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor time of the whole process while an open connection sits idle for 10 s and the
// main thread waits on the bridge, as an event loop would.
void BM_IdleConnectionCpu(benchmark::State& state) {
    const auto mode = static_cast<TConnectionMode>(state.range(0));
    TestSupport::PtyPair pty;
    TMainThreadBridge& bridge = TMainThreadBridge::Instance();
    bridge.AdoptCurrentThread();
    TModbusConnection connection;
    connection.SetPort(pty.SlavePath());
    connection.SetConnectionMode(mode);
    connection.SetActive(true);
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        const auto start = Clock::now();
        const auto end = start + 10s;
        for (auto now = start; now < end; now = Clock::now()) {
            bridge.WaitAndDrain(std::chrono::ceil<std::chrono::milliseconds>(end - now));
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        state.counters["cpu_ms"] = cpu * 1000;
        state.counters["cpu_percent"] = 100 * cpu / wall;
    }
    connection.SetActive(false);
}
BENCHMARK(BM_IdleConnectionCpu)
    ->ArgName("server")
    ->Arg(cmClient)
    ->Arg(cmServer)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// 1000 reads queued at once; the rate at which their completions arrive.
void BM_QueuedThroughput(benchmark::State& state) {
    const auto mode = static_cast<TTransmissionMode>(state.range(0));
    constexpr int kQueued = 1000;
    EngineRig rig(mode);
    rig.RoundTrip(); // warm up
    for (auto _ : state) {
        const int target = rig.Completed + kQueued;
        for (int i = 0; i < kQueued; ++i) {
            rig.Client.ReadHoldingRegisters(0, kRegisterCount, 0);
        }
        if (!TestSupport::PumpUntil([&] { return rig.Completed >= target; }, 120s)) {
            state.SkipWithError("the queue did not drain");
            return;
        }
    }
    state.counters["transactions_per_s"] =
        benchmark::Counter(static_cast<double>(kQueued) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    if (rig.Normal != rig.Completed) {
        state.SkipWithError("a read did not complete normally");
    }
}
BENCHMARK(BM_QueuedThroughput)
    ->ArgName("ascii")
    ->Arg(tmRTU)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_QueuedThroughput)
    ->ArgName("ascii")
    ->Arg(tmASCII)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
