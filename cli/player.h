// SPDX-License-Identifier: MIT
// The sound device for the commands that play: opened once, every play waited for, and an
// interruption honoured.
#pragma once

#include "cli_common.h"
#include "stress/stress_signal.h"

#include <condition_variable>
#include <csignal>
#include <mutex>

namespace corvane::cli {

// The signal (SIGINT, SIGTERM or SIGHUP) that ended the command once a Player has opened the
// device, else 0.
extern volatile std::sig_atomic_t g_nInterruptSignal;

// The exit status for an interruption by g_nInterruptSignal: 128 and the signal's number.
int InterruptedStatus();

class Player {
public:
    // Takes the default output at volume (0 to 100), opened by each play itself, so that a
    // reader of a one-shot device gets the whole signal; from then on SIGINT, SIGTERM and SIGHUP
    // stop the sound at once, and the command ends with 130, 143 or 129.
    std::optional<Failure> Open(int volume);
    ~Player();
    // Plays signal and returns when it has been played; a failure if it did not go out whole.
    std::optional<Failure> Play(const stress::StressSignal& signal);

private:
    bool m_bOpen = false;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_bDone = false;
    Status m_outcome;
};

}  // namespace corvane::cli
