// SPDX-License-Identifier: MIT
#include "player.h"

#include "audio/playback.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>

namespace corvane::cli {

namespace {

volatile std::sig_atomic_t g_nInterruptSignal = 0;

void OnInterrupt(int signal)
{
    g_nInterruptSignal = signal;
}

class Player : public SignalPlayer {
public:
    ~Player() override
    {
        if (m_bOpen)
            ClosePlayback();
    }

    std::optional<Failure> Open(const PlayerSettings& settings) override
    {
#ifdef SIGBREAK
        for (const int signal : {SIGINT, SIGTERM, SIGBREAK})
#else
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
#endif
            std::signal(signal, OnInterrupt);
        SetPlaybackDevice(settings.device);
        const Status status = OpenPlaybackUnchecked([this](long, const Status& outcome) {
            std::lock_guard lock(m_mutex);
            m_outcome = outcome;
            m_bDone = true;
            m_done.notify_all();
        });
        if (!status.IsOk())
            return Failure{kExitFailed, StatusText(status)};
        m_bOpen = true;
        ApplyVolume(settings.nVolume);
        return std::nullopt;
    }

    std::optional<Failure> Play(const stress::StressSignal& signal) override
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
                return Failure{InterruptedStatus(g_nInterruptSignal), Tr("Interrupted.")};
        }
        if (!m_outcome.IsOk())
            return Failure{kExitFailed, StatusText(m_outcome)};
        return std::nullopt;
    }

    int InterruptSignal() const override
    {
        return g_nInterruptSignal;
    }

private:
    bool m_bOpen = false;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_bDone = false;
    Status m_outcome;
};

}  // namespace

std::optional<Failure> OpenPlayer(const ParsedOptions& parser, const PlayerOptionSet& set, PlayerSettings& settings,
                                  std::unique_ptr<SignalPlayer>& player)
{
    if (auto failure = ReadPlayerSettings(parser, set, settings))
        return failure;
    player = std::make_unique<Player>();
    return player->Open(settings);
}

}  // namespace corvane::cli

corvane::cli::SignalPlayer* CorvaneCliNewPlayer()
{
    return new corvane::cli::Player();
}

bool CorvaneCliPlaybackStuck()
{
    return corvane::PlaybackLeftStuck();
}
