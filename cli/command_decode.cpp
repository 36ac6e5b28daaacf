// SPDX-License-Identifier: MIT
// corvane-cli decode: every frame in a recording, read by its rules, with its faults.
#include "commands.h"

#include "cli_common.h"
#include "decode_input.h"
#include "signal_request.h"

#include <variant>

namespace corvane::cli {

namespace {

struct ToneOptionSet {
    Option markHz{"mark-hz", Tr("Mark frequency in Hz (default 1300)."), "HZ"};
    Option spaceHz{"space-hz", Tr("Space frequency in Hz (default 2100)."), "HZ"};
    Option baud{"baud", Tr("Bit rate, 300 to 2400 (default 1200)."), "BAUD"};

    std::optional<Failure> Read(const ParsedOptions& parser, FskTones& tones) const
    {
        for (const auto& [pOption, pValue, name] : {std::tuple{&markHz, &tones.markHz, "mark-hz"},
                                                    std::tuple{&spaceHz, &tones.spaceHz, "space-hz"}}) {
            if (parser.IsSet(*pOption)) {
                if (auto failure = ParseNumber(parser.Value(*pOption), 300, 3400, name, *pValue))
                    return failure;
            }
        }
        if (parser.IsSet(baud)) {
            if (auto failure = ParseNumber(parser.Value(baud), 300, 2400, "baud", tones.baud))
                return failure;
        }
        return std::nullopt;
    }
};

constexpr int kCaptureRate = 24000;

int Decode(const Arguments& arguments)
{
    CommandLine line("decode FILE", Tr("Finds every frame in a recording and checks it by every rule of the frame.\n\nExample: corvane-cli decode line.wav --json"));
    const ToneOptionSet tones;
    const Option channel{"channel", Tr("The channel to read, from 1 (default 1)."), "N"};
    const Option json{"json", Tr("Print one JSON object a frame.")};
    const Option capture{"capture", Tr("Seconds to record from the default input, 1 to 600."), "SECONDS"};
    const Option rawFormat{"raw-format", Tr("Raw samples of one channel, as RATE:ENCODING (e.g. 8000:ulaw, 48000:s16le)."), "RATE:ENCODING"};
    const Option device = DeviceOption();
    const Option plot{"plot", Tr("Also draw the first frame found, its cells, bytes, fields and faults, into FILE.png or FILE.svg."), "FILE"};
    line.Add({tones.markHz, tones.spaceHz, tones.baud, channel, json, capture, device, rawFormat, plot});
    line.AddArgument("FILE", Tr("A sound file (WAVE, FLAC, AIFF, AU, W64, RF64, CAF...); - for standard input (WAVE or raw)."));
    ParsedOptions parser;
    if (auto status = ParseOrExit(line, arguments, 1, parser))
        return *status;
    const std::vector<std::string>& positional = parser.Positional();
    FskTones fsk;
    if (auto failure = tones.Read(parser, fsk))
        return Finish(failure);
    if (parser.IsSet(capture)) {
        double seconds = 0;
        if (positional.size() != 0)
            return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
        if (auto failure = ParseNumber(parser.Value(capture), 1, 600, "capture", seconds))
            return Finish(failure);
        std::string deviceName;
        if (auto failure = ReadDevice(parser, device, deviceName))
            return Finish(failure);
        // Decoded as it is recorded: memory stays bounded for the longest recording too.
        return DecodeSource(*CaptureSource(seconds, kCaptureRate, deviceName), Tr("the recording"), fsk, parser.IsSet(json),
                            parser.Value(plot));
    }
    if (positional.size() != 1)
        return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
    if (parser.IsSet(device))
        return Finish(Failure{kExitUsage, Tr("--device goes with --capture.")});
    long long nChannel = 1;
    if (parser.IsSet(channel)) {
        if (auto failure = ParseWhole(parser.Value(channel), 1, 64, "channel", nChannel))
            return Finish(failure);
    }
    std::optional<WaveLayout> raw;
    if (parser.IsSet(rawFormat)) {
        raw = RawLayout(parser.Value(rawFormat));
        if (!raw)
            return Finish(Failure{kExitUsage, Format(Tr("--raw-format is RATE:ENCODING, RATE 8000 to 96000 and ENCODING one of "
                                                        "u8, s16le, s24le, s32le, f32le, f64le, ulaw and alaw, not \"%1\"."),
                                                     {parser.Value(rawFormat)})});
    }
    auto source = OpenSampleSource(positional[0], static_cast<int>(nChannel), raw);
    if (auto* pFailure = std::get_if<Failure>(&source))
        return Finish(*pFailure);
    return DecodeSource(*std::get<std::unique_ptr<SampleSource>>(source), positional[0], fsk, parser.IsSet(json),
                        parser.Value(plot));
}

}  // namespace

}  // namespace corvane::cli

extern "C" int CorvaneCliDecode(const corvane::cli::Arguments* pArguments)
{
    return corvane::cli::Decode(*pArguments);
}
