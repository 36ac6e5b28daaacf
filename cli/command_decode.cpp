// SPDX-License-Identifier: MIT
// corvane-cli decode: every frame in a recording, read by its rules, with its faults.
#include "commands.h"

#include "audio/capture.h"
#include "cli_common.h"
#include "frame_report.h"
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"

#include <cstdint>
#include <span>

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
// Read at a time: memory stays bounded however long the recording, or endless its input.
constexpr qint64 kReadBytes = 64 * 1024;
// Chunks before the samples that a recorder might write; more is taken for something else.
constexpr qsizetype kMaxHeaderBytes = 1 << 20;

std::span<const std::uint8_t> Bytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

Failure WaveFailure(WaveProblem problem, const QString& name)
{
    static const char* const kProblems[] = {
        "", QT_TRANSLATE_NOOP("corvane-cli", "%1 is not a WAVE file."),
        QT_TRANSLATE_NOOP("corvane-cli", "%1: the sample format or rate is not one this reads."),
        QT_TRANSLATE_NOOP("corvane-cli", "%1 has no such channel."),
        QT_TRANSLATE_NOOP("corvane-cli", "%1 holds no samples.")};
    return Failure{kExitUsage, Tr(kProblems[static_cast<int>(problem)]).arg(name)};
}

// Reads the WAVE file in input block by block and reports each frame as soon as it has been
// received: a pipe that never ends is decoded as it comes.
int DecodeStream(QFile& input, const QString& name, int channel, const FskTones& tones, bool bJson)
{
    QByteArray head;
    WaveProblem problem = WaveProblem::None;
    std::optional<WaveLayout> layout;
    while (!layout) {
        const QByteArray more = input.read(kReadBytes);
        head += more;
        layout = ReadWaveHeader(Bytes(head), channel, problem);
        if (layout)
            break;
        if (problem != WaveProblem::None)
            return Finish(WaveFailure(problem, name));
        if (more.isEmpty() || head.size() > kMaxHeaderBytes)
            return Finish(WaveFailure(head.startsWith("RIFF") ? WaveProblem::NoData : WaveProblem::NotWave, name));
    }
    const std::size_t frameBytes = layout->FrameBytes();
    std::uint64_t remaining = layout->dataBytes.value_or(UINT64_MAX);
    QByteArray data = head.mid(static_cast<qsizetype>(layout->dataOffset));
    head.clear();
    Demodulator demodulator(layout->rate, tones);
    FrameFinder finder;
    FrameReporter reporter(bJson);
    std::vector<float> samples;
    bool bAnySample = false;
    for (bool bEnd = false; !bEnd;) {
        if (static_cast<std::uint64_t>(data.size()) > remaining)
            data.truncate(static_cast<qsizetype>(remaining));
        const std::size_t whole = static_cast<std::size_t>(data.size()) / frameBytes * frameBytes;
        samples.clear();
        ConvertWaveSamples(*layout, channel, Bytes(data).first(whole), samples);
        bAnySample = bAnySample || !samples.empty();
        remaining -= whole;
        data.remove(0, static_cast<qsizetype>(whole));  // a sample frame cut by the read waits for its rest
        reporter.Report(finder.Feed(demodulator.Feed(samples)));
        const QByteArray more = remaining > 0 ? input.read(kReadBytes) : QByteArray();
        bEnd = more.isEmpty();
        data += more;
    }
    if (!bAnySample)
        return Finish(WaveFailure(WaveProblem::NoData, name));
    reporter.Report(finder.Feed(demodulator.Finish()));
    reporter.Report(finder.Finish());
    return reporter.Finish();
}

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
    return DecodeStream(input, positional[0], static_cast<int>(nChannel), fsk, parser.isSet(json));
}

}  // namespace corvane::cli
