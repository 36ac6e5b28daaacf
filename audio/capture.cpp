// SPDX-License-Identifier: MIT
#include "capture.h"

#include "capture_device.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace corvane {

namespace {

using namespace std::chrono_literals;

constexpr auto kStallMargin = 2s;

}  // namespace

void DeliverSamples(CaptureStream::Recording& recording, const std::int16_t* pChunk, std::size_t n, unsigned rate)
{
    std::unique_lock lock(recording.mutex);
    // A reader that falls this far behind holds the device back rather than memory growing:
    // a device that keeps time then overruns, and says so.
    recording.taken.wait(lock, [&] { return recording.samples.size() < kMostBehindSeconds * rate; });
    recording.samples.insert(recording.samples.end(), pChunk, pChunk + n);
    recording.changed.notify_all();
}

void EndRecording(CaptureStream::Recording& recording, int error)
{
    std::lock_guard lock(recording.mutex);
    recording.error = error;
    recording.bDone = true;
    recording.changed.notify_all();
}

CaptureStream::CaptureStream(double seconds, int rate, const std::string& device)
    : m_recording(std::make_shared<Recording>()), m_bEndless(std::isinf(seconds))
{
    if (!m_bEndless)
        m_deadline =
            std::chrono::steady_clock::now() +
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds)) +
            kStallMargin;
    QuietCaptureBackEnd();
    m_recording->device = device;
    const std::size_t wanted =
        m_bEndless ? std::numeric_limits<std::size_t>::max() : static_cast<std::size_t>(seconds * rate);
    // Never joined: a device stuck in a call must not hold the caller.
    std::thread(RecordFromDevice, m_recording, wanted, static_cast<unsigned>(rate), device).detach();
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
    if (m_recording->error != 0) {
        const std::string reason = CaptureErrorText(m_recording->error);
        return Status::Failure("音声入力デバイス「" + m_recording->device + "」で録音できません（" + reason + "）。",
                               "Cannot record from the sound input \"" + m_recording->device + "\" (" + reason + ").");
    }
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
