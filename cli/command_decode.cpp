// SPDX-License-Identifier: MIT
// corvane-cli decode: every frame in a recording, read by its rules, with its faults.
#include "commands.h"

#include "cli_common.h"
#include "capture_input.h"
#include "decode_driver.h"
#include "player_options.h"
#include "signal_options.h"

#include <cstdlib>
#include <limits>
#include <variant>

namespace corvane::cli {

namespace {

// What the receiver listens for: tones in the telephone band, at bit rates its filters resolve.
// The names are the signal options', the ranges the receiver's.
struct ToneOptionSet {
    Option markHz = Option{"mark-hz", Tr("Mark frequency in Hz (default 1300)."), "HZ"}.Takes(300, 3400);
    Option spaceHz = Option{"space-hz", Tr("Space frequency in Hz (default 2100)."), "HZ"}.Takes(300, 3400);
    Option baud = Option{"baud", Tr("Bit rate, 300 to 2400 (default 1200)."), "BAUD"}.Takes(300, 2400);

    std::optional<Failure> Read(const ParsedOptions& parser, FskTones& tones) const
    {
        for (const auto& [pOption, pValue] :
             {std::pair{&markHz, &tones.markHz}, std::pair{&spaceHz, &tones.spaceHz}, std::pair{&baud, &tones.baud}}) {
            if (auto failure = ReadNumber(parser, *pOption, *pValue))
                return failure;
        }
        return std::nullopt;
    }
};

constexpr int kCaptureRate = 24000;
// How long a frame heard live waits for the quiet after it to end before it is printed.
constexpr double kLiveHoldSeconds = 2;

// The options that say what decode gives besides the frames, read into output.
std::optional<Failure> ReadOutput(const ParsedOptions& parser, const Option& json, const Option& plot,
                                  const Option& csv, const Option& limits, const Option& calDbm, DecodeOutput& output)
{
    output.bJson = parser.IsSet(json);
    output.plotPath = parser.Value(plot);
    output.csvPath = parser.Value(csv);
    if (auto failure = ReadCalibration(parser, calDbm, output.calDbm))
        return failure;
    if (parser.IsSet(limits)) {
        auto read = ReadLimits(parser.Value(limits), output.calDbm.has_value());
        if (auto* pFailure = std::get_if<Failure>(&read))
            return *pFailure;
        output.limits = std::get<LineLimits>(std::move(read));
    }
    return std::nullopt;
}

int Decode(const Arguments& arguments)
{
    CommandLine line("decode FILE",
                     Tr("Finds every frame in a recording, checks it by every rule of the frame, and measures how its "
                        "signal was sent.\n\nExample: corvane-cli decode line.wav --limits docs/limits-example.json"));
    const ToneOptionSet tones;
    const Option channel = Option{"channel", Tr("The channel to read, from 1 (default 1)."), "N"}.TakesWhole(1, 64);
    const Option json{"json", Tr("Print one JSON object a frame.")};
    Option capture =
        Option{"capture", Tr("Seconds to record from the default input, 1 to 600; none or 0 to watch it until Ctrl-C."),
               "SECONDS"}
            .Takes(1, 600);
    capture.bValueOptional = true;
    const Option rawFormat{"raw-format",
                           Tr("Raw samples of one channel, as RATE:ENCODING (e.g. 8000:ulaw, 48000:s16le)."),
                           "RATE:ENCODING"};
    const Option device = DeviceOption();
    const Option plot{"plot",
                      Tr("Also draw the first frame found, its cells, bytes, fields, faults and measurements, into "
                         "FILE.png or FILE.svg."),
                      "FILE"};
    const Option csv{"csv", Tr("Also append one row a frame, with its measurements, to this CSV file."), "FILE"};
    const Option limits{
        "limits", Tr("Check each measurement against the [min, max] this JSON file gives it; one outside is a fault."),
        "FILE"};
    const Option calDbm = CalibrationOption(
        Tr("The input's level in dBm for a full-scale sine (or CORVANE_CAL_DBM): levels in dBm too."));
    line.Add({tones.markHz, tones.spaceHz, tones.baud, channel, json, capture, device, rawFormat, plot, csv, limits,
              calDbm});
    line.AddArgument("FILE",
                     Tr("A sound file (WAVE, FLAC, AIFF, AU, W64, RF64, CAF...); - for standard input (WAVE or raw)."));
    ParsedOptions parser;
    if (auto status = ParseOrExit(line, arguments, 1, parser))
        return *status;
    const std::vector<std::string>& positional = parser.Positional();
    FskTones fsk;
    if (auto failure = tones.Read(parser, fsk))
        return Finish(failure);
    DecodeOutput output;
    if (auto failure = ReadOutput(parser, json, plot, csv, limits, calDbm, output))
        return Finish(failure);
    if (parser.IsSet(capture)) {
        double seconds = std::numeric_limits<double>::infinity();
        if (positional.size() != 0)
            return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
        if (!parser.Value(capture).empty() && parser.Value(capture) != "0") {
            if (auto failure = ReadNumber(parser, capture, seconds))
                return Finish(failure);
        }
        std::string deviceName;
        if (auto failure = ReadDevice(parser, device, deviceName))
            return Finish(failure);
        output.holdSeconds = kLiveHoldSeconds;
        output.bClockTimes = true;
        EndCaptureOnInterrupt();
        // Decoded as it is recorded: memory stays bounded however long the recording.
        return DecodeSource(*CaptureSource(seconds, kCaptureRate, deviceName), Tr("the recording"), fsk, output);
    }
    if (positional.size() != 1)
        return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
    if (parser.IsSet(device))
        return Finish(Failure{kExitUsage, Tr("--device goes with --capture.")});
    long long nChannel = 1;
    if (auto failure = ReadWhole(parser, channel, nChannel))
        return Finish(failure);
    std::optional<WaveLayout> raw;
    if (parser.IsSet(rawFormat)) {
        raw = RawLayout(parser.Value(rawFormat));
        if (!raw)
            return Finish(
                Failure{kExitUsage, Format(Tr("--raw-format is RATE:ENCODING, RATE 8000 to 96000 and ENCODING one of "
                                              "u8, s16le, s24le, s32le, f32le, f64le, ulaw and alaw, not \"%1\"."),
                                           {parser.Value(rawFormat)})});
    }
    auto source = OpenSampleSource(positional[0], static_cast<int>(nChannel), raw);
    if (auto* pFailure = std::get_if<Failure>(&source))
        return Finish(*pFailure);
    return DecodeSource(*std::get<std::unique_ptr<SampleSource>>(source), positional[0], fsk, output);
}

}  // namespace

}  // namespace corvane::cli

extern "C" int CorvaneCliDecode(const corvane::cli::Arguments* pArguments)
{
    return corvane::cli::Decode(*pArguments);
}
