// SPDX-License-Identifier: MIT
// How late the tone starts after a Play and how late the completion notice comes after the
// signal's end, heard on the monitor of the sink that the default device plays into.
// Run by scripts/check-playback-latency.sh, which sets up a PulseAudio null sink as "default" and
// its monitor as the ALSA device "monitor". Exits 1 when the medians miss the targets.
#include "audio/playback.h"
#include "signal/compose.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace corvane;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kPlays = 5;
constexpr double kStartTargetMs = 100.0;   // tone start, beyond the signal's own lead silence
constexpr double kReturnTargetMs = 300.0;  // notice, after the signal's end was heard
constexpr int kTone = 1000;                // a monitored sample above this is tone

// Records when the monitor hears tone: the first and last toned frame after a mark.
class Monitor {
public:
    bool Open()
    {
        if (snd_pcm_open(&m_pPcm, "monitor", SND_PCM_STREAM_CAPTURE, 0) < 0)
            return false;
        return snd_pcm_set_params(m_pPcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kSampleRate, 1,
                                  20000) >= 0;
    }
    void Start()
    {
        m_thread = std::thread([this] { Run(); });
    }
    void Stop()
    {
        m_bStop = true;
        m_thread.join();
        snd_pcm_close(m_pPcm);
    }
    void Reset()
    {
        std::lock_guard lock(m_mutex);
        m_first = m_last = Clock::time_point{};
    }
    std::pair<Clock::time_point, Clock::time_point> Tone()
    {
        std::lock_guard lock(m_mutex);
        return {m_first, m_last};
    }

private:
    void Run()
    {
        std::int16_t chunk[120];  // 5 ms
        while (!m_bStop) {
            const snd_pcm_sframes_t n = snd_pcm_readi(m_pPcm, chunk, std::size(chunk));
            const Clock::time_point now = Clock::now();
            if (n < 0) {
                snd_pcm_recover(m_pPcm, static_cast<int>(n), 1);
                continue;
            }
            snd_pcm_sframes_t delay = 0;
            snd_pcm_delay(m_pPcm, &delay);
            for (snd_pcm_sframes_t i = 0; i < n; ++i) {
                if (std::abs(chunk[i]) < kTone)
                    continue;
                // The frame was heard as long before now as the frames after it and those still queued.
                const auto heard = now - std::chrono::microseconds((n - i + delay) * 1000000LL / kSampleRate);
                std::lock_guard lock(m_mutex);
                if (m_first == Clock::time_point{})
                    m_first = heard;
                m_last = heard;
            }
        }
    }

    snd_pcm_t* m_pPcm = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    Clock::time_point m_first{};
    Clock::time_point m_last{};
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main()
{
    std::mutex mutex;
    std::condition_variable done;
    Clock::time_point doneAt{};
    const Status opened = OpenPlayback([&](long, const Status&) {
        std::lock_guard lock(mutex);
        doneAt = Clock::now();
        done.notify_all();
    });
    Monitor monitor;
    if (!opened.IsOk() || !monitor.Open()) {
        std::fprintf(stderr, "cannot open the default device or the monitor: %s\n", opened.Message().c_str());
        return 2;
    }
    monitor.Start();
    // A new monitor stream makes the server settle the sink's latency anew: not ours to measure.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ApplyVolume(100);
    iWaveFormValue = *AmplitudeFromStep(9);

    std::vector<double> starts;
    std::vector<double> returns;
    for (int play = 0; play < kPlays; ++play) {
        const ComposeOutcome outcome =
            ComposeSignal(ComposeMode::Play, {}, {InformationKind::CallerNumber, "01234567890123456789"},
                          *PlaybackBuffer(), [](const std::string&) {});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        monitor.Reset();
        {
            std::lock_guard lock(mutex);
            doneAt = Clock::time_point{};
        }
        const Clock::time_point clicked = Clock::now();
        if (!PlaySignal(outcome.Offset).IsOk())
            return 2;
        {
            std::unique_lock lock(mutex);
            done.wait(lock, [&] { return doneAt != Clock::time_point{}; });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const auto [first, last] = monitor.Tone();
        if (first == Clock::time_point{}) {
            std::fprintf(stderr, "play %d: no tone reached the monitor\n", play + 1);
            return 2;
        }
        const double silenceMs = 1000.0 * kSilenceSamples / kSampleRate;
        const double startMs = Ms(first - clicked).count() - silenceMs;
        // The last tone is followed by the signal's own trailing silence.
        const double returnMs = Ms(doneAt - last).count() - silenceMs;
        std::printf("play %d: tone %.0f ms after the lead silence, notice %.0f ms after the trailing silence, "
                    "Play disabled %.0f ms for a %.0f ms signal\n",
                    play + 1, startMs, returnMs, Ms(doneAt - clicked).count(), 1000.0 * outcome.Offset / kSampleRate);
        starts.push_back(startMs);
        returns.push_back(returnMs);
    }
    monitor.Stop();
    ClosePlayback();
    const double start = Median(starts);
    const double back = Median(returns);
    std::printf("median: tone %.0f ms late (target %.0f), Play back %.0f ms after the end (target %.0f)\n", start,
                kStartTargetMs, back, kReturnTargetMs);
    return start <= kStartTargetMs && back <= kReturnTargetMs ? 0 : 1;
}
