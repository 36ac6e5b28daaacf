// SPDX-License-Identifier: MIT
// corvane-cli play: the signal once on the default output, successful only if all of it went out.
#include "commands.h"

#include "player.h"
#include "signal_request.h"

namespace corvane::cli {

int RunPlay(const Arguments& arguments)
{
    CommandLine line("play", Tr("Plays the signal once on the default output; exit status 0 only if all of it went out.\n\nExample: corvane-cli play --number 0312345678 --volume 60"));
    const SignalOptionSet set;
    set.AddTo(line, true);
    const Option volume = VolumeOption();
    const Option device = DeviceOption();
    line.Add({volume, device});
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 0, parsed))
        return *status;
    RequestedSignal requested;
    int nVolume = 30;
    if (auto failure = ReadSignal(parsed, set, requested))
        return Finish(failure);
    if (auto failure = ReadVolume(parsed, volume, nVolume))
        return Finish(failure);
    std::string deviceName;
    if (auto failure = ReadDevice(parsed, device, deviceName))
        return Finish(failure);
    std::unique_ptr<SignalPlayer> player;
    if (auto failure = LoadPlayer(nVolume, deviceName, player))
        return Finish(failure);
    return Finish(player->Play(requested.signal));
}

}  // namespace corvane::cli
