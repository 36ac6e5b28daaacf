// SPDX-License-Identifier: MIT
// corvane-cli play: the signal once on the default output, successful only if all of it went out.
#include "commands.h"

#include "player.h"
#include "signal_request.h"

namespace corvane::cli {

int RunPlay(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, true);
    const QCommandLineOption volume = VolumeOption();
    parser.addOption(volume);
    if (auto status = ParseOrExit(parser, arguments,
                                      Tr("Plays the signal once on the default output; exit status 0 only if all of it went out.\n\nExample: corvane-cli play --number 0312345678 --volume 60"), 0))
        return *status;
    RequestedSignal requested;
    int nVolume = 30;
    if (auto failure = ReadSignal(parser, set, requested))
        return Finish(failure);
    if (auto failure = ReadVolume(parser, volume, nVolume))
        return Finish(failure);
    Player player;
    if (auto failure = player.Open(nVolume))
        return Finish(failure);
    return Finish(player.Play(requested.signal));
}

}  // namespace corvane::cli
