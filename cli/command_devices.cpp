// SPDX-License-Identifier: MIT
// corvane-cli devices: the outputs and inputs that --device may name, with the sound system's
// descriptions. In the playing module, with the sound library.
#include "player.h"

#include "audio/devices.h"

namespace corvane::cli {

namespace {

// A device's description on lines of its own, indented under its name.
std::string Described(const SoundDevice& device)
{
    std::string text = "  " + device.name + "\n";
    std::size_t at = 0;
    while (at < device.description.size()) {
        const std::size_t end = std::min(device.description.find('\n', at), device.description.size());
        text += "      " + device.description.substr(at, end - at) + "\n";
        at = end + 1;
    }
    return text;
}

int Devices(const Arguments& arguments)
{
    CommandLine line("devices",
                     Tr("Lists the sound outputs and inputs that --device may name.\n\nExample: corvane-cli devices"));
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 0, parsed))
        return *status;
    const std::vector<SoundDevice> devices = ListSoundDevices();
    std::string text;
    for (const auto& [bOutput, title] : {std::pair{true, Tr("Outputs:")}, std::pair{false, Tr("Inputs:")}}) {
        text += title + "\n";
        for (const SoundDevice& device : devices) {
            if (bOutput ? device.bOutput : device.bInput)
                text += Described(device);
        }
    }
    PrintOut(text);
    return Finish(std::nullopt);
}

}  // namespace

}  // namespace corvane::cli

extern "C" int CorvaneCliDevices(const corvane::cli::Arguments* pArguments)
{
    return corvane::cli::Devices(*pArguments);
}
