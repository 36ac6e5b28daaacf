// SPDX-License-Identifier: MIT
// Who judges each signal of a sweep: our decoder, a command of the user's that reads the signal
// as a WAVE file, our decoder on what comes back through a cable from the output to the input, or
// the operator, who reads the terminal under test.
#pragma once

#include "cli_common.h"
#include "operator_judge.h"
#include "player.h"
#include "stress/stress_signal.h"

#include <memory>
#include <optional>
#include <string>

namespace corvane::cli {

class SweepReceiver {
public:
    virtual ~SweepReceiver() = default;
    // Whether the frame of signal was received exactly, into judgement (pass or fail; the operator
    // may also skip it or stop the sweep); about names the signal's point and seed. A failure when
    // the signal could not be tried at all (a file not written, a play that did not go out whole).
    virtual std::optional<Failure> Receive(const stress::StressSignal& signal, const std::string& about,
                                           Judgement& judgement) = 0;
    // Who judges, as the results name it: "decoder", "command", "cable" or "operator".
    virtual const char* Judge() const = 0;
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

// The operator through judge, told that the terminal should show expected (the number or the
// reason, as UTF-8).
std::unique_ptr<SweepReceiver> OperatorReceiver(OperatorJudge& judge, const std::string& expected);

}  // namespace corvane::cli
