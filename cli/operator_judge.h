// SPDX-License-Identifier: MIT
// The operator as a signal's judge: the terminal under test shows a number on its screen, which
// only a person can read. Each signal is played, then the operator says what the terminal showed.
#pragma once

#include "cli_common.h"
#include "player.h"
#include "signal/request.h"
#include "stress/stress_signal.h"

#include <ctime>
#include <optional>
#include <string>

namespace corvane::cli {

// How a signal fared: received exactly, not (or wrongly), not judged, or the run stopped before
// it was judged.
enum class Verdict { kPass, kFail, kSkip, kStop };

// The verdict as the results write it: "pass", "fail" or "skip" ("stop" for kStop, never written).
const char* VerdictName(Verdict verdict);

// A verdict and when it was given.
struct Judgement {
    Verdict verdict = Verdict::kSkip;
    std::time_t time = 0;
};

// time as ISO 8601 in this computer's time zone, "2026-12-10T17:05:09+09:00".
std::string IsoTime(std::time_t time);

// What the terminal should show for request: its number, or that none is given and why.
std::string ExpectedOnTerminal(const NotificationRequest& request);

// Plays signals and asks the operator, on standard error, what the terminal showed; the answers
// are read from standard input (the terminal, or a script's lines): y shown correctly, n not shown
// or wrong, r play it again, s skip, q stop. Anything else asks again; the end of the input stops.
class OperatorJudge {
public:
    // player plays every signal; input reads the answers and must outlive the judge.
    OperatorJudge(SignalPlayer& player, InputFile& input) : m_player(player), m_input(input) {}

    // Plays signal, then asks, showing expected (what the terminal should show) and about (the
    // signal's other parameters, may be empty); the answer into judgement. A failure when the
    // signal did not go out whole or the run was interrupted.
    std::optional<Failure> Judge(const stress::StressSignal& signal, const std::string& expected,
                                 const std::string& about, Judgement& judgement);

private:
    // The next answer's letter, '\0' at the end of the input; waits for it as long as the
    // operator takes, but no longer than an interruption.
    char Answer();

    SignalPlayer& m_player;
    InputFile& m_input;
};

}  // namespace corvane::cli
