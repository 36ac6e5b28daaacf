// SPDX-License-Identifier: MIT
// Who judges each signal of a sweep: our decoder, a command of the user's that reads the signal
// as a WAVE file, or our decoder on what comes back through a cable from the output to the input.
#pragma once

#include "cli_common.h"
#include "player.h"
#include "stress/stress_signal.h"

#include <memory>
#include <optional>
#include <string>

namespace corvane::cli {

class SweepReceiver {
public:
    virtual ~SweepReceiver() = default;
    // Whether the frame of signal was received exactly, into bPassed; a failure when the signal
    // could not be tried at all (a file not written, a play that did not go out whole).
    virtual std::optional<Failure> Receive(const stress::StressSignal& signal, bool& bPassed) = 0;
};

// Our decoder, on the signal's own samples.
std::unique_ptr<SweepReceiver> DecoderReceiver();

// command, each {} in it replaced by the path of the signal's WAVE file (quoted for the shell);
// the signal passes when command exits with status 0 and prints expected. The files live in a
// folder of their own, removed with the receiver. nullptr with failure when the folder cannot be
// made.
std::unique_ptr<SweepReceiver> CommandReceiver(const std::string& command, const std::string& expected,
                                               std::optional<Failure>& failure);

// Our decoder, on what the input records while player plays the signal, for as long as the
// signal, whose silence at its end takes the cable's delay. device names the input too.
std::unique_ptr<SweepReceiver> CableReceiver(SignalPlayer& player, const std::string& device);

}  // namespace corvane::cli
