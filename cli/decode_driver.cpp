// SPDX-License-Identifier: MIT
#include "decode_driver.h"

#include "frame_picture.h"
#include "frame_report.h"
#include "system.h"

#include "receive/frame_reader.h"
#include "receive/line_meter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace corvane::cli {

namespace {

// seconds after startedAt, by the clock, in ISO 8601 to the millisecond (UTC).
std::string ClockTime(std::chrono::system_clock::time_point startedAt, double seconds)
{
    const auto at = startedAt + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                    std::chrono::duration<double>(seconds));
    const std::time_t whole = std::chrono::system_clock::to_time_t(at);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(at - std::chrono::system_clock::from_time_t(whole))
            .count();
    const std::tm parts = UtcTime(whole);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(std::clamp<long long>(milliseconds, 0, 999)));
    return std::string(text) + fraction;
}

}  // namespace

int DecodeSource(SampleSource& source, const std::string& name, const FskTones& tones, const DecodeOutput& output)
{
    Demodulator demodulator(source.Rate(), tones);
    FrameFinder finder;
    LineMeter meter(source.Rate(), tones, output.holdSeconds);
    FrameReporter reporter(output.bJson, output.calDbm);
    if (!output.csvPath.empty()) {
        if (auto failure = reporter.AppendCsv(output.csvPath))
            return Finish(failure);
    }
    Envelope envelope;
    std::optional<ReportedFrame> first;
    std::optional<std::chrono::system_clock::time_point> startedAt;
    std::optional<Failure> written;
    const auto report = [&](std::vector<MeasuredFrame> measured) {
        std::vector<ReportedFrame> frames;
        for (MeasuredFrame& frame : measured) {
            ReportedFrame reported{std::move(frame.frame),
                                   frame.measures,
                                   OutsideLimits(frame.measures, output.calDbm, output.limits),
                                   {}};
            if (startedAt)
                reported.startTime = ClockTime(*startedAt, reported.measures.startSeconds);
            frames.push_back(std::move(reported));
        }
        if (!output.plotPath.empty() && !first && !frames.empty())
            first = frames.front();
        if (auto failure = reporter.Report(frames); failure && !written)
            written = failure;
    };
    std::vector<float> samples;
    bool bAnySample = false;
    while (source.Next(samples) && !written) {
        if (output.bClockTimes && !startedAt)  // the block's first sample was recorded its length ago
            startedAt = std::chrono::system_clock::now() -
                        std::chrono::duration_cast<std::chrono::system_clock::duration>(
                            std::chrono::duration<double>(static_cast<double>(samples.size()) / source.Rate()));
        bAnySample = true;
        if (!output.plotPath.empty())
            envelope.Take(samples, source.Rate());
        meter.Feed(samples);
        const std::vector<ReceivedBit> bits = demodulator.Feed(samples);
        report(meter.Take(bits, finder.Feed(bits)));
    }
    if (auto problem = source.Problem(); problem && !bAnySample)
        return Finish(problem);
    if (!bAnySample) {
        const std::optional<std::string> note = source.Note();
        return Finish(note ? Failure{kExitUsage, *note} : WaveFailure(WaveProblem::NoData, name));
    }
    const std::vector<ReceivedBit> last = demodulator.Finish();
    report(meter.Take(last, finder.Feed(last)));
    report(meter.Take({}, finder.Finish()));
    report(meter.Finish());
    const int status = reporter.Finish();
    if (const std::optional<std::string> note = source.Note())
        PrintError(*note);
    if (const long long replaced = demodulator.ReplacedSamples(); replaced > 0)
        PrintError(Format(Tr("%1: %2 samples were beyond full scale or not numbers: they were read as full scale, "
                             "those not numbers as silence."),
                          {name, std::to_string(replaced)}));
    if (first) {
        if (auto drawn =
                DrawFramePicture(1, *first, envelope, tones.baud, output.plotPath, output.calDbm, output.limits))
            return Finish(drawn);
    }
    if (written)
        return Finish(written);
    // What was received is reported; a recording cut short still fails the command.
    if (auto problem = source.Problem())
        return Finish(problem);
    return status;
}

}  // namespace corvane::cli
