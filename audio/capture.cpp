// SPDX-License-Identifier: MIT
#include "capture.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cmath>
#include <limits>
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
constexpr unsigned kMostBehindSeconds = 5;

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

// What the recording thread and the caller share; the thread may outlive the caller.
struct CaptureStream::Recording {
    std::mutex mutex;
    std::condition_variable changed;  // samples came, or the recording ended
    std::condition_variable taken;    // the reader took what was recorded
    bool bDone = false;
    int error = 0;  // a negative ALSA error
    std::string device;
    std::vector<std::int16_t> samples;  // recorded and not yet taken
};

namespace {

void Record(std::shared_ptr<CaptureStream::Recording> recording, std::size_t wanted, unsigned rate,
            const std::string& device)
{
    snd_pcm_t* pPcm = nullptr;
    int err = snd_pcm_open(&pPcm, device.c_str(), SND_PCM_STREAM_CAPTURE, 0);
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
        std::unique_lock lock(recording->mutex);
        // A reader that falls this far behind holds the device back rather than memory growing:
        // a device that keeps time then overruns, and says so.
        recording->taken.wait(lock, [&] { return recording->samples.size() < kMostBehindSeconds * rate; });
        recording->samples.insert(recording->samples.end(), chunk.begin(), chunk.begin() + n);
        recording->changed.notify_all();  // a block for the reader
    }
    if (pPcm != nullptr)
        snd_pcm_close(pPcm);
    std::lock_guard lock(recording->mutex);
    recording->error = err;
    recording->bDone = true;
    recording->changed.notify_all();
}

}  // namespace

CaptureStream::CaptureStream(double seconds, int rate, const std::string& device)
    : m_recording(std::make_shared<Recording>()), m_bEndless(std::isinf(seconds))
{
    if (!m_bEndless)
        m_deadline =
            std::chrono::steady_clock::now() +
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds)) +
            kStallMargin;
    snd_lib_error_set_handler(IgnoreAlsaError);
    m_recording->device = device;
    const std::size_t wanted =
        m_bEndless ? std::numeric_limits<std::size_t>::max() : static_cast<std::size_t>(seconds * rate);
    // Never joined: a device stuck in a call must not hold the caller.
    std::thread(Record, m_recording, wanted, static_cast<unsigned>(rate), device).detach();
}

bool CaptureStream::Next(std::vector<std::int16_t>& block)
{
    block.clear();
    std::unique_lock lock(m_recording->mutex);
    if (m_bEndless)
        m_deadline = std::chrono::steady_clock::now() + kStallMargin;
    m_recording->changed.wait_until(lock, m_deadline,
                                    [&] { return m_recording->bDone || !m_recording->samples.empty(); });
    block.swap(m_recording->samples);
    m_recording->taken.notify_all();
    if (!block.empty())
        return true;
    m_bTimedOut = !m_recording->bDone;
    return false;
}

Status CaptureStream::Result() const
{
    if (m_bTimedOut)
        return Status::Failure("音声入力デバイスが応答しません。", "The sound input does not respond.");
    std::lock_guard lock(m_recording->mutex);
    if (m_recording->error < 0)
        return Status::Failure("音声入力デバイス「" + m_recording->device + "」で録音できません（" +
                                   snd_strerror(m_recording->error) + "）。",
                               "Cannot record from the sound input \"" + m_recording->device + "\" (" +
                                   snd_strerror(m_recording->error) + ").");
    return Status();
}

Status CaptureSamples(double seconds, int rate, std::vector<std::int16_t>& samples, const std::string& device)
{
    CaptureStream stream(seconds, rate, device);
    samples.clear();
    for (std::vector<std::int16_t> block; stream.Next(block);)
        samples.insert(samples.end(), block.begin(), block.end());
    return stream.Result();
}

}  // namespace corvane
