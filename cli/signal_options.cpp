// SPDX-License-Identifier: MIT
#include "signal_options.h"

#include "named_parameters.h"

#include "request/request_checks.h"

#include <algorithm>
#include <cstdlib>

namespace corvane::cli {

Option LevelDbfsOption(std::string help)
{
    return Option{"level-dbfs", std::move(help), "DB"}.Takes(-90, 0);
}

Option LevelDbmOption(std::string help)
{
    return Option{"level-dbm", std::move(help), "DBM"}.Takes(-150, 60);
}

Option CalibrationOption(std::string help)
{
    return Option{"cal-dbm", std::move(help), "DBM"}.Takes(-60, 30);
}

std::optional<Failure> ReadCalibration(const ParsedOptions& parser, const Option& option, std::optional<double>& dbm)
{
    const char* const pEnvironment = std::getenv("CORVANE_CAL_DBM");
    const std::string given = parser.IsSet(option) ? parser.Value(option) : pEnvironment != nullptr ? pEnvironment : "";
    dbm.reset();
    if (given.empty())
        return std::nullopt;
    double value = 0;
    if (auto failure = ParseNumber(given, option.low, option.high, option.name, value))
        return failure;
    dbm = value;
    return std::nullopt;
}

std::optional<Failure> ReadAmplitude(const std::string& text, const Option& option, int& percent)
{
    long long whole = 0;
    if (auto failure = ParseWhole(text, static_cast<long long>(option.low), static_cast<long long>(option.high),
                                  option.name, whole))
        return failure;
    if (!AmplitudeStepFromPercent(static_cast<int>(whole)))
        return Failure{kExitUsage, Tr("The amplitude must be one of 10, 20, ..., 100 percent.")};
    percent = static_cast<int>(whole);
    return std::nullopt;
}

std::optional<Failure> ReadSignalOptions(const ParsedOptions& parser, const SignalOptionSet& set,
                                         SignalOptions& options)
{
    if (parser.IsSet(set.amplitude)) {
        if (auto failure = ReadAmplitude(parser.Value(set.amplitude), set.amplitude, options.amplitudePercent))
            return failure;
    }
    if (parser.IsSet(set.level)) {
        if (parser.IsSet(set.amplitude))
            return Failure{kExitUsage, Tr("Give --amplitude or --level-dbfs, not both.")};
        double value = 0;
        if (auto failure = ReadNumber(parser, set.level, value))
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
        double value = 0;
        if (auto failure = ReadLevelDbm(parser, set.levelDbm, set.calDbm, options.waveform == Waveform::Square, value))
            return failure;
        options.levelDbfs = value;
    }
    if (parser.IsSet(set.rate)) {
        int rate = 0;
        if (auto failure = ReadWhole(parser, set.rate, rate))
            return failure;
        if (std::find(std::begin(stress::kRates), std::end(stress::kRates), rate) == std::end(stress::kRates))
            return Failure{kExitUsage, Tr("--rate is one of 8000, 16000, 24000, 44100 and 48000.")};
        options.rate = rate;
    }
    // The tones may lie anywhere below half the rate that carries them.
    for (const auto& [pOption, pValue] :
         {std::pair{&set.markHz, &options.markHz}, std::pair{&set.spaceHz, &options.spaceHz}}) {
        if (!parser.IsSet(*pOption))
            continue;
        if (auto failure = ParseNumber(parser.Value(*pOption), 100, options.rate / 2.0, pOption->name, *pValue))
            return failure;
    }
    if (auto failure = ReadNumber(parser, set.baud, options.baud))
        return failure;
    for (const auto& [pOption, pValue] :
         {std::pair{&set.stopBits, &options.stopBits}, std::pair{&set.charGapBits, &options.charGapBits}}) {
        if (auto failure = ReadWhole(parser, *pOption, *pValue))
            return failure;
    }
    if (parser.IsSet(set.noise)) {
        double value = 0;
        if (auto failure = ReadNumber(parser, set.noise, value))
            return failure;
        options.noiseSnrDb = value;
    }
    long long seed = options.seed;
    if (auto failure = ReadWhole(parser, set.seed, seed))
        return failure;
    options.seed = static_cast<std::uint32_t>(seed);
    for (const auto& [pOption, pValue] :
         {std::pair{&set.leadMarks, &options.leadMarks}, std::pair{&set.trailMarks, &options.trailMarks},
          std::pair{&set.silence, &options.silenceMs}}) {
        if (auto failure = ReadWhole(parser, *pOption, *pValue))
            return failure;
    }
    if (parser.IsSet(set.corrupt)) {
        const std::string what = parser.Value(set.corrupt);
        const std::size_t colon = what.find(':');
        const std::string kind = what.substr(0, colon);
        if (what == "crc") {
            options.corruption = Corruption::Crc;
        } else if ((kind == "parity" || kind == "truncate") && colon != std::string::npos &&
                   what.find(':', colon + 1) == std::string::npos) {
            long long whole = 0;
            if (auto failure = ParseWhole(what.substr(colon + 1), 1, 255, set.corrupt.name, whole))
                return failure;
            options.corruption = kind == "parity" ? Corruption::Parity : Corruption::Truncate;
            options.corruptByte = static_cast<int>(whole);
        } else {
            return Failure{kExitUsage, Format(Tr("--corrupt is crc, parity:K or truncate:K, not \"%1\"."), {what})};
        }
    }
    for (const auto& [name, given] : parser.InOrder(set.Parameters())) {
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
    if (auto failure = ReadNumber(parser, levelDbm, level))
        return failure;
    std::optional<double> calibration;
    if (auto failure = ReadCalibration(parser, calDbm, calibration))
        return failure;
    if (!calibration)
        return Failure{kExitUsage, Tr("--level-dbm needs --cal-dbm (or CORVANE_CAL_DBM): the level in dBm that the "
                                      "output gives for a full-scale sine, as a level meter reads it.")};
    constexpr double kSquareOverSine = 3.0103;  // dB: a square's power over a sine's of the same peak
    levelDbfs = level - *calibration - (bSquare ? kSquareOverSine : 0);
    if (levelDbfs < -90 || levelDbfs > 0)
        return Failure{kExitUsage, Format(Tr("--level-dbm %1 is %2 dBFS at that calibration, outside -90 to 0."),
                                          {Trimmed(parser.Value(levelDbm)), Fixed(levelDbfs, 2)})};
    return std::nullopt;
}

}  // namespace corvane::cli
