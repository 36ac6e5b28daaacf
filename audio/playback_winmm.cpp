// SPDX-License-Identifier: MIT
#include "playback.h"

#include "playback_device.h"
#include "playback_messages.h"
#include "base/wide_text.h"
#include "base/trace.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

namespace corvane {

namespace {

constexpr WORD kChannels = 1;
constexpr WORD kBitsPerSample = 16;
// How long ClosePlayback waits for the device's reset and close before leaving them stuck.
constexpr DWORD kCloseWaitMs = 400;

constexpr DeviceHint kWhatToCheck{"Windows のサウンドの設定で、既定の再生デバイスを確かめてください。",
                                  "Check the default playback device in Windows' sound settings."};

// The device, the one header and the play in progress. The device is opened on a thread of
// its own, so the handle and the buffer are read and written under the device state's mutex.
struct Playback {
    HWAVEOUT hWaveOut = nullptr;
    std::unique_ptr<SampleBuffer> buffer;
    WAVEHDR header{};
    DoneTarget doneTarget;
    std::atomic<bool> bNotified{true};  // the last play's one notice has been given
    HANDLE hNotified = nullptr;         // set with bNotified, for the watchdog
    std::thread watchdog;
};

Playback g_playback;
DeviceState& g_device = PlaybackDeviceState();

std::string ErrorText(MMRESULT result)
{
    wchar_t szText[MAXERRORLENGTH] = L"";
    waveOutGetErrorTextW(result, szText, MAXERRORLENGTH);
    return WideToUtf8(szText);
}

// Gives the play's one notice, whoever comes first: the device, the watchdog or the reset.
void Notify(const Status& outcome, DWORD_PTR param1, DWORD_PTR param2)
{
    if (g_playback.bNotified.exchange(true))
        return;
    OnWaveDone(nullptr, kWomDone, 0, param1, param2, outcome);
    SetEvent(g_playback.hNotified);
}

// Runs on winmm's thread, which allows little more than posting a message: no waveOut call,
// no window, nothing that waits.
void CALLBACK WaveOutProc(HWAVEOUT, UINT uMsg, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2)
{
    if (uMsg == WOM_DONE)
        Notify(Status(), param1, param2);
}

UINT DeviceId()
{
    const std::string& name = PlaybackDeviceName();
    if (name == "default")
        return WAVE_MAPPER;
    const UINT count = waveOutGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEOUTCAPSW caps{};
        if (waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR && WideToUtf8(caps.szPname) == name)
            return id;
    }
    return count;  // no such device: waveOutOpen says so
}

// Opens the device for the signal's format, prepares the header and sets the volume last asked for.
MMRESULT OpenDevice(HWAVEOUT* phWaveOut)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = kSampleRate;
    format.wBitsPerSample = kBitsPerSample;
    format.nBlockAlign = kChannels * kBitsPerSample / 8;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = 0;
    return waveOutOpen(phWaveOut, DeviceId(), &format, reinterpret_cast<DWORD_PTR>(WaveOutProc), 0, CALLBACK_FUNCTION);
}

void RunWatchdog(DWORD allowedMs)
{
    if (WaitForSingleObject(g_playback.hNotified, allowedMs) == WAIT_TIMEOUT)
        Notify(DeviceNotResponding(), reinterpret_cast<DWORD_PTR>(&g_playback.header), 0);
}

// The reset, unprepare and close of ClosePlayback; whether they ended within kCloseWaitMs.
bool ReleaseDevice(HWAVEOUT hWaveOut)
{
    HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([hWaveOut, hDone] {
        waveOutReset(hWaveOut);
        waveOutUnprepareHeader(hWaveOut, &g_playback.header, sizeof g_playback.header);
        waveOutClose(hWaveOut);
        SetEvent(hDone);
    }).detach();
    const bool bReleased = WaitForSingleObject(hDone, kCloseWaitMs) == WAIT_OBJECT_0;
    if (bReleased)
        CloseHandle(hDone);
    return bReleased;
}

}  // namespace

Status CheckDevice(unsigned opening)
{
    // A handle opened after the wait ended is left to the process's end.
    auto opened = std::make_shared<HWAVEOUT>(nullptr);
    const std::optional<Status> result = RunWithin(
        [opened, name = PlaybackDeviceName()] {
            const MMRESULT mmResult = OpenDevice(opened.get());
            return mmResult == MMSYSERR_NOERROR ? Status() : CannotOpenDevice(name, ErrorText(mmResult), kWhatToCheck);
        },
        kDeviceWait);
    if (!result)
        return DeviceDoesNotRespond(PlaybackDeviceName(), kWhatToCheck);
    if (!result->IsOk())
        return *result;
    std::lock_guard deviceLock(g_device.mutex);
    if (opening != g_device.nOpening || !g_playback.buffer) {
        waveOutClose(*opened);  // ClosePlayback came first
        return Status();
    }
    g_playback.hWaveOut = *opened;
    waveOutPrepareHeader(g_playback.hWaveOut, &g_playback.header, sizeof g_playback.header);
    // Until the operator's volume is known the device keeps its own.
    if (const std::optional<std::uint32_t> volume = LastVolume())
        waveOutSetVolume(g_playback.hWaveOut, *volume);
    return Status();
}

