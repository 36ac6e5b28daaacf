// SPDX-License-Identifier: MIT
#include "devices.h"

#include <alsa/asoundlib.h>

#include <cstdlib>
#include <memory>

namespace corvane {

namespace {

// A hint's field, freed as ALSA asks; empty when the hint has none.
std::string HintField(const void* pHint, const char* pField)
{
    const std::unique_ptr<char, decltype(&std::free)> pValue(snd_device_name_get_hint(pHint, pField), &std::free);
    return pValue ? std::string(pValue.get()) : std::string();
}

}  // namespace

std::vector<SoundDevice> ListSoundDevices()
{
    void** ppHints = nullptr;
    std::vector<SoundDevice> devices;
    if (snd_device_name_hint(-1, "pcm", &ppHints) < 0)
        return devices;
    for (void** ppHint = ppHints; *ppHint != nullptr; ++ppHint) {
        SoundDevice device;
        device.name = HintField(*ppHint, "NAME");
        device.description = HintField(*ppHint, "DESC");
        // No direction named: the device does both.
        const std::string direction = HintField(*ppHint, "IOID");
        device.bOutput = direction.empty() || direction == "Output";
        device.bInput = direction.empty() || direction == "Input";
        if (!device.name.empty())
            devices.push_back(device);
    }
    snd_device_name_free_hint(ppHints);
    return devices;
}

}  // namespace corvane
