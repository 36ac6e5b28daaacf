// SPDX-License-Identifier: MIT
// The options of every command that plays (--volume, --device), read once into the settings a
// player is opened with.
#pragma once

#include "cli_common.h"

#include <string>

namespace corvane::cli {

// The option --device NAME: the ALSA device to play on or record from, as aplay -D and arecord -D
// take it.
Option DeviceOption();

// The device that option names, "default" when it is not given; refused when given empty.
std::optional<Failure> ReadDevice(const ParsedOptions& parser, const Option& option, std::string& device);

struct PlayerOptionSet {
    Option volume;  // 0 to 100, the dialog's initial position unless given
    Option device = DeviceOption();

    PlayerOptionSet();
};

// What a player is opened with.
struct PlayerSettings {
    int nVolume;         // 0 to 100
    std::string device;  // an ALSA PCM name
};

// Reads the volume and the device, or says why they cannot be.
std::optional<Failure> ReadPlayerSettings(const ParsedOptions& parser, const PlayerOptionSet& set,
                                          PlayerSettings& settings);

}  // namespace corvane::cli
