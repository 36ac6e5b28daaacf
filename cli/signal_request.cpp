// SPDX-License-Identifier: MIT
#include "signal_request.h"

#include "named_parameters.h"

#include "request/code_page_932.h"
#include "signal/frame.h"
#include "signal/wave_file.h"
#include "storage/safe_save.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include <unistd.h>

namespace corvane::cli {

std::optional<Failure> ReadSignalOptions(const ParsedOptions& parser, const SignalOptionSet& set,
                                         SignalOptions& options)
{
    long long whole = 0;
    double value = 0;
    if (parser.IsSet(set.amplitude)) {
        if (auto failure = ParseWhole(parser.Value(set.amplitude), 10, 100, "amplitude", whole))
            return failure;
        if (!AmplitudeStepFromPercent(static_cast<int>(whole)))
            return Failure{kExitUsage, Tr("The amplitude must be one of 10, 20, ..., 100 percent.")};
        options.amplitudePercent = static_cast<int>(whole);
    }
    if (parser.IsSet(set.level)) {
        if (parser.IsSet(set.amplitude))
            return Failure{kExitUsage, Tr("Give --amplitude or --level-dbfs, not both.")};
        if (auto failure = ParseNumber(parser.Value(set.level), -90, 0, "level-dbfs", value))
            return failure;
        options.levelDbfs = value;
    }
    if (parser.IsSet(set.waveform)) {
        const std::string kind = parser.Value(set.waveform);
        if (kind != "square" && kind != "sine")
            return Failure{kExitUsage, Format(Tr("--waveform is square or sine, not \"%1\"."), {kind})};
        options.waveform = kind == "sine" ? Waveform::Sine : Waveform::Square;
    }
    if (parser.IsSet(set.levelDbm)) {
        if (parser.IsSet(set.amplitude) || parser.IsSet(set.level))
            return Failure{kExitUsage, Tr("Give one of --amplitude, --level-dbfs and --level-dbm.")};
        if (auto failure = ReadLevelDbm(parser, set.levelDbm, set.calDbm, options.waveform == Waveform::Square, value))
            return failure;
        options.levelDbfs = value;
    }
    if (parser.IsSet(set.rate)) {
        if (auto failure = ParseWhole(parser.Value(set.rate), 8000, 48000, "rate", whole))
            return failure;
        if (std::find(std::begin(stress::kRates), std::end(stress::kRates), whole) == std::end(stress::kRates))
            return Failure{kExitUsage, Tr("--rate is one of 8000, 16000, 24000, 44100 and 48000.")};
        options.rate = static_cast<int>(whole);
    }
    for (const auto& [pOption, pValue, name] :
         {std::tuple{&set.markHz, &options.markHz, "mark-hz"}, std::tuple{&set.spaceHz, &options.spaceHz, "space-hz"}}) {
        if (!parser.IsSet(*pOption))
            continue;
        if (auto failure = ParseNumber(parser.Value(*pOption), 100, options.rate / 2.0, name, *pValue))
            return failure;
    }
    if (parser.IsSet(set.baud)) {
        if (auto failure = ParseNumber(parser.Value(set.baud), 300, 4800, "baud", options.baud))
            return failure;
    }
    for (const auto& [pOption, pValue, name, low, high] :
         {std::tuple{&set.stopBits, &options.stopBits, "stop-bits", 1, 10},
          std::tuple{&set.charGapBits, &options.charGapBits, "char-gap-bits", 0, 100}}) {
        if (!parser.IsSet(*pOption))
            continue;
        if (auto failure = ParseWhole(parser.Value(*pOption), low, high, name, whole))
            return failure;
        *pValue = static_cast<int>(whole);
    }
    if (parser.IsSet(set.noise)) {
        if (auto failure = ParseNumber(parser.Value(set.noise), -20, 100, "noise-snr", value))
            return failure;
        options.noiseSnrDb = value;
    }
    if (parser.IsSet(set.seed)) {
        if (auto failure = ParseWhole(parser.Value(set.seed), 0, 4294967295LL, "seed", whole))
            return failure;
        options.seed = static_cast<std::uint32_t>(whole);
    }
    for (const auto& [pOption, pValue, name, high] :
         {std::tuple{&set.leadMarks, &options.leadMarks, "lead-marks", 10000},
          std::tuple{&set.trailMarks, &options.trailMarks, "trail-marks", 10000},
          std::tuple{&set.silence, &options.silenceMs, "silence-ms", 60000}}) {
        if (!parser.IsSet(*pOption))
            continue;
        if (auto failure = ParseWhole(parser.Value(*pOption), 0, high, name, whole))
            return failure;
        *pValue = static_cast<int>(whole);
    }
    if (parser.IsSet(set.corrupt)) {
        const std::string what = parser.Value(set.corrupt);
        const std::size_t colon = what.find(':');
        const std::string kind = what.substr(0, colon);
        if (what == "crc") {
            options.corruption = Corruption::Crc;
        } else if ((kind == "parity" || kind == "truncate") && colon != std::string::npos &&
                   what.find(':', colon + 1) == std::string::npos) {
            if (auto failure = ParseWhole(what.substr(colon + 1), 1, 255, "corrupt", whole))
                return failure;
            options.corruption = kind == "parity" ? Corruption::Parity : Corruption::Truncate;
            options.corruptByte = static_cast<int>(whole);
        } else {
            return Failure{kExitUsage, Format(Tr("--corrupt is crc, parity:K or truncate:K, not \"%1\"."), {what})};
        }
    }
    for (const auto& [name, given] : parser.InOrder({&set.datetime, &set.called, &set.numberExt, &set.calledExt, &set.param})) {
        FrameParameter parameter;
        if (std::optional<std::string> problem = ReadNamedParameter(name, given, parameter))
            return Failure{kExitUsage, *problem};
        options.extraParameters.push_back(parameter);
    }
    return std::nullopt;
}

std::optional<Failure> ReadLevelDbm(const ParsedOptions& parser, const Option& levelDbm, const Option& calDbm,
                                    bool bSquare, double& levelDbfs)
{
    double level = 0;
    double calibration = 0;
    if (auto failure = ParseNumber(parser.Value(levelDbm), -150, 60, "level-dbm", level))
        return failure;
    const char* const pEnvironment = std::getenv("CORVANE_CAL_DBM");
    if (!parser.IsSet(calDbm) && (pEnvironment == nullptr || *pEnvironment == '\0'))
        return Failure{kExitUsage, Tr("--level-dbm needs --cal-dbm (or CORVANE_CAL_DBM): the level in dBm that the output gives for a full-scale sine, as a level meter reads it.")};
    const std::string given = parser.IsSet(calDbm) ? parser.Value(calDbm) : pEnvironment;
    if (auto failure = ParseNumber(given, -60, 30, "cal-dbm", calibration))
        return failure;
    constexpr double kSquareOverSine = 3.0103;  // dB: a square's power over a sine's of the same peak
    levelDbfs = level - calibration - (bSquare ? kSquareOverSine : 0);
    if (levelDbfs < -90 || levelDbfs > 0)
        return Failure{kExitUsage, Format(Tr("--level-dbm %1 is %2 dBFS at that calibration, outside -90 to 0."),
                                          {Trimmed(parser.Value(levelDbm)), Fixed(levelDbfs, 2)})};
    return std::nullopt;
}

std::string ProblemText(RequestProblem problem)
{
    switch (problem) {
    case RequestProblem::EmptyNumber:
        return Tr("Please enter a number.");
    case RequestProblem::NumberTooLong:
        return Format(Tr("The number can have at most %1 digits."), {Number(kMaxNumberDigits)});
    case RequestProblem::UnknownReason:
        return Tr("The reason is one of P, O, C and S.");
    default:
        return Tr("The amplitude must be one of 10, 20, ..., 100 percent.");
    }
}

std::optional<Failure> ReadRequest(const std::string& number, bool bNumber, const std::string& reason, bool bReason,
                                   NotificationRequest& request)
{
    if (bNumber == bReason)
        return Failure{kExitUsage, Tr("Give either --number or --reason.")};
    const RequestProblem problem =
        bNumber ? MakeNumberRequest(number, request) : MakeReasonRequest(reason.size() == 1 ? reason[0] : '\0', request);
    if (problem != RequestProblem::None)
        return Failure{kExitUsage, ProblemText(problem)};
    return std::nullopt;
}

std::optional<Failure> Compose(const NotificationRequest& request, const SignalOptions& options, StressSignal& signal)
{
    const std::optional<SignalFrame> frame = BuildStressFrame(request, options);
    if (!frame)
        return Failure{kExitUsage, Tr("The frame would be longer than 255 bytes.")};
    const bool bByteNeeded = options.corruption == Corruption::Parity || options.corruption == Corruption::Truncate;
    const int highest = options.corruption == Corruption::Truncate ? frame->bSendCnt - 1 : frame->bSendCnt;
    if (bByteNeeded && options.corruptByte > highest)
        return Failure{kExitUsage, Format(Tr("--corrupt names byte %1, but the frame has %2 bytes."),
                                          {Number(options.corruptByte),
                                           Number(frame->bSendCnt)})};
    std::optional<StressSignal> composed = ComposeStressSignal(request, options);
    if (!composed)
        return Failure{kExitUsage, Tr("The frame would be longer than 255 bytes.")};
    signal = std::move(*composed);
    return std::nullopt;
}

std::optional<Failure> ReadSignal(const ParsedOptions& parser, const SignalOptionSet& set,
                                  RequestedSignal& requested)
{
    if (auto failure = ReadRequest(parser.Value(set.number), parser.IsSet(set.number), parser.Value(set.reason),
                                   parser.IsSet(set.reason), requested.request))
        return failure;
    if (auto failure = ReadSignalOptions(parser, set, requested.options))
        return failure;
    return Compose(requested.request, requested.options, requested.signal);
}

nlohmann::json OptionsJson(const SignalOptions& options)
{
    static const char* const kCorruptions[] = {"none", "crc", "parity", "truncate"};
    nlohmann::json json{{"dialogSignal", options.IsDialogSignal()},
                     {"waveform", options.waveform == Waveform::Sine ? "sine" : "square"},
                     {"rate", options.rate},
                     {"leadMarks", options.leadMarks},
                     {"trailMarks", options.trailMarks},
                     {"silenceMs", options.silenceMs},
                     {"corrupt", kCorruptions[static_cast<int>(options.corruption)]}};
    if (options.levelDbfs)
        json["levelDbfs"] = *options.levelDbfs;
    else
        json["amplitudePercent"] = options.amplitudePercent;
    if (options.waveform == Waveform::Sine || options.MovesTheTones()) {
        json["markHz"] = options.markHz;
        json["spaceHz"] = options.spaceHz;
        json["baud"] = options.baud;
    }
    if (options.stopBits != 1 || options.charGapBits != 0) {
        json["stopBits"] = options.stopBits;
        json["charGapBits"] = options.charGapBits;
    }
    if (options.noiseSnrDb) {
        json["noiseSnrDb"] = *options.noiseSnrDb;
        json["seed"] = options.seed;
    }
    if (options.corruption == Corruption::Parity || options.corruption == Corruption::Truncate)
        json["corruptByte"] = options.corruptByte;
    nlohmann::json params = nlohmann::json::array();
    for (const FrameParameter& parameter : options.extraParameters)
        params.push_back(ParameterJson(parameter.type, parameter.text));
    json["params"] = params;
    return json;
}

nlohmann::json RequestJson(const NotificationRequest& request)
{
    return {{"kind", request.kind == InformationKind::CallerNumber ? "number" : "reason"},
            {"text", FromCodePage932(request.text)}};
}

nlohmann::json SignalJson(const NotificationRequest& request, const SignalOptions& options, const StressSignal& signal)
{
    const std::vector<int> bytes(signal.frame.data.begin(), signal.frame.data.begin() + signal.frame.bSendCnt);
    const int count = signal.frame.bSendCnt;
    const int check = count >= 2 ? signal.frame.data[static_cast<std::size_t>(count - 2)] |
                                       signal.frame.data[static_cast<std::size_t>(count - 1)] << 8
                                 : 0;
    return nlohmann::json{
        {"version", Version()},
        {"request", RequestJson(request)},
        {"frame", Trimmed(HexFrameText(signal.frame))},
        {"frameBytes", bytes},
        {"check", Hex(check, 4)},
        {"sendCount", count},
        {"samples", signal.samples.size()},
        {"seconds", static_cast<double>(signal.samples.size()) / signal.rate},
        {"peak", signal.peak},
        {"options", OptionsJson(options)}};
}

std::vector<std::uint8_t> OutputBytes(const StressSignal& signal, bool bRaw)
{
    if (!bRaw)
        return WaveFileBytes(signal.samples, signal.rate);
    const auto* pBytes = reinterpret_cast<const std::uint8_t*>(signal.samples.data());
    return {pBytes, pBytes + signal.samples.size() * sizeof(std::int16_t)};
}

std::optional<Failure> WriteOutput(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    if (path != "-") {
        const Status status = SaveFileSafely(path, bytes);
        if (!status.IsOk())
            return Failure{kExitFailed, StatusText(status)};
        return std::nullopt;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Failure{kExitFailed, Format(Tr("Cannot write to standard output: %1"), {std::strerror(errno)})};
        written += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

Option VolumeOption()
{
    return {"volume", Tr("Playback volume, 0 to 100 (default 30)."), "N"};
}

std::optional<Failure> ReadVolume(const ParsedOptions& parser, const Option& option, int& volume)
{
    long long whole = 30;
    if (parser.IsSet(option)) {
        if (auto failure = ParseWhole(parser.Value(option), 0, 100, "volume", whole))
            return failure;
    }
    volume = static_cast<int>(whole);
    return std::nullopt;
}

Option DeviceOption()
{
    return {"device", Tr("The sound device, as aplay -D takes it (default: default); corvane-cli devices lists them."),
            "NAME"};
}

std::optional<Failure> ReadDevice(const ParsedOptions& parser, const Option& option, std::string& device)
{
    device = parser.IsSet(option) ? parser.Value(option) : "default";
    if (device.empty())
        return Failure{kExitUsage, Tr("--device needs a device's name; corvane-cli devices lists them.")};
    return std::nullopt;
}

}  // namespace corvane::cli
