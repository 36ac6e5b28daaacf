// SPDX-License-Identifier: MIT
#include "capture.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace corvane {

namespace {

using namespace std::chrono_literals;

constexpr auto kStallMargin = 2s;
constexpr unsigned kDeviceLatencyUs = 100000;

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// What the recording thread and the caller share; the thread may outlive the call.
struct Recording {
    std::mutex mutex;
    std::condition_variable done;
    bool bDone = false;
    int error = 0;  // a negative ALSA error
    std::vector<std::int16_t> samples;
};

void Record(std::shared_ptr<Recording> recording, std::size_t wanted, unsigned rate)
{
    snd_pcm_t* pPcm = nullptr;
    int err = snd_pcm_open(&pPcm, "default", SND_PCM_STREAM_CAPTURE, 0);
    if (err == 0) {
        err = snd_pcm_set_params(pPcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate, 1,
                                 kDeviceLatencyUs);
    }
    std::vector<std::int16_t> chunk(rate / 100);
    std::size_t got = 0;
    while (err == 0 && got < wanted) {
        const snd_pcm_sframes_t n = snd_pcm_readi(pPcm, chunk.data(), std::min(chunk.size(), wanted - got));
        if (n == -EINTR || n == -EAGAIN)
            continue;
        if (n <= 0) {
            err = n < 0 ? static_cast<int>(n) : -EIO;
            break;
        }
        got += static_cast<std::size_t>(n);
        std::lock_guard lock(recording->mutex);
        recording->samples.insert(recording->samples.end(), chunk.begin(), chunk.begin() + n);
    }
    if (pPcm != nullptr)
        snd_pcm_close(pPcm);
    std::lock_guard lock(recording->mutex);
    recording->error = err;
    recording->bDone = true;
    recording->done.notify_all();
}

}  // namespace

Status CaptureSamples(double seconds, int rate, std::vector<std::int16_t>& samples)
{
    snd_lib_error_set_handler(IgnoreAlsaError);
    auto recording = std::make_shared<Recording>();
    const auto wanted = static_cast<std::size_t>(seconds * rate);
    // Never joined: a device stuck in a call must not hold the caller.
    std::thread(Record, recording, wanted, static_cast<unsigned>(rate)).detach();
    std::unique_lock lock(recording->mutex);
    const bool bDone = recording->done.wait_for(lock, std::chrono::duration<double>(seconds) + kStallMargin,
                                                [&] { return recording->bDone; });
    samples = recording->samples;
    if (!bDone)
        return Status::Failure("音声入力デバイスが応答しません。", "The sound input does not respond.");
    if (recording->error < 0)
        return Status::Failure(std::string("録音できません（") + snd_strerror(recording->error) + "）。",
                               std::string("Cannot record (") + snd_strerror(recording->error) + ").");
    return Status();
}

}  // namespace corvane
