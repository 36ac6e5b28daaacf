// SPDX-License-Identifier: MIT
// Composition speed for a 20-digit number, next to clearing the buffer as the floor, and the
// frame check's speed a byte.
#include "ratio_report.h"
#include "signal/compose.h"
#include "signal/frame.h"
#include "signal/line_codes.h"
#include "signal/synthesis.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

using namespace corvane;

const NotificationRequest kRequest{InformationKind::CallerNumber, "01234567890123456789"};

void BM_MemsetFloor(benchmark::State& state)
{
    auto buffer = std::make_unique<SampleBuffer>();
    for (auto _ : state) {
        std::memset(buffer->samples.data(), 0, sizeof buffer->samples);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemsetFloor);

void BM_BuildFrame(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildFrame(kRequest));
}
BENCHMARK(BM_BuildFrame);

// The check over what it covers in the longest frame: header to ETX of a 20-digit number.
void BM_CalcCrc16(benchmark::State& state)
{
    SignalFrame frame = *BuildFrame(kRequest);  // DoNotOptimize takes what it may change
    const auto length = static_cast<std::uint16_t>(frame.bSendCnt - 4);
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame.data);
        benchmark::DoNotOptimize(CalcCrc16(&frame.data[2], length));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}
BENCHMARK(BM_CalcCrc16);

void BM_SynthesizeSignal(benchmark::State& state)
{
    auto buffer = std::make_unique<SampleBuffer>();
    const SignalFrame frame = *BuildFrame(kRequest);
    iWaveFormValue = *AmplitudeFromStep(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SynthesizeSignal(frame, *buffer));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SynthesizeSignal);

void BM_ComposeSignalPlay(benchmark::State& state)
{
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = *AmplitudeFromStep(1);
    std::string statusLine;
    const StatusLineSink sink = [&statusLine](const std::string& text) { statusLine = text; };
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComposeSignal(ComposeMode::Play, {}, kRequest, *buffer, sink));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeSignalPlay);

}  // namespace

int main(int argc, char** argv)
{
    // The checked span of the 33-byte frame: 31 bytes less the two check bytes.
    constexpr double kCheckedBytes = 13 + 20 - 4;
    return corvane::bench::RunWithTargets(argc, argv,
                                          {{"ComposeSignal, play mode, against a memset of the sample buffer",
                                            "BM_ComposeSignalPlay", "BM_MemsetFloor", 1, "", 1.0},
                                           {"CalcCrc16", "BM_CalcCrc16", "", kCheckedBytes, "ns a byte", 2.0}});
}
