#include "playback.h"

#include "signal/trace.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <portaudio.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace corvane {

namespace {

constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
constexpr std::uint32_t kFullLevel = 0xFFFF;

// What the device plays: data, length in bytes, and dwUser, which is 1 once the reset of
// shutdown has begun.
struct WaveHeader {
    const std::int16_t* lpData = nullptr;
    std::atomic<std::uint32_t> dwBufferLength{0};
    std::uint32_t dwFlags = 0;
    std::uint32_t dwLoops = 0;
    std::atomic<long> dwUser{0};
};

struct Playback {
    bool bPortAudio = false;  // Pa_Initialize succeeded
    PaStream* pDevice = nullptr;
    std::string strDeviceError;
    WaveHeader header;
    std::unique_ptr<SampleBuffer> buffer;
    DoneTarget doneTarget;
    std::uint32_t dwLastVolume = 0;
    // Shared with the audio thread, lock-free.
    std::atomic<std::uint32_t> gain{kFullLevel};  // 0 silence to 0xFFFF unity
    std::atomic<std::uint32_t> nFramesPlayed{0};
    std::atomic<bool> bPending{false};  // a play whose completion notice has not come yet
};

Playback g_playback;

static_assert(std::atomic<std::uint32_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJackMessage(const char*) {}

// Copies the next samples, scaled by the gain; nothing here allocates, locks or logs.
int StreamCallback(const void*, void* pOutput, unsigned long nFrames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void*)
{
    auto* pOut = static_cast<std::int16_t*>(pOutput);
    const std::uint32_t length = g_playback.header.dwBufferLength.load(std::memory_order_relaxed) / kBlockAlign;
    std::uint32_t played = g_playback.nFramesPlayed.load(std::memory_order_relaxed);
    const auto gain = static_cast<std::int32_t>(g_playback.gain.load(std::memory_order_relaxed));
    const std::uint32_t count = std::min<std::uint32_t>(static_cast<std::uint32_t>(nFrames), length - played);
    const std::int16_t* pIn = g_playback.header.lpData + played;
    for (std::uint32_t i = 0; i < count; ++i)
        pOut[i] = static_cast<std::int16_t>(pIn[i] * gain / static_cast<std::int32_t>(kFullLevel));
    for (std::uint32_t i = count; i < nFrames; ++i)
        pOut[i] = 0;
    played += count;
    g_playback.nFramesPlayed.store(played, std::memory_order_relaxed);
    return played >= length ? paComplete : paContinue;
}

// Raised by PortAudio when the stream stops: the samples ran out, the reset aborted it, or the
// device failed. The exchange keeps it to one notice per play.
void StreamFinished(void*)
{
    if (g_playback.bPending.exchange(false))
        OnWaveDone(g_playback.pDevice, kWomDone, 0, reinterpret_cast<std::uintptr_t>(&g_playback.header), 0);
}

Status OpenDevice()
{
    // ALSA and JACK report every probe they make on stderr; a user who starts the tool from
    // a terminal should see nothing unless something is wrong, and we report that ourselves.
    snd_lib_error_set_handler(IgnoreAlsaError);
    jack_set_error_function(IgnoreJackMessage);
    jack_set_info_function(IgnoreJackMessage);
    setenv("JACK_NO_START_SERVER", "1", 0);

    PaError err = Pa_Initialize();
    if (err != paNoError)
        return Status::Failure(Pa_GetErrorText(err));
    g_playback.bPortAudio = true;

    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    if (device == paNoDevice)
        return Status::Failure("既定の出力デバイスがありません");
    PaStreamParameters output{};
    output.device = device;
    output.channelCount = kChannels;
    output.sampleFormat = paInt16;
    output.suggestedLatency = Pa_GetDeviceInfo(device)->defaultHighOutputLatency;
    err = Pa_OpenStream(&g_playback.pDevice, nullptr, &output, kSampleRate, paFramesPerBufferUnspecified,
                        paNoFlag, StreamCallback, nullptr);
    if (err == paNoError)
        err = Pa_SetStreamFinishedCallback(g_playback.pDevice, StreamFinished);
    if (err != paNoError) {
        if (g_playback.pDevice != nullptr)
            Pa_CloseStream(g_playback.pDevice);
        g_playback.pDevice = nullptr;
        return Status::Failure(Pa_GetErrorText(err));
    }
    return Status();
}

}  // namespace

Status OpenPlayback(DoneTarget doneTarget)
{
    g_playback.doneTarget = std::move(doneTarget);
    g_playback.buffer.reset(new (std::nothrow) SampleBuffer);
    if (!g_playback.buffer)
        return Status::Failure("音声バッファを確保できません");
    g_playback.header.lpData = g_playback.buffer->samples.data();
    g_playback.header.dwBufferLength = sizeof g_playback.buffer->samples;
    g_playback.header.dwUser = 0;

    const Status status = OpenDevice();
    if (status.IsOk())
        return status;
    g_playback.strDeviceError = "音声出力デバイスを開けません: " + status.Message();
    return Status::Failure(g_playback.strDeviceError);
}

SampleBuffer* PlaybackBuffer()
{
    return g_playback.buffer.get();
}

Status PlaySignal(int offset)
{
    if (!g_playback.buffer)
        return Status::Failure("音声バッファがありません");
    if (g_playback.pDevice == nullptr)
        return Status::Failure(g_playback.strDeviceError);
    if (offset < 0 || offset > kBufferSamples)
        return Status::Failure("信号の長さが不正です");

    // The stream of the last play ended itself and must be stopped before it starts again.
    if (Pa_IsStreamStopped(g_playback.pDevice) == 0)
        Pa_StopStream(g_playback.pDevice);
    g_playback.header.dwBufferLength = static_cast<std::uint32_t>(offset) * kBlockAlign;
    g_playback.nFramesPlayed = 0;
    g_playback.bPending = true;
    const PaError err = Pa_StartStream(g_playback.pDevice);
    if (err != paNoError) {
        g_playback.bPending = false;
        return Status::Failure(std::string("再生を開始できません: ") + Pa_GetErrorText(err));
    }
    return Status();
}

void OnWaveDone(void*, unsigned message, std::uintptr_t, [[maybe_unused]] std::uintptr_t param1,
                [[maybe_unused]] std::uintptr_t param2)
{
    if (message != kWomDone)
        return;
    const long dwUser = g_playback.header.dwUser;
    if (g_playback.doneTarget)
        g_playback.doneTarget(dwUser);
    CORVANE_TRACE("dwUser = %ld param1=%08X param2=%08X", dwUser,
                  static_cast<unsigned>(param1), static_cast<unsigned>(param2));
}

std::uint32_t VolumeValue(int position)
{
    const auto level = static_cast<std::uint32_t>(std::abs(position) / 100.0 * 65535.0) & 0xFFFF;
    return level | level << 16;
}

bool ApplyVolume(int position)
{
    const std::uint32_t value = VolumeValue(position);
    if (value == g_playback.dwLastVolume)
        return false;
    CORVANE_TRACE("Volume Set %08X", value);
    g_playback.dwLastVolume = value;
    // The stream is mono: the left channel's level, in the low half, is the gain.
    g_playback.gain = value & 0xFFFF;
    return true;
}

void ClosePlayback()
{
    g_playback.header.dwUser = 1;
    if (g_playback.pDevice != nullptr) {
        if (Pa_IsStreamStopped(g_playback.pDevice) == 0)
            Pa_AbortStream(g_playback.pDevice);
        Pa_CloseStream(g_playback.pDevice);
        g_playback.pDevice = nullptr;
    }
    if (g_playback.bPortAudio)
        Pa_Terminate();
    g_playback.bPortAudio = false;
    g_playback.bPending = false;
    g_playback.header.lpData = nullptr;
    g_playback.buffer.reset();
    g_playback.doneTarget = nullptr;
    g_playback.strDeviceError.clear();
    g_playback.dwLastVolume = 0;
    g_playback.gain = kFullLevel;
}

}  // namespace corvane
