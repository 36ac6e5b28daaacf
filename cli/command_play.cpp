// SPDX-License-Identifier: MIT
// corvane-cli play: the signal once on the default output, successful only if all of it went out.
#include "commands.h"

#include "player.h"
#include "signal_request.h"

namespace corvane::cli {

int RunPlay(const Arguments& arguments)
{
    CommandLine line("play", Tr("Plays the signal once on the default output; exit status 0 only if all of it went "
                                "out.\n\nExample: corvane-cli play --number 0312345678 --volume 60"));
    const SignalOptionSet set;
    set.AddTo(line, true);
    const PlayerOptionSet playerSet;
    line.Add({playerSet.volume, playerSet.device});
    ParsedOptions parsed;
    RequestedSignal requested;
    if (auto status = ParseSignalCommand(line, arguments, set, parsed, requested))
        return *status;
    return PlayOnce(parsed, playerSet, requested.signal);
}

}  // namespace corvane::cli
