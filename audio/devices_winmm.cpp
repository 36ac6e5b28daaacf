// SPDX-License-Identifier: MIT
#include "devices.h"

#include "base/wide_text.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>

namespace corvane {

namespace {

// Adds a device by its name, or marks the one of that name already listed.
void Add(std::vector<SoundDevice>& devices, SoundDevice device)
{
    const auto listed = std::find_if(devices.begin(), devices.end(),
                                     [&device](const SoundDevice& other) { return other.name == device.name; });
    if (listed == devices.end()) {
        devices.push_back(std::move(device));
        return;
    }
    listed->bOutput = listed->bOutput || device.bOutput;
    listed->bInput = listed->bInput || device.bInput;
}

}  // namespace

std::vector<SoundDevice> ListSoundDevices()
{
    // "default" is the sound mapper, which follows the device chosen in Windows' sound settings;
    // the others go by the names winmm gives them.
    std::vector<SoundDevice> devices;
    WAVEOUTCAPSW outCaps{};
    if (waveOutGetNumDevs() > 0 && waveOutGetDevCapsW(WAVE_MAPPER, &outCaps, sizeof outCaps) == MMSYSERR_NOERROR)
        Add(devices, {"default", WideToUtf8(outCaps.szPname), true, false});
    WAVEINCAPSW inCaps{};
    if (waveInGetNumDevs() > 0 && waveInGetDevCapsW(WAVE_MAPPER, &inCaps, sizeof inCaps) == MMSYSERR_NOERROR)
        Add(devices, {"default", WideToUtf8(inCaps.szPname), false, true});
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        if (waveOutGetDevCapsW(id, &outCaps, sizeof outCaps) == MMSYSERR_NOERROR)
            Add(devices, {WideToUtf8(outCaps.szPname), "", true, false});
    }
    for (UINT id = 0; id < waveInGetNumDevs(); ++id) {
        if (waveInGetDevCapsW(id, &inCaps, sizeof inCaps) == MMSYSERR_NOERROR)
            Add(devices, {WideToUtf8(inCaps.szPname), "", false, true});
    }
    return devices;
}

}  // namespace corvane
