// SPDX-License-Identifier: MIT
#include "stress/stress_signal.h"

#include "signal/compose.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>

namespace corvane::stress {

namespace {

constexpr int kDialogSilenceMs = 200;

// The cells of a frame: the lead marks, each byte as start bit, eight data bits LSB first, stop
// bits and the marks of a gap, the trail marks; true for mark.
std::vector<bool> Cells(const SignalFrame& frame, const SignalOptions& options)
{
    std::vector<bool> cells(static_cast<std::size_t>(options.leadMarks), true);
    for (int i = 0; i < frame.bSendCnt; ++i) {
        unsigned byte = frame.data[static_cast<std::size_t>(i)];
        cells.push_back(false);
        for (int bit = 0; bit < 8; ++bit, byte >>= 1)
            cells.push_back((byte & 1u) != 0);
        cells.insert(cells.end(), static_cast<std::size_t>(options.stopBits + options.charGapBits), true);
    }
    cells.insert(cells.end(), static_cast<std::size_t>(options.trailMarks), true);
    return cells;
}

// A square wave of unit peak at phase (radians), as the sum of its odd harmonics below limitHz:
// nothing above half the rate, so nothing folds back into the band.
double BandLimitedSquare(double phase, double hz, double limitHz)
{
    double sum = 0;
    for (int k = 1; k * hz < limitHz; k += 2)
        sum += std::sin(k * phase) / k;
    return 4 / std::numbers::pi * sum;
}

// The highest value of that sum over a period, which the ripple of the missing harmonics puts
// above 1: the peak is scaled to it.
double BandLimitedPeak(double hz, double limitHz)
{
    double peak = 0;
    for (int i = 0; i < 1000; ++i)
        peak = std::max(peak, BandLimitedSquare(std::numbers::pi * i / 1000, hz, limitHz));
    return peak;
}

// The dialog's square cells at 24 000 Hz.
std::vector<std::int16_t> DrawSquare(const std::vector<bool>& cells, int peak, int silence)
{
    const ToneCell mark(kMarkHz, peak);
    const ToneCell space(kSpaceHz, peak);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(silence), 0);
    for (const bool bMark : cells) {
        const ToneCell& cell = bMark ? mark : space;
        samples.insert(samples.end(), cell.samples.begin(), cell.samples.end());
    }
    samples.insert(samples.end(), static_cast<std::size_t>(silence), 0);
    return samples;
}

// Phase-continuous FSK at the rate itself, of sines or of band-limited squares: each cell's samples
// are those whose time falls in it.
std::vector<std::int16_t> DrawContinuous(const std::vector<bool>& cells, const SignalOptions& options, int peak,
                                         int silence)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(silence), 0);
    const double limitHz = options.rate / 2.0;
    const bool bSquare = options.waveform == Waveform::Square;
    const double markScale = bSquare ? peak / BandLimitedPeak(options.markHz, limitHz) : peak;
    const double spaceScale = bSquare ? peak / BandLimitedPeak(options.spaceHz, limitHz) : peak;
    double phase = 0;
    std::size_t done = 0;
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        const auto end = static_cast<std::size_t>(std::llround((cell + 1) * options.rate / options.baud));
        const double hz = cells[cell] ? options.markHz : options.spaceHz;
        const double scale = cells[cell] ? markScale : spaceScale;
        const double step = 2 * std::numbers::pi * hz / options.rate;
        for (; done < end; ++done) {
            const double value = bSquare ? BandLimitedSquare(phase, hz, limitHz) : std::sin(phase);
            samples.push_back(static_cast<std::int16_t>(std::lround(scale * value)));
            phase = std::fmod(phase + step, 2 * std::numbers::pi);
        }
    }
    samples.insert(samples.end(), static_cast<std::size_t>(silence), 0);
    return samples;
}

std::vector<std::int16_t> Resample(const std::vector<std::int16_t>& in, int rate)
{
    const auto outLength = static_cast<std::size_t>(std::llround(static_cast<double>(in.size()) * rate / kSampleRate));
    std::vector<std::int16_t> out(outLength);
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;  // dither is random: the same input must give the same samples
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    std::size_t produced = 0;
    soxr_oneshot(kSampleRate, rate, 1, in.data(), in.size(), nullptr, out.data(), out.size(), &produced, &io, &quality,
                 nullptr);
    out.resize(produced);
    return out;
}

