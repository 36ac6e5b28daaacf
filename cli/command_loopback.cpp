// SPDX-License-Identifier: MIT
// corvane-cli loopback: play while recording, and check the frame, level and tones received.
#include "commands.h"

#include "loopback_recording.h"
#include "frame_report.h"
#include "line_report.h"
#include "receive/frame_reader.h"
#include "receive/line_meter.h"
#include "signal_request.h"

#include <algorithm>
#include <cmath>

namespace corvane::cli {

namespace {

// The mark and space frequencies in samples: the medians of the half-periods between zero
// crossings (interpolated between samples) below and above the tones' midpoint.
std::pair<double, double> ToneFrequencies(const std::vector<float>& samples, int rate, const FskTones& tones)
{
    const double midpoint = (tones.markHz + tones.spaceHz) / 2;
    std::vector<double> marks;
    std::vector<double> spaces;
    double lastCrossing = -1;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) == (samples[i] < 0))
            continue;
        const double crossing = static_cast<double>(i - 1) + samples[i - 1] / (samples[i - 1] - samples[i]);
        if (lastCrossing >= 0) {
            const double hz = rate / (2 * (crossing - lastCrossing));
            (hz < midpoint ? marks : spaces).push_back(hz);
        }
        lastCrossing = crossing;
    }
    const auto median = [](std::vector<double>& values) {
        if (values.empty())
            return 0.0;
        std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
        return values[values.size() / 2];
    };
    return {median(marks), median(spaces)};
}

int Loopback(const Arguments& arguments)
{
    CommandLine line("loopback", Tr("Plays the signal while recording the default input, and checks the frame, level "
                                    "and tones received.\n\nExample: corvane-cli loopback --reason P --volume 80"));
    const SignalOptionSet set;
    set.AddTo(line, true);
    const PlayerOptionSet playerSet;
    const Option extra =
        Option{"extra-seconds", Tr("Seconds to record beyond the signal's length (default 1)."), "SECONDS"}.Takes(0,
                                                                                                                  60);
    line.Add({playerSet.volume, extra, playerSet.device});
    ParsedOptions parser;
    RequestedSignal requested;
    if (auto status = ParseSignalCommand(line, arguments, set, parser, requested))
        return *status;
    double extraSeconds = 1;
    const StressSignal& signal = requested.signal;
    if (auto failure = ReadNumber(parser, extra, extraSeconds))
        return Finish(failure);
    PlayerSettings settings;
    std::unique_ptr<SignalPlayer> player;
    if (auto failure = OpenPlayer(parser, playerSet, settings, player))
        return Finish(failure);

    std::vector<std::int16_t> samples;
    const double seconds = static_cast<double>(signal.samples.size()) / signal.rate + extraSeconds;
    if (auto failure = PlayAndRecord(*player, signal, seconds, settings.device, samples))
        return Finish(failure);

    const Recording recording = FromSamples(samples, signal.rate);
    const std::vector<MeasuredFrame> measured = MeasureFrames(recording, {});
    std::vector<DecodedFrame> frames;
    for (const MeasuredFrame& frame : measured)
        frames.push_back(frame.frame);
    const bool bPass = CarriesFrame(frames, signal.frame);
    // Level and tones over the part of the recording that holds the signal.
    float peak = 0;
    for (const float sample : recording.samples)
        peak = std::max(peak, std::abs(sample));
    const auto loud = [peak](float sample) { return std::abs(sample) > peak / 10; };
    const auto first = std::find_if(recording.samples.begin(), recording.samples.end(), loud);
    const auto last = std::find_if(recording.samples.rbegin(), recording.samples.rend(), loud).base();
    const auto [markHz, spaceHz] = ToneFrequencies(std::vector<float>(first, std::max(first, last)), signal.rate, {});
    const double levelDb = peak > 0 ? 20 * std::log10(peak) : -120.0;
    PrintOut(
        (bPass ? Tr("loopback: pass") : Tr("loopback: fail")) + "\n" +
        Format(Tr("level %1 dBFS, mark %2 Hz, space %3 Hz"), {Fixed(levelDb, 1), Fixed(markHz, 0), Fixed(spaceHz, 0)}) +
        "\n");
    for (std::size_t i = 0; i < measured.size(); ++i)
        PrintOut(FrameText(static_cast<int>(i) + 1, measured[i].frame) +
                 MeasuresText(measured[i].measures, std::nullopt));
    if (!bPass)
        PrintError(Tr("the frame sent was not received whole"));
    return bPass ? 0 : kExitFailed;
}

}  // namespace

}  // namespace corvane::cli

extern "C" int CorvaneCliLoopback(const corvane::cli::Arguments* pArguments)
{
    return corvane::cli::Loopback(*pArguments);
}
