// SPDX-License-Identifier: MIT
// The sound devices a command may be told to use, as the sound system lists them.
#pragma once

#include <string>
#include <vector>

namespace corvane {

// One device: the name a command takes (as aplay -D takes it; on Windows winmm's name, or "default"
// for the sound mapper), the sound system's description of it
// (perhaps several lines), and whether it plays, records or both.
struct SoundDevice {
    std::string name;
    std::string description;
    bool bOutput = false;
    bool bInput = false;
};

// The devices the sound system offers, in its order; empty when it offers none.
std::vector<SoundDevice> ListSoundDevices();

}  // namespace corvane