// Adds white Gaussian noise at snrDb below the mean power of the samples between the silences.
void AddNoise(std::vector<std::int16_t>& samples, int silence, double snrDb, std::uint32_t seed)
{
    double power = 0;
    const std::size_t from = static_cast<std::size_t>(silence);
    const std::size_t to = samples.size() - std::min(samples.size(), from);
    for (std::size_t i = from; i < to; ++i)
        power += static_cast<double>(samples[i]) * samples[i];
    power /= static_cast<double>(std::max<std::size_t>(1, to - std::min(to, from)));
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, std::sqrt(power / std::pow(10.0, snrDb / 10.0)));
    for (std::int16_t& sample : samples)
        sample = static_cast<std::int16_t>(std::clamp(std::lround(sample + noise(random)), -32768L, 32767L));
}

void Corrupt(SignalFrame& frame, const SignalOptions& options)
{
    switch (options.corruption) {
    case Corruption::None:
        break;
    case Corruption::Crc:  // both check bytes inverted: no frame check can pass
        frame.data[frame.bSendCnt - 2u] ^= 0xFF;
        frame.data[frame.bSendCnt - 1u] ^= 0xFF;
        break;
    case Corruption::Parity:
        frame.data[static_cast<std::size_t>(options.corruptByte - 1)] ^= 0x80;
        break;
    case Corruption::Truncate:
        frame.bSendCnt = static_cast<std::uint8_t>(options.corruptByte);
        break;
    }
}

}  // namespace

bool SignalOptions::MovesTheTones() const
{
    return markHz != kMarkHz || spaceHz != kSpaceHz || baud * kBitCellSamples != kSampleRate;
}

bool SignalOptions::HasMargins() const
{
    return MovesTheTones() || stopBits != 1 || charGapBits != 0;
}

bool SignalOptions::IsDialogSignal() const
{
    return !levelDbfs && waveform == Waveform::Square && rate == kSampleRate && !noiseSnrDb &&
           leadMarks == kLeadMarkCells && trailMarks == kTrailMarkCells && silenceMs == kDialogSilenceMs &&
           corruption == Corruption::None && extraParameters.empty() && !HasMargins();
}

std::optional<SignalFrame> BuildStressFrame(const NotificationRequest& request, const SignalOptions& options)
{
    std::vector<FrameParameter> parameters = {{static_cast<std::uint8_t>(request.kind), request.text}};
    parameters.insert(parameters.end(), options.extraParameters.begin(), options.extraParameters.end());
    return BuildMessageFrame(parameters);
}

std::optional<StressSignal> ComposeStressSignal(const NotificationRequest& request, const SignalOptions& options)
{
    StressSignal signal;
    const int step = options.amplitudePercent / 10 - 1;
    if (options.IsDialogSignal()) {
        auto buffer = std::make_unique<SampleBuffer>();
        iWaveFormValue = *AmplitudeFromStep(step);
        const ComposeOutcome outcome =
            ComposeSignal(ComposeMode::Play, {}, request, *buffer, [](const std::string&) {});
        const std::optional<SignalFrame> frame = BuildFrame(request);
        if (outcome.Offset == 0 || !frame)
            return std::nullopt;
        signal.frame = *frame;
        signal.peak = iWaveFormValue;
        signal.samples.assign(buffer->samples.begin(), buffer->samples.begin() + outcome.Offset);
        return signal;
    }

    std::optional<SignalFrame> frame = BuildStressFrame(request, options);
    if (!frame)
        return std::nullopt;
    Corrupt(*frame, options);
    signal.frame = *frame;
    signal.rate = options.rate;
    signal.peak = options.levelDbfs ? static_cast<int>(std::lround(32767.0 * std::pow(10.0, *options.levelDbfs / 20.0)))
                                    : *AmplitudeFromStep(step);
    const std::vector<bool> cells = Cells(signal.frame, options);
    const int silence = static_cast<int>(static_cast<long long>(options.silenceMs) * options.rate / 1000);
    if (options.waveform == Waveform::Sine || options.MovesTheTones()) {
        signal.samples = DrawContinuous(cells, options, signal.peak, silence);
    } else {
        signal.samples = DrawSquare(cells, signal.peak, options.silenceMs * kSampleRate / 1000);
        if (options.rate != kSampleRate)
            signal.samples = Resample(signal.samples, options.rate);
    }
    if (options.noiseSnrDb)
        AddNoise(signal.samples, silence, *options.noiseSnrDb, options.seed);
    return signal;
}

StressSignal SteadyTone(double hz, double levelDbfs, double seconds, int rate)
{
    StressSignal signal;
    signal.rate = rate;
    signal.peak = static_cast<int>(std::lround(32767.0 * std::pow(10.0, levelDbfs / 20.0)));
    const auto count = static_cast<std::size_t>(std::llround(seconds * rate));
    signal.samples.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        signal.samples[i] = static_cast<std::int16_t>(
            std::lround(signal.peak * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate)));
    return signal;
}

}  // namespace corvane::stress
