// Speed of the frame checks and of RTU/ASCII encoding and decoding at the largest frame
// sizes. Run from a release build: build/release/bench/bench_framing
#include "Checksum.h"
#include "Framing.h"
#include "ModbusBuffer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

using namespace Corvane;

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    std::uint32_t x = 0x12345678;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    return data;
}

// A buffer of the largest message the mode allows: with its check it fills the capacity.
void FillLargestFrame(TTransmissionMode mode, TModbusBuffer& buffer) {
    const auto data = Pattern(static_cast<std::size_t>(buffer.Capacity() - CheckSize(mode)));
    for (auto b : data) {
        buffer.WriteByte(b);
    }
}

void BM_CRC16(benchmark::State& state) {
    const auto data = Pattern(256);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CRC16(data.data(), data.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 256);
}
BENCHMARK(BM_CRC16);

void BM_LRC(benchmark::State& state) {
    const auto data = Pattern(256);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LRC(data.data(), data.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 256);
}
BENCHMARK(BM_LRC);

void BM_EncodeFrame(benchmark::State& state) {
    const auto mode = static_cast<TTransmissionMode>(state.range(0));
    TModbusBuffer buffer(QueryBufferSize(mode));
    FillLargestFrame(mode, buffer);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(FrameBufferSize(mode)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            EncodeFrame(mode, buffer, raw.data(), static_cast<std::int32_t>(raw.size())));
        benchmark::ClobberMemory();
    }
    state.SetLabel(mode == tmRTU ? "RTU 261 bytes" : "ASCII 260 bytes (523 characters)");
}
BENCHMARK(BM_EncodeFrame)->Arg(tmRTU)->Arg(tmASCII);

void BM_DecodeFrame(benchmark::State& state) {
    const auto mode = static_cast<TTransmissionMode>(state.range(0));
    TModbusBuffer source(QueryBufferSize(mode));
    FillLargestFrame(mode, source);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(FrameBufferSize(mode)));
    const std::int32_t count =
        EncodeFrame(mode, source, raw.data(), static_cast<std::int32_t>(raw.size()));
    TModbusBuffer decoded(QueryBufferSize(mode));
    for (auto _ : state) {
        const bool ok = DecodeFrame(mode, cmClient, raw.data(), count, decoded);
        if (!ok) {
            state.SkipWithError("frame failed its check");
            break;
        }
        benchmark::DoNotOptimize(ok);
    }
    state.SetLabel(mode == tmRTU ? "RTU 261 bytes" : "ASCII 260 bytes (523 characters)");
}
BENCHMARK(BM_DecodeFrame)->Arg(tmRTU)->Arg(tmASCII);

} // namespace

BENCHMARK_MAIN();
