// SPDX-License-Identifier: MIT
#include "player.h"

#include "audio/playback.h"

#include <chrono>

namespace corvane::cli {

volatile std::sig_atomic_t g_nInterruptSignal = 0;

namespace {

void OnInterrupt(int signal)
{
    g_nInterruptSignal = signal;
}

}  // namespace

int InterruptedStatus()
{
    return 128 + g_nInterruptSignal;
}

std::optional<Failure> Player::Open(int volume)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, OnInterrupt);
    const Status status = OpenPlaybackUnchecked([this](long, const Status& outcome) {
        std::lock_guard lock(m_mutex);
        m_outcome = outcome;
        m_bDone = true;
        m_done.notify_all();
    });
    if (!status.IsOk())
        return Failure{kExitFailed, StatusText(status)};
    m_bOpen = true;
    ApplyVolume(volume);
    return std::nullopt;
}

Player::~Player()
{
    if (m_bOpen)
        ClosePlayback();
}

std::optional<Failure> Player::Play(const stress::StressSignal& signal)
{
    {
        std::lock_guard lock(m_mutex);
        m_bDone = false;
    }
    const Status started = PlaySamples(signal.samples, signal.rate);
    if (!started.IsOk())
        return Failure{kExitFailed, StatusText(started)};
    std::unique_lock lock(m_mutex);
    while (!m_done.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_bDone; })) {
        if (g_nInterruptSignal != 0)
            return Failure{InterruptedStatus(), Tr("Interrupted.")};
    }
    if (!m_outcome.IsOk())
        return Failure{kExitFailed, StatusText(m_outcome)};
    return std::nullopt;
}

}  // namespace corvane::cli
