// SPDX-License-Identifier: MIT
#include "playback.h"

#include "playback_device.h"
#include "playback_messages.h"

#include "base/trace.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

namespace {

using namespace std::chrono_literals;

constexpr unsigned kChannels = 1;
constexpr std::uint32_t kBlockAlign = kChannels * 2;
constexpr std::uint32_t kFullLevel = 0xFFFF;
// Short enough that the tone starts and the notice comes promptly, also through a sound server;
// long enough that a busy desktop does not underrun.
constexpr unsigned kDeviceLatencyUs = 80000;
// Samples written at a time: a volume change or a reset is heard within one of these.
constexpr int kChunkFrames = kSampleRate / 100;
// How long ClosePlayback waits for a play to end before leaving it to end by itself.
constexpr auto kCloseWait = 300ms;

// What the device plays: its length in bytes and dwUser, which is 1 once the reset of shutdown
// has begun.
struct WaveHeader {
    std::atomic<std::uint32_t> dwBufferLength{0};
    std::atomic<long> dwUser{0};
};

// One play: its own copy of the samples and everything its threads share, so that a play stuck
// in a device call can be left behind without touching anything that goes away.
struct PlaySession {
    std::vector<std::int16_t> samples;
    unsigned rate = kSampleRate;
    DoneTarget doneTarget;
    std::atomic<bool> bAbort{false};
    std::atomic<bool> bStalled{false};  // the watchdog gave up on the device

