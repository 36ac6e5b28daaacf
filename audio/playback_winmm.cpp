// SPDX-License-Identifier: MIT
#include "playback.h"

#include "playback_messages.h"
#include "request/wide_text.h"
#include "signal/trace.h"

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
// How long opening the device may take before it counts as not responding.
constexpr DWORD kOpenWaitMs = 2000;
// How long ClosePlayback waits for the device's reset and close before leaving them stuck.
constexpr DWORD kCloseWaitMs = 400;

constexpr const char* kWhatToCheckJa = "Windows のサウンドの設定で、既定の再生デバイスを確かめてください。";
constexpr const char* kWhatToCheckEn = "Check the default playback device in Windows' sound settings.";

// The device, the one header and the play in progress. The device is opened on a thread of
// its own, so what it sets is read and written under mutex.
struct Playback {
    std::mutex mutex;
    HWAVEOUT hWaveOut = nullptr;
    Status deviceError;
    unsigned nOpening = 0;       // counts openings, so that a late check knows it is stale
    bool bCheckPending = false;  // a background check has not reported yet

    std::unique_ptr<SampleBuffer> buffer;
    WAVEHDR header{};
    DoneTarget doneTarget;
    std::atomic<std::uint32_t> dwLastVolume{0};
    std::atomic<bool> bVolumeSet{false};  // ApplyVolume has set one since the opening
    std::atomic<bool> bNotified{true};  // the last play's one notice has been given
    HANDLE hNotified = nullptr;         // set with bNotified, for the watchdog
    std::thread watchdog;
};

Playback g_playback;
std::string g_deviceName = "default";
std::atomic<bool> g_bLeftStuck{false};

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
    if (g_deviceName == "default")
        return WAVE_MAPPER;
    const UINT count = waveOutGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEOUTCAPSW caps{};
        if (waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR && WideToUtf8(caps.szPname) == g_deviceName)
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

