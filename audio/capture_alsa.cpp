// SPDX-License-Identifier: MIT
#include "capture_device.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>

namespace corvane {

namespace {

constexpr unsigned kCaptureLatencyUs = 100000;

void IgnoreCaptureError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void QuietCaptureBackEnd()
{
    snd_lib_error_set_handler(IgnoreCaptureError);
}

void RecordFromDevice(std::shared_ptr<CaptureStream::Recording> recording, std::size_t wanted, unsigned rate,
                      const std::string& device)
{
    snd_pcm_t* pPcm = nullptr;
    int err = snd_pcm_open(&pPcm, device.c_str(), SND_PCM_STREAM_CAPTURE, 0);
    if (err == 0) {
        err = snd_pcm_set_params(pPcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate, 1,
                                 kCaptureLatencyUs);
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
        DeliverSamples(*recording, chunk.data(), static_cast<std::size_t>(n), rate);
    }
    if (pPcm != nullptr)
        snd_pcm_close(pPcm);
    EndRecording(*recording, err);
}

std::string CaptureErrorText(int error)
{
    return snd_strerror(error);
}

}  // namespace corvane
