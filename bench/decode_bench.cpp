// SPDX-License-Identifier: MIT
// Decoding speed: a 10-frame, 8 s recording at 48 kHz, read back in full. Target: at least 200
// times faster than real time on one core, that is at most 40 ms for the 8 s.
#include "receive/frame_reader.h"
#include "signal_options.h"

#include <benchmark/benchmark.h>

namespace {

using namespace corvane;

Recording TenFrames()
{
    cli::SignalOptions options;
    options.rate = 48000;
    options.silenceMs = 100;
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 10; ++i) {
        const auto signal = cli::ComposeCliSignal({InformationKind::CallerNumber, "0312345678" + std::to_string(i)}, options);
        samples.insert(samples.end(), signal->samples.begin(), signal->samples.end());
    }
    samples.resize(8 * 48000, 0);
    return FromSamples(samples, 48000);
}

void BM_DecodeTenFrames8s48k(benchmark::State& state)
{
    const Recording recording = TenFrames();
    std::size_t nFrames = 0;
    for (auto _ : state)
        nFrames = FindFrames(Demodulate(recording, {})).size();
    if (nFrames != 10)
        state.SkipWithError("not every frame was found");
    // Seconds of recording per second of decoding: the real-time factor.
    state.counters["realtime"] = benchmark::Counter(8.0 * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeTenFrames8s48k)->Unit(benchmark::kMillisecond);

}  // namespace
