// SPDX-License-Identifier: MIT
// corvane-cli tone: a steady sine to calibrate a level meter against, played or saved.
#include "commands.h"

#include "player.h"
#include "signal_options.h"
#include "signal_output.h"

#include "audio/playback.h"

namespace corvane::cli {

int RunTone(const Arguments& arguments)
{
    CommandLine line("tone", Tr("Plays a steady sine, or saves it with -o, to measure the output's level with a "
                                "meter.\n\nExample: corvane-cli tone --hz 1000 --level-dbfs 0 --seconds 30"));
    const Option hz{"hz", Tr("Frequency in Hz (default 1000)."), "HZ"};
    const Option seconds = Option{"seconds", Tr("Length in seconds, 0.1 to 3600 (default 10)."), "S"}.Takes(0.1, 3600);
    const Option levelDbfs = LevelDbfsOption(Tr("Peak level in dBFS, -90 to 0 (default -10)."));
    const Option levelDbm = LevelDbmOption(Tr("Level in dBm at the sound card's output, with --cal-dbm."));
    const Option rateOption = Option{"rate", Tr("Sample rate in Hz, 8000 to 96000 (default 24000)."), "HZ"}.TakesWhole(
        kMinPlayRate, kMaxPlayRate);
    const SignalOptionSet set;
    const Option output{"output", Tr("Save to this file instead of playing; - for standard output."), "FILE", 'o'};
    const Option raw{"raw", Tr("Bare 16-bit little-endian samples, no WAVE header.")};
    const PlayerOptionSet playerSet;
    line.Add(
        {hz, seconds, levelDbfs, levelDbm, set.calDbm, rateOption, output, raw, playerSet.volume, playerSet.device});
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 0, parsed))
        return *status;
    int rate = kSampleRate;
    double frequency = 1000;
    double length = 10;
    if (auto failure = ReadWhole(parsed, rateOption, rate))
        return Finish(failure);
    // Any tone that the rate carries.
    if (parsed.IsSet(hz)) {
        if (auto failure = ParseNumber(parsed.Value(hz), 20, static_cast<double>(rate) / 2 - 1, hz.name, frequency))
            return Finish(failure);
    }
    if (auto failure = ReadNumber(parsed, seconds, length))
        return Finish(failure);
    if (parsed.IsSet(levelDbfs) && parsed.IsSet(levelDbm))
        return Finish(Failure{kExitUsage, Tr("Give --level-dbfs or --level-dbm, not both.")});
    double level = -10;
    if (parsed.IsSet(levelDbfs)) {
        if (auto failure = ReadNumber(parsed, levelDbfs, level))
            return Finish(failure);
    } else if (parsed.IsSet(levelDbm)) {
        if (auto failure = ReadLevelDbm(parsed, levelDbm, set.calDbm, false, level))
            return Finish(failure);
    }
    const StressSignal tone = stress::SteadyTone(frequency, level, length, rate);
    if (parsed.IsSet(output))
        return Finish(WriteOutput(parsed.Value(output), OutputBytes(tone, parsed.IsSet(raw))));
    return PlayOnce(parsed, playerSet, tone);
}

}  // namespace corvane::cli