Status OpenPlaybackUnchecked(DoneTarget doneTarget)
{
    g_playback.doneTarget = std::move(doneTarget);
    if (g_playback.hNotified == nullptr)
        g_playback.hNotified = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    BeginOpening();
    std::lock_guard lock(g_device.mutex);
    g_playback.buffer.reset(new (std::nothrow) SampleBuffer);
    if (!g_playback.buffer)
        return CannotAllocateBuffer();
    g_playback.header = WAVEHDR{};
    g_playback.header.lpData = reinterpret_cast<LPSTR>(g_playback.buffer->samples.data());
    g_playback.header.dwBufferLength = sizeof g_playback.buffer->samples;
    return Status();
}

SampleBuffer* PlaybackBuffer()
{
    return g_playback.buffer.get();
}

Status PlaySignal(int offset)
{
    std::unique_lock lock(g_device.mutex);
    if (!g_playback.buffer)
        return NoSampleBuffer();
    if (!g_device.deviceError.IsOk())
        return g_device.deviceError;
    if (g_playback.hWaveOut == nullptr)
        return Status::Failure("音声出力デバイスを確かめています", "The sound output is still being checked.");
    if (offset < 0 || offset > kBufferSamples)
        return LengthOutOfRange();
    if (!g_playback.bNotified)
        return LastPlayPending();
    // A buffer the watchdog gave up on may still be held by a device that never answered.
    if (g_playback.header.dwFlags & WHDR_INQUEUE)
        return DeviceNotResponding();
    if (g_playback.watchdog.joinable())
        g_playback.watchdog.join();  // it ended with the last notice

    // The header stays prepared for the whole buffer; only its length changes.
    g_playback.header.dwBufferLength = static_cast<DWORD>(offset) * kChannels * kBitsPerSample / 8;
    ResetEvent(g_playback.hNotified);
    g_playback.bNotified = false;
    const MMRESULT result = waveOutWrite(g_playback.hWaveOut, &g_playback.header, sizeof g_playback.header);
    if (result != MMSYSERR_NOERROR) {
        g_playback.bNotified = true;
        SetEvent(g_playback.hNotified);
        return Status::Failure("再生できません（" + ErrorText(result) + "）。",
                               "Cannot play (" + ErrorText(result) + ").");
    }
    const auto allowedMs = static_cast<DWORD>(PlayAllowance(static_cast<std::size_t>(offset), kSampleRate).count());
    g_playback.watchdog = std::thread(RunWatchdog, allowedMs);
    return Status();
}

Status PlaySamples(std::vector<std::int16_t> samples, int rate)
{
    // The device is open for the signal's own format, so only that plays here.
    if (rate != kSampleRate)
        return RateOutOfRange();
    if (!g_playback.buffer)
        return NoSampleBuffer();
    if (samples.size() > g_playback.buffer->samples.size())
        return LengthOutOfRange();
    if (!g_playback.bNotified)
        return LastPlayPending();
    std::copy(samples.begin(), samples.end(), g_playback.buffer->samples.begin());
    return PlaySignal(static_cast<int>(samples.size()));
}

void OnWaveDone(void*, unsigned message, std::uintptr_t, std::uintptr_t param1, std::uintptr_t param2,
                const Status& outcome)
{
    if (message != kWomDone)
        return;
    const long dwUser = static_cast<long>(g_playback.header.dwUser);
    if (g_playback.doneTarget)
        g_playback.doneTarget(dwUser, outcome);
    TraceWaveDone(dwUser, param1, param2);
}

bool ApplyVolume(int position)
{
    std::uint32_t value = 0;
    if (!TakeNewVolume(position, value))
        return false;
    std::lock_guard lock(g_device.mutex);
    if (g_playback.hWaveOut != nullptr)
        waveOutSetVolume(g_playback.hWaveOut, value);
    return true;
}

void ClosePlayback()
{
    g_playback.header.dwUser = 1;
    HWAVEOUT hWaveOut = nullptr;
    // First, so that a check that opens the device after this closes it again.
    EndOpening();
    {
        std::lock_guard lock(g_device.mutex);
        hWaveOut = g_playback.hWaveOut;
        g_playback.hWaveOut = nullptr;
    }
    const bool bReleased = hWaveOut == nullptr || ReleaseDevice(hWaveOut);
    // The reset's notice, from here when a stuck device cannot give it.
    Notify(Status(), reinterpret_cast<DWORD_PTR>(&g_playback.header), 0);
    if (g_playback.watchdog.joinable())
        g_playback.watchdog.join();
    if (!bReleased) {
        // The device may still read the samples and call back: both stay for the process's life.
        MarkLeftStuck();
        static_cast<void>(g_playback.buffer.release());
    } else {
        g_playback.buffer.reset();
        g_playback.doneTarget = nullptr;
    }
    ForgetVolume();
}

}  // namespace corvane
