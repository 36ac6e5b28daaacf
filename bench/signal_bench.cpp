// SPDX-License-Identifier: MIT
// Composition speed for a 20-digit number, next to clearing the buffer as the floor.
#include "signal/compose.h"
#include "signal/frame.h"
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
