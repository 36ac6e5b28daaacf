// SPDX-License-Identifier: MIT
#include "player_options.h"

#include "audio/playback.h"

namespace corvane::cli {

Option DeviceOption()
{
    // Windows names its devices itself; on Linux they are ALSA's.
#ifdef _WIN32
    return {"device",
            Tr("The sound device by its Windows name (default: default, the one chosen in Windows' sound settings); "
               "corvane-cli devices lists them."),
            "NAME"};
#else
    return {"device", Tr("The sound device, as aplay -D takes it (default: default); corvane-cli devices lists them."),
            "NAME"};
#endif
}

std::optional<Failure> ReadDevice(const ParsedOptions& parser, const Option& option, std::string& device)
{
    device = parser.IsSet(option) ? parser.Value(option) : "default";
    if (device.empty())
        return Failure{kExitUsage, Tr("--device needs a device's name; corvane-cli devices lists them.")};
    return std::nullopt;
}

PlayerOptionSet::PlayerOptionSet()
    : volume(Option{"volume", Format(Tr("Playback volume, 0 to 100 (default %1)."), {Number(kInitialVolume)}), "N"}
                 .TakesWhole(0, 100))
{
}

std::optional<Failure> ReadPlayerSettings(const ParsedOptions& parser, const PlayerOptionSet& set,
                                          PlayerSettings& settings)
{
    settings.nVolume = kInitialVolume;
    if (auto failure = ReadWhole(parser, set.volume, settings.nVolume))
        return failure;
    return ReadDevice(parser, set.device, settings.device);
}

}  // namespace corvane::cli
