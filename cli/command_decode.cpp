// SPDX-License-Identifier: MIT
// corvane-cli decode: every frame in a recording, read by its rules, with its faults.
#include "commands.h"

#include "audio/capture.h"
#include "cli_common.h"
#include "frame_report.h"
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"

namespace corvane::cli {

namespace {

struct ToneOptionSet {
    QCommandLineOption markHz{"mark-hz", Tr("Mark frequency in Hz (default 1300)."), "HZ"};
    QCommandLineOption spaceHz{"space-hz", Tr("Space frequency in Hz (default 2100)."), "HZ"};
    QCommandLineOption baud{"baud", Tr("Bit rate, 300 to 2400 (default 1200)."), "BAUD"};

    std::optional<Failure> Read(const QCommandLineParser& parser, FskTones& tones) const
    {
        for (const auto& [pOption, pValue, name] : {std::tuple{&markHz, &tones.markHz, "mark-hz"},
                                                    std::tuple{&spaceHz, &tones.spaceHz, "space-hz"}}) {
            if (parser.isSet(*pOption)) {
                if (auto failure = ParseNumber(parser.value(*pOption), 300, 3400, name, *pValue))
                    return failure;
            }
        }
        if (parser.isSet(baud)) {
            if (auto failure = ParseNumber(parser.value(baud), 300, 2400, "baud", tones.baud))
                return failure;
        }
        return std::nullopt;
    }
};

constexpr int kCaptureRate = 24000;

}  // namespace

int RunDecode(QCommandLineParser& parser, const QStringList& arguments)
{
    const ToneOptionSet tones;
    const QCommandLineOption channel("channel", Tr("The channel to read, from 1 (default 1)."), "N");
    const QCommandLineOption json("json", Tr("Print one JSON object a frame."));
    const QCommandLineOption capture("capture", Tr("Seconds to record from the default input, 1 to 600."), "SECONDS");
    parser.addOptions({tones.markHz, tones.spaceHz, tones.baud, channel, json, capture});
    parser.addPositionalArgument("FILE", Tr("A WAVE file; - for standard input."));
    if (auto status = ParseOrExit(parser, arguments,
                                      Tr("Finds every frame in a recording and checks it by every rule of the frame.\n\nExample: corvane-cli decode line.wav --json"), 1))
        return *status;
    const QStringList positional = parser.positionalArguments().mid(1);
    FskTones fsk;
    if (auto failure = tones.Read(parser, fsk))
        return Finish(failure);
    if (parser.isSet(capture)) {
        double seconds = 0;
        if (positional.size() != 0)
            return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
        if (auto failure = ParseNumber(parser.value(capture), 1, 600, "capture", seconds))
            return Finish(failure);
        std::vector<std::int16_t> samples;
        const Status recorded = CaptureSamples(seconds, kCaptureRate, samples);
        if (!recorded.IsOk())
            return Finish(Failure{kExitFailed, Tr("Cannot record: %1").arg(StatusText(recorded))});
        return ReportFrames(FindFrames(Demodulate(FromSamples(samples, kCaptureRate), fsk)), parser.isSet(json));
    }
    if (positional.size() != 1)
        return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
    long long nChannel = 1;
    if (parser.isSet(channel)) {
        if (auto failure = ParseWhole(parser.value(channel), 1, 64, "channel", nChannel))
            return Finish(failure);
    }
    QFile input;
    if (auto failure = OpenInput(positional[0], input))
        return Finish(failure);
    const QByteArray bytes = input.readAll();
    WaveProblem problem = WaveProblem::None;
    const std::optional<Recording> recording = ReadWave(
        {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())},
        static_cast<int>(nChannel), problem);
    if (!recording) {
        static const char* const kProblems[] = {
            "", QT_TRANSLATE_NOOP("corvane-cli", "%1 is not a WAVE file."),
            QT_TRANSLATE_NOOP("corvane-cli", "%1: the sample format or rate is not one this reads."),
            QT_TRANSLATE_NOOP("corvane-cli", "%1 has no such channel."),
            QT_TRANSLATE_NOOP("corvane-cli", "%1 holds no samples.")};
        return Finish(Failure{kExitUsage, Tr(kProblems[static_cast<int>(problem)]).arg(positional[0])});
    }
    return ReportFrames(FindFrames(Demodulate(*recording, fsk)), parser.isSet(json));
}

}  // namespace corvane::cli