    std::mutex mutex;
    std::condition_variable changed;
    bool bNotified = false;  // its one completion notice has been given
    bool bFinished = false;  // its player thread is done with the device
};

struct Playback {
    std::unique_ptr<SampleBuffer> buffer;
    WaveHeader header;
    DoneTarget doneTarget;
    std::atomic<std::uint32_t> gain{kFullLevel};  // 0 silence to 0xFFFF unity, read by the player
    std::shared_ptr<PlaySession> session;         // the last play, pending or not
};

Playback g_playback;

// "default" is ALSA's default output: the desktop's sound server where there is one, else the
// first card.
constexpr DeviceHint kWhatToCheck{
    "デスクトップのサウンド設定か、ALSA のサウンドカードの設定（aplay -l で一覧できます）を確かめてください。",
    "Check the desktop's sound settings, or the ALSA sound card (aplay -l lists them)."};

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Gives the session's one notice, whoever comes first: the player, the watchdog or the reset.
void Notify(PlaySession& session, const Status& outcome)
{
    std::lock_guard lock(session.mutex);
    if (session.bNotified)
        return;
    session.bNotified = true;
    // The notice runs under the lock, so that ClosePlayback cannot return while it runs.
    OnWaveDone(nullptr, kWomDone, reinterpret_cast<std::uintptr_t>(&session),
               reinterpret_cast<std::uintptr_t>(&g_playback.header), 0, outcome);
    session.changed.notify_all();
}

void MarkFinished(PlaySession& session)
{
    std::lock_guard lock(session.mutex);
    session.bFinished = true;
    session.changed.notify_all();
}

// Opens the default device for mono 16-bit samples at rate; 0 or a negative ALSA error.
int OpenDevice(snd_pcm_t** ppPcm, unsigned rate)
{
    int err = snd_pcm_open(ppPcm, PlaybackDeviceName().c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    if (err < 0)
        return err;
    err = snd_pcm_set_params(*ppPcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, kChannels, rate, 1,
                             kDeviceLatencyUs);
    if (err < 0)
        snd_pcm_close(*ppPcm);
    return err;
}

std::string DeviceErrorText(int err)
{
    return snd_strerror(err);
}

// Writes samples scaled by the live gain; 0, or the negative ALSA error that cut it short.
int WriteSamples(snd_pcm_t* pPcm, PlaySession& session)
{
    std::int16_t chunk[kChunkFrames];
    std::size_t position = 0;
    while (position < session.samples.size()) {
        if (session.bAbort.load())
            return 0;
        const auto gain = static_cast<std::int32_t>(g_playback.gain.load(std::memory_order_relaxed));
        const std::size_t count = std::min<std::size_t>(kChunkFrames, session.samples.size() - position);
        for (std::size_t i = 0; i < count; ++i)
            chunk[i] =
                static_cast<std::int16_t>(session.samples[position + i] * gain / static_cast<std::int32_t>(kFullLevel));
        std::size_t written = 0;
        while (written < count) {
            const snd_pcm_sframes_t n = snd_pcm_writei(pPcm, chunk + written, count - written);
            if (n == -EINTR || n == -EAGAIN)
                continue;
            // An underrun would put a gap into the signal: it did not go out whole.
            if (n <= 0)
                return n < 0 ? static_cast<int>(n) : -EIO;
            written += static_cast<std::size_t>(n);
        }
        position += count;
    }
    return 0;
}

void RunPlayer(std::shared_ptr<PlaySession> session)
{
    snd_pcm_t* pPcm = nullptr;
    int err = OpenDevice(&pPcm, session->rate);
    if (err < 0) {
        const std::string& name = PlaybackDeviceName();
        Notify(*session, Status::Failure("再生が途中で終わりました。音声出力デバイス「" + name + "」を開けません（" +
                                             DeviceErrorText(err) + "）。",
                                         "The play ended early: cannot open the sound output \"" + name + "\" (" +
                                             DeviceErrorText(err) + ")."));
        MarkFinished(*session);
        return;
    }
    err = WriteSamples(pPcm, *session);
    if (err == 0 && session->bAbort.load())
        snd_pcm_drop(pPcm);  // the reset: silence at once
    else if (err == 0)
        err = snd_pcm_drain(pPcm);  // returns when the last sample has been played
    snd_pcm_close(pPcm);
    if (err < 0)
        Notify(*session,
               Status::Failure("再生が途中で終わりました。音声出力デバイスが止まりました（" + DeviceErrorText(err) +
                                   "）。",
                               "The play ended early: the sound output stopped (" + DeviceErrorText(err) + ")."));
    else
        Notify(*session, Status());
    MarkFinished(*session);
}

void RunWatchdog(std::shared_ptr<PlaySession> session, std::chrono::steady_clock::duration allowed)
{
    std::unique_lock lock(session->mutex);
    if (session->changed.wait_for(lock, allowed, [&] { return session->bNotified; }))
        return;
    lock.unlock();
    session->bStalled = true;
    session->bAbort = true;
    Notify(*session, DeviceNotResponding());
}

// The device's state for a play: success, or why there is none.
Status DeviceError()
{
    DeviceState& device = PlaybackDeviceState();
    std::lock_guard lock(device.mutex);
    return device.deviceError;
}

}  // namespace

Status CheckDevice(unsigned)
{
    // Opening can block for ever too (a pipe nobody reads): the check gets a thread of its own.
    const std::optional<Status> opened = RunWithin(
        [name = PlaybackDeviceName()] {
            snd_pcm_t* pPcm = nullptr;
            const int err = OpenDevice(&pPcm, kSampleRate);
            if (err < 0)
                return CannotOpenDevice(name, DeviceErrorText(err), kWhatToCheck);
            snd_pcm_close(pPcm);
            return Status();
        },
        kDeviceWait);
    return opened ? *opened : DeviceDoesNotRespond(PlaybackDeviceName(), kWhatToCheck);
}

Status OpenPlaybackUnchecked(DoneTarget doneTarget)
{
    // A user who starts the tool from a terminal should see nothing unless something is wrong,
    // and that we report ourselves.
    snd_lib_error_set_handler(IgnoreAlsaError);
    g_playback.doneTarget = std::move(doneTarget);
    g_playback.header.dwUser = 0;
    BeginOpening();
    g_playback.buffer.reset(new (std::nothrow) SampleBuffer);
    if (!g_playback.buffer)
        return CannotAllocateBuffer();
    g_playback.header.dwBufferLength = sizeof g_playback.buffer->samples;
    return Status();
}

SampleBuffer* PlaybackBuffer()
{
    return g_playback.buffer.get();
}

Status PlaySignal(int offset)
{
    if (!g_playback.buffer)
        return NoSampleBuffer();
    if (Status device = DeviceError(); !device.IsOk())
        return device;
    if (offset < 0 || offset > kBufferSamples)
        return LengthOutOfRange();
    g_playback.header.dwBufferLength = static_cast<std::uint32_t>(offset) * kBlockAlign;
    return PlaySamples({g_playback.buffer->samples.begin(), g_playback.buffer->samples.begin() + offset}, kSampleRate);
}

Status PlaySamples(std::vector<std::int16_t> samples, int rate)
{
    if (!g_playback.buffer)
        return NoSampleBuffer();
    if (Status device = DeviceError(); !device.IsOk())
        return device;
    if (rate < kMinPlayRate || rate > kMaxPlayRate)
        return RateOutOfRange();
    if (g_playback.session) {
        std::lock_guard lock(g_playback.session->mutex);
        if (!g_playback.session->bNotified)
            return LastPlayPending();
    }

    auto session = std::make_shared<PlaySession>();
    const auto allowed = PlayAllowance(samples.size(), rate);
    session->samples = std::move(samples);
    session->rate = static_cast<unsigned>(rate);
    session->doneTarget = g_playback.doneTarget;
    g_playback.session = session;
    // Neither thread is ever joined: one stuck in the device must not hold anyone else up.
    std::thread(RunPlayer, session).detach();
    std::thread(RunWatchdog, session, allowed).detach();
    return Status();
}

void OnWaveDone(void*, unsigned message, std::uintptr_t instance, std::uintptr_t param1, std::uintptr_t param2,
                const Status& outcome)
{
    if (message != kWomDone)
        return;
    const long dwUser = g_playback.header.dwUser;
    const auto* pSession = reinterpret_cast<const PlaySession*>(instance);
    if (pSession != nullptr && pSession->doneTarget)
        pSession->doneTarget(dwUser, outcome);
    TraceWaveDone(dwUser, param1, param2);
}

bool ApplyVolume(int position)
{
    std::uint32_t value = 0;
    if (!TakeNewVolume(position, value))
        return false;
    // The stream is mono: the left channel's level, in the low half, is the gain.
    g_playback.gain = value & 0xFFFF;
    return true;
}

void ClosePlayback()
{
    g_playback.header.dwUser = 1;
    if (const std::shared_ptr<PlaySession> session = g_playback.session) {
        session->bAbort = true;
        {
            std::unique_lock lock(session->mutex);
            // A device the watchdog gave up on has had its time: it is not waited for again.
            const auto wait = session->bStalled ? std::chrono::milliseconds(0) : kCloseWait;
            if (!session->changed.wait_for(lock, wait, [&] { return session->bFinished; }))
                MarkLeftStuck();
        }
        // A player stuck in the device is left to end by itself; the reset's notice is given here.
        Notify(*session, Status());
        std::lock_guard lock(session->mutex);
        session->doneTarget = nullptr;
    }
    g_playback.session.reset();
    g_playback.buffer.reset();
    g_playback.doneTarget = nullptr;
    EndOpening();
    ForgetVolume();
    g_playback.gain = kFullLevel;
}

}  // namespace corvane
