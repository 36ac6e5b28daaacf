// SPDX-License-Identifier: MIT
// The sound device for the commands that play: opened once, every play waited for, and an
// interruption honoured. Its code and the sound libraries live in a module of their own, loaded
// only by the commands that play.
#pragma once

#include "cli_common.h"
#include "commands.h"
#include "player_options.h"
#include "stress/stress_signal.h"

#include <csignal>
#include <memory>

namespace corvane::cli {

class SignalPlayer {
public:
    virtual ~SignalPlayer() = default;
    // Takes the settings' output device at their volume, the device opened by each play itself,
    // so that a reader of a one-shot device gets the whole signal; from then on SIGINT, SIGTERM
    // and SIGHUP stop the sound at once, and the command ends with 130, 143 or 129 (on Windows,
    // Ctrl-C and Ctrl-Break end it with 130).
    virtual std::optional<Failure> Open(const PlayerSettings& settings) = 0;
    // Plays signal and returns when it has been played; a failure if it did not go out whole.
    virtual std::optional<Failure> Play(const stress::StressSignal& signal) = 0;
    // The signal (SIGINT, SIGTERM or SIGHUP; SIGBREAK on Windows) that ended the command since
    // Open, else 0.
    virtual int InterruptSignal() const = 0;
};

// The exit status for an interruption by signal: 128 and the signal's number, Ctrl-Break's
// that of Ctrl-C, as a console's user means the same by both.
inline int InterruptedStatus(int signal)
{
#ifdef SIGBREAK
    if (signal == SIGBREAK)
        signal = SIGINT;
#endif
    return 128 + signal;
}

// A player in this module, opened with the settings that set's options give in parser (read
// into settings), or why there is none.
std::optional<Failure> OpenPlayer(const ParsedOptions& parser, const PlayerOptionSet& set, PlayerSettings& settings,
                                  std::unique_ptr<SignalPlayer>& player);

// A player from the playback module, loaded now and opened with settings, or why there is none.
std::optional<Failure> LoadPlayer(const PlayerSettings& settings, std::unique_ptr<SignalPlayer>& player);

// Plays signal once with a player from the playback module, opened with the settings that set's
// options give in parser; the exit status.
int PlayOnce(const ParsedOptions& parser, const PlayerOptionSet& set, const stress::StressSignal& signal);

}  // namespace corvane::cli

// The modules' entries, looked up by name when they are loaded.
extern "C" {
// A new player, owned by the caller.
corvane::cli::SignalPlayer* CorvaneCliNewPlayer();
// True when a play's session did not end; the process then exits without waiting for it.
bool CorvaneCliPlaybackStuck();
// corvane-cli devices, run on its arguments.
int CorvaneCliDevices(const corvane::cli::Arguments* pArguments);
}
