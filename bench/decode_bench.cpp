// SPDX-License-Identifier: MIT
// Decoding speed: a 10-frame, 8 s recording at 48 kHz and at 8 kHz, read back in full, next to
// spandsp's own caller-ID receive path on the same samples: libsoxr to 8 kHz, then its JCLIP
// receiver. Target: no slower than that path. And measuring each frame's signal besides costs
// at most 1.3 times decoding alone.
#include "ratio_report.h"
#include "receive/frame_reader.h"
#include "receive/line_meter.h"
#include "stress/stress_signal.h"

#include <span>

#include <cmath>  // before spandsp, whose telephony.h redefines lrint

#include <soxr.h>
#include <spandsp.h>

namespace {

using namespace corvane;

constexpr int kSeconds = 8;
constexpr int kFrames = 10;

std::vector<std::int16_t> TenFrames(int rate)
{
    stress::SignalOptions options;
    options.rate = rate;
    options.silenceMs = 100;
    std::vector<std::int16_t> samples;
    for (int i = 0; i < kFrames; ++i) {
        const auto signal =
            stress::ComposeStressSignal({InformationKind::CallerNumber, "0312345678" + std::to_string(i)}, options);
        samples.insert(samples.end(), signal->samples.begin(), signal->samples.end());
    }
    samples.resize(static_cast<std::size_t>(kSeconds * rate), 0);
    return samples;
}

// The recording's frames, read as decode reads it, in pieces of 4096 samples (as MeasureFrames
// feeds the receiver and the meter).
std::size_t DecodeInPieces(const Recording& recording)
{
    constexpr std::size_t kPiece = 4096;
    Demodulator demodulator(recording.rate, {});
    FrameFinder finder;
    std::size_t nFrames = 0;
    const std::span<const float> samples(recording.samples);
    for (std::size_t at = 0; at < samples.size(); at += kPiece)
        nFrames += finder.Feed(demodulator.Feed(samples.subspan(at, std::min(kPiece, samples.size() - at)))).size();
    nFrames += finder.Feed(demodulator.Finish()).size();
    return nFrames + finder.Finish().size();
}

void BM_Decode(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const Recording recording = FromSamples(TenFrames(rate), rate);
    std::size_t nFrames = 0;
    for (auto _ : state)
        nFrames = DecodeInPieces(recording);
    if (nFrames != kFrames)
        state.SkipWithError("not every frame was found");
}
BENCHMARK(BM_Decode)->Arg(48000)->Arg(8000)->Unit(benchmark::kMillisecond);

// The same, with each frame's signal measured (tones, levels, noise, runs and silences).
void BM_DecodeMeasured(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const Recording recording = FromSamples(TenFrames(rate), rate);
    std::size_t nFrames = 0;
    for (auto _ : state)
        nFrames = MeasureFrames(recording, {}).size();
    if (nFrames != kFrames)
        state.SkipWithError("not every frame was measured");
}
BENCHMARK(BM_DecodeMeasured)->Arg(48000)->Arg(8000)->Unit(benchmark::kMillisecond);

void CountMessage(void* pUser, const std::uint8_t*, int len)
{
    if (len > 0)
        ++*static_cast<int*>(pUser);
}

void BM_SpandspJclip(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const std::vector<std::int16_t> samples = TenFrames(rate);
    std::vector<std::int16_t> samples8k(samples.size() * 8000 / static_cast<std::size_t>(rate) + 16);
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    int nMessages = 0;
    for (auto _ : state) {
        const std::int16_t* pIn = samples.data();
        std::size_t produced = samples.size();
        if (rate != 8000)
            soxr_oneshot(rate, 8000, 1, samples.data(), samples.size(), nullptr, samples8k.data(), samples8k.size(),
                         &produced, &io, &quality, nullptr);
        if (rate != 8000)
            pIn = samples8k.data();
        nMessages = 0;
        adsi_rx_state_t* pState = adsi_rx_init(nullptr, ADSI_STANDARD_JCLIP, CountMessage, &nMessages);
        adsi_rx(pState, pIn, static_cast<int>(produced));
        adsi_rx_free(pState);
    }
    if (nMessages != kFrames)
        state.SkipWithError("spandsp did not receive every frame");
}
BENCHMARK(BM_SpandspJclip)->Arg(48000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return corvane::bench::RunWithTargets(argc, argv,
                                          {{"decode, 8 s at 48 kHz, against libsoxr and spandsp's JCLIP receiver",
                                            "BM_Decode/48000", "BM_SpandspJclip/48000", 1, "", 1.0},
                                           {"decode, 8 s at 8 kHz, against spandsp's JCLIP receiver", "BM_Decode/8000",
                                            "BM_SpandspJclip/8000", 1, "", 1.0},
                                           {"decode with measurements, 8 s at 48 kHz, against decode alone",
                                            "BM_DecodeMeasured/48000", "BM_Decode/48000", 1, "", 1.3},
                                           {"decode with measurements, 8 s at 8 kHz, against decode alone",
                                            "BM_DecodeMeasured/8000", "BM_Decode/8000", 1, "", 1.3}});
}
