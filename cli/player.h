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

// Set by SIGINT or SIGTERM once a Player has opened the device.
extern volatile std::sig_atomic_t g_bInterrupted;

class Player {
public:
    // Opens the default output at volume (0 to 100); from then on Ctrl-C stops the sound at
    // once, and the command ends with 130.
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