// Opens the device on a thread of its own and waits at most kOpenWaitMs; success, or why not.
Status CheckDevice(unsigned opening)
{
    struct Probe {
        std::mutex mutex;
        bool bDone = false;
        MMRESULT result = MMSYSERR_ERROR;
        HWAVEOUT hWaveOut = nullptr;
    };
    auto probe = std::make_shared<Probe>();
    HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([probe, hDone] {
        HWAVEOUT hWaveOut = nullptr;
        const MMRESULT result = OpenDevice(&hWaveOut);
        std::lock_guard lock(probe->mutex);
        probe->bDone = true;
        probe->result = result;
        probe->hWaveOut = hWaveOut;
        SetEvent(hDone);
    }).detach();
    const bool bAnswered = WaitForSingleObject(hDone, kOpenWaitMs) == WAIT_OBJECT_0;
    std::lock_guard lock(probe->mutex);
    // A probe that answers later closes nothing: its handle is left to the process's end.
    if (!bAnswered) {
        g_bLeftStuck = true;
        return Status::Failure(
            std::string("音声出力デバイス「") + g_deviceName + "」が応答しません。" + kWhatToCheckJa,
            std::string("The sound output \"") + g_deviceName + "\" does not respond. " + kWhatToCheckEn);
    }
    CloseHandle(hDone);
    if (probe->result != MMSYSERR_NOERROR) {
        const std::string reason = ErrorText(probe->result);
        return Status::Failure(
            std::string("音声出力デバイス「") + g_deviceName + "」を開けません（" + reason + "）。" + kWhatToCheckJa,
            std::string("Cannot open the sound output \"") + g_deviceName + "\" (" + reason + "). " + kWhatToCheckEn);
    }
    std::lock_guard deviceLock(g_playback.mutex);
    if (opening != g_playback.nOpening || !g_playback.buffer) {
        waveOutClose(probe->hWaveOut);  // ClosePlayback came first
        return Status();
    }
    g_playback.hWaveOut = probe->hWaveOut;
    waveOutPrepareHeader(g_playback.hWaveOut, &g_playback.header, sizeof g_playback.header);
    // Until the operator's volume is known the device keeps its own.
    if (g_playback.bVolumeSet)
        waveOutSetVolume(g_playback.hWaveOut, g_playback.dwLastVolume);
    return Status();
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

void SetPlaybackDevice(std::string name)
{
    g_deviceName = std::move(name);
}

Status OpenPlaybackUnchecked(DoneTarget doneTarget)
{
    g_playback.doneTarget = std::move(doneTarget);
    if (g_playback.hNotified == nullptr)
        g_playback.hNotified = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    std::lock_guard lock(g_playback.mutex);
    ++g_playback.nOpening;
    g_playback.deviceError = Status();
    g_playback.buffer.reset(new (std::nothrow) SampleBuffer);
    if (!g_playback.buffer)
        return CannotAllocateBuffer();
    g_playback.header = WAVEHDR{};
    g_playback.header.lpData = reinterpret_cast<LPSTR>(g_playback.buffer->samples.data());
    g_playback.header.dwBufferLength = sizeof g_playback.buffer->samples;
    return Status();
}

Status OpenPlayback(DoneTarget doneTarget)
{
    const Status buffer = OpenPlaybackUnchecked(std::move(doneTarget));
    if (!buffer.IsOk())
        return buffer;
    const Status device = CheckDevice(g_playback.nOpening);
    std::lock_guard lock(g_playback.mutex);
    g_playback.deviceError = device;
    return device;
}

void CheckPlaybackDevice(DeviceTarget deviceTarget)
{
    std::lock_guard lock(g_playback.mutex);
    g_playback.bCheckPending = true;
    std::thread([opening = g_playback.nOpening, deviceTarget = std::move(deviceTarget)] {
        const Status device = CheckDevice(opening);
        std::lock_guard reportLock(g_playback.mutex);
        if (opening != g_playback.nOpening || !g_playback.bCheckPending)
            return;
        g_playback.bCheckPending = false;
        g_playback.deviceError = device;
        deviceTarget(device);
    }).detach();
}

SampleBuffer* PlaybackBuffer()
{
    return g_playback.buffer.get();
}

Status PlaySignal(int offset)
{
    std::unique_lock lock(g_playback.mutex);
    if (!g_playback.buffer)
        return NoSampleBuffer();
    if (!g_playback.deviceError.IsOk())
        return g_playback.deviceError;
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
    const auto allowedMs = static_cast<DWORD>(1000LL * offset / kSampleRate + kStallMarginMs);
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

void OnWaveDone(void*, unsigned message, std::uintptr_t, [[maybe_unused]] std::uintptr_t param1,
                [[maybe_unused]] std::uintptr_t param2, const Status& outcome)
{
    if (message != kWomDone)
        return;
    const long dwUser = static_cast<long>(g_playback.header.dwUser);
    if (g_playback.doneTarget)
        g_playback.doneTarget(dwUser, outcome);
    CORVANE_TRACE("dwUser = %ld param1=%08X param2=%08X", dwUser, static_cast<unsigned>(param1),
                  static_cast<unsigned>(param2));
}

bool PlaybackLeftStuck()
{
    return g_bLeftStuck;
}

bool ApplyVolume(int position)
{
    const std::uint32_t value = VolumeValue(position);
    if (value == g_playback.dwLastVolume)
        return false;
    CORVANE_TRACE("Volume Set %08X", value);
    g_playback.dwLastVolume = value;
    g_playback.bVolumeSet = true;
    std::lock_guard lock(g_playback.mutex);
    if (g_playback.hWaveOut != nullptr)
        waveOutSetVolume(g_playback.hWaveOut, value);
    return true;
}

void ClosePlayback()
{
    g_playback.header.dwUser = 1;
    HWAVEOUT hWaveOut = nullptr;
    {
        std::lock_guard lock(g_playback.mutex);
        hWaveOut = g_playback.hWaveOut;
        g_playback.hWaveOut = nullptr;
        // A check still waiting on the device may never come back: nor may the process wait for it.
        if (g_playback.bCheckPending)
            g_bLeftStuck = true;
        g_playback.bCheckPending = false;
        ++g_playback.nOpening;
        g_playback.deviceError = Status();
    }
    const bool bReleased = hWaveOut == nullptr || ReleaseDevice(hWaveOut);
    // The reset's notice, from here when a stuck device cannot give it.
    Notify(Status(), reinterpret_cast<DWORD_PTR>(&g_playback.header), 0);
    if (g_playback.watchdog.joinable())
        g_playback.watchdog.join();
    if (!bReleased) {
        // The device may still read the samples and call back: both stay for the process's life.
        g_bLeftStuck = true;
        static_cast<void>(g_playback.buffer.release());
    } else {
        g_playback.buffer.reset();
        g_playback.doneTarget = nullptr;
    }
    g_playback.dwLastVolume = 0;
    g_playback.bVolumeSet = false;
}

}  // namespace corvane
