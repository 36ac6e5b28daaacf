// SPDX-License-Identifier: MIT
#include "playback.h"

#include "playback_device.h"
#include "playback_messages.h"

#include "base/trace.h"
#include "base/wide_text.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

namespace {

constexpr WORD kChannels = 1;
constexpr WORD kBitsPerSample = 16;
// How long ClosePlayback waits for the device's reset and close before leaving them stuck.
constexpr DWORD kCloseWaitMs = 400;

constexpr DeviceHint kWhatToCheck{"Windows のサウンドの設定で、既定の再生デバイスを確かめてください。",
                                  "Check the default playback device in Windows' sound settings."};

// One play: the device opened for it, its own copy of the samples and its own header, so that a
// device that never answers can be left holding them without touching anything that goes away.
struct PlaySession {
    PlaySession() : hNotified(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~PlaySession() { CloseHandle(hNotified); }
    PlaySession(const PlaySession&) = delete;
    PlaySession& operator=(const PlaySession&) = delete;

    std::vector<std::int16_t> samples;
    int rate = kSampleRate;  // samples a second, for which the device is opened
    WAVEHDR header{};
    std::mutex mutex;  // held while the notice runs, so that ClosePlayback can wait it out
    DoneTarget doneTarget;
    std::atomic<bool> bNotified{false};  // its one completion notice has been given
    std::atomic<bool> bStalled{false};   // the watchdog gave up on the device
    std::atomic<bool> bFinished{false};  // its player thread is done with the device
    bool bAbort = false;                 // ClosePlayback came first; under the device state's mutex
    HANDLE hNotified;                    // set with bNotified
};

struct Playback {
    std::unique_ptr<SampleBuffer> buffer;
    DoneTarget doneTarget;
    std::atomic<long> dwUser{0};           // 1 once the reset of ClosePlayback has begun
    std::shared_ptr<PlaySession> session;  // the last play, pending or not
    HWAVEOUT hWaveOut = nullptr;           // the device of the play in progress, under the mutex
};

Playback g_playback;
DeviceState& g_sharedDevice = PlaybackDeviceState();

std::string ErrorText(MMRESULT result)
{
    wchar_t szText[MAXERRORLENGTH] = L"";
    waveOutGetErrorTextW(result, szText, MAXERRORLENGTH);
    return WideToUtf8(szText);
}

// Gives the session's one notice, whoever comes first: the device, the watchdog or the reset.
void Notify(PlaySession& session, const Status& outcome)
{
    if (session.bNotified.exchange(true))
        return;
    {
        std::lock_guard lock(session.mutex);
        OnWaveDone(nullptr, kWomDone, reinterpret_cast<std::uintptr_t>(&session),
                   reinterpret_cast<std::uintptr_t>(&session.header), 0, outcome);
    }
    SetEvent(session.hNotified);
}

// Runs on winmm's thread, which allows little more than giving the notice: no waveOut call,
// no window, nothing that waits long. The probe of CheckDevice opens with no session.
void CALLBACK WaveOutProc(HWAVEOUT, UINT uMsg, DWORD_PTR dwInstance, DWORD_PTR, DWORD_PTR)
{
    if (uMsg == WOM_DONE && dwInstance != 0)
        Notify(*reinterpret_cast<PlaySession*>(dwInstance), Status());
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

// Opens the device for the signal's format, its notices going to pSession (none for a probe).
MMRESULT OpenDevice(HWAVEOUT* phWaveOut, PlaySession* pSession)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = pSession != nullptr ? static_cast<DWORD>(pSession->rate) : kSampleRate;
    format.wBitsPerSample = kBitsPerSample;
    format.nBlockAlign = kChannels * kBitsPerSample / 8;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = 0;
    return waveOutOpen(phWaveOut, DeviceId(), &format, reinterpret_cast<DWORD_PTR>(WaveOutProc),
                       reinterpret_cast<DWORD_PTR>(pSession), CALLBACK_FUNCTION);
}

// The reset, unprepare and close of a play's device; whether they ended within kCloseWaitMs.
bool ReleaseDevice(HWAVEOUT hWaveOut, std::shared_ptr<PlaySession> session)
{
    HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([hWaveOut, session, hDone] {
        waveOutReset(hWaveOut);
        waveOutUnprepareHeader(hWaveOut, &session->header, sizeof session->header);
        waveOutClose(hWaveOut);
        SetEvent(hDone);
    }).detach();
    const bool bReleased = WaitForSingleObject(hDone, kCloseWaitMs) == WAIT_OBJECT_0;
    if (bReleased)
        CloseHandle(hDone);
    return bReleased;
}

// Opens the device for this play alone, so that one that appears or comes back is found at the
// next play, plays the session's samples and closes the device again once they have been played.
void RunPlayer(std::shared_ptr<PlaySession> session)
{
    HWAVEOUT hWaveOut = nullptr;
    const MMRESULT opened = OpenDevice(&hWaveOut, session.get());
    if (opened != MMSYSERR_NOERROR) {
        const std::string& name = PlaybackDeviceName();
        Notify(*session, Status::Failure("再生が途中で終わりました。音声出力デバイス「" + name + "」を開けません（" +
                                             ErrorText(opened) + "）。",
                                         "The play ended early: cannot open the sound output \"" + name + "\" (" +
                                             ErrorText(opened) + ")."));
        session->bFinished = true;
        return;
    }
    {
        std::lock_guard lock(g_sharedDevice.mutex);
        if (session->bAbort) {
            waveOutClose(hWaveOut);
            session->bFinished = true;
            return;
        }
        g_playback.hWaveOut = hWaveOut;  // for the volume and for ClosePlayback's reset
        // Until the operator's volume is known the device keeps its own.
        if (const std::optional<std::uint32_t> volume = LastVolume())
            waveOutSetVolume(hWaveOut, *volume);
    }
    waveOutPrepareHeader(hWaveOut, &session->header, sizeof session->header);
    const MMRESULT written = waveOutWrite(hWaveOut, &session->header, sizeof session->header);
    if (written != MMSYSERR_NOERROR)
        Notify(*session, Status::Failure("再生できません（" + ErrorText(written) + "）。",
                                         "Cannot play (" + ErrorText(written) + ")."));
    WaitForSingleObject(session->hNotified, INFINITE);
    // A device the watchdog gave up on keeps what it holds; one ClosePlayback took is its to close.
    bool bMine = false;
    {
        std::lock_guard lock(g_sharedDevice.mutex);
        bMine = !session->bStalled && g_playback.hWaveOut == hWaveOut;
        if (bMine)
            g_playback.hWaveOut = nullptr;
    }
    if (bMine) {
        waveOutUnprepareHeader(hWaveOut, &session->header, sizeof session->header);
        waveOutClose(hWaveOut);
    }
    session->bFinished = true;
}

void RunWatchdog(std::shared_ptr<PlaySession> session, DWORD allowedMs)
{
    if (WaitForSingleObject(session->hNotified, allowedMs) != WAIT_TIMEOUT)
        return;
    session->bStalled = true;
    Notify(*session, DeviceNotResponding());
}

}  // namespace

Status CheckDevice(unsigned)
{
    // A handle opened after the wait ended is left to the process's end.
    const std::optional<Status> result = RunWithin(
        [name = PlaybackDeviceName()] {
            HWAVEOUT hWaveOut = nullptr;
            const MMRESULT mmResult = OpenDevice(&hWaveOut, nullptr);
            if (mmResult != MMSYSERR_NOERROR)
                return CannotOpenDevice(name, ErrorText(mmResult), kWhatToCheck);
            waveOutClose(hWaveOut);
            return Status();
        },
        kDeviceWait);
    return result ? *result : DeviceDoesNotRespond(PlaybackDeviceName(), kWhatToCheck);
}

Status OpenPlaybackUnchecked(DoneTarget doneTarget)
{
    g_playback.doneTarget = std::move(doneTarget);
    g_playback.dwUser = 0;
    BeginOpening();
    g_playback.buffer.reset(new (std::nothrow) SampleBuffer);
    if (!g_playback.buffer)
        return CannotAllocateBuffer();
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
    if (offset < 0 || offset > kBufferSamples)
        return LengthOutOfRange();
    return PlaySamples({g_playback.buffer->samples.begin(), g_playback.buffer->samples.begin() + offset}, kSampleRate);
}

Status PlaySamples(std::vector<std::int16_t> samples, int rate)
{
    if (!g_playback.buffer)
        return NoSampleBuffer();
    {
        std::lock_guard lock(g_sharedDevice.mutex);
        if (!g_sharedDevice.deviceError.IsOk())
            return g_sharedDevice.deviceError;
    }
    // Each play opens the device for its own rate; one buffer header holds at most 4 GB.
    if (rate < kMinPlayRate || rate > kMaxPlayRate)
        return RateOutOfRange();
    if (samples.size() > std::numeric_limits<DWORD>::max() / sizeof(std::int16_t))
        return LengthOutOfRange();
    if (const std::shared_ptr<PlaySession>& last = g_playback.session) {
        if (!last->bNotified)
            return LastPlayPending();
        // A device that never answered may still hold the last play's buffer.
        if (last->bStalled && (last->header.dwFlags & WHDR_INQUEUE) != 0)
            return DeviceNotResponding();
    }

    auto session = std::make_shared<PlaySession>();
    const auto allowedMs = static_cast<DWORD>(PlayAllowance(samples.size(), rate).count());
    session->samples = std::move(samples);
    session->rate = rate;
    session->header.lpData = reinterpret_cast<LPSTR>(session->samples.data());
    session->header.dwBufferLength = static_cast<DWORD>(session->samples.size() * sizeof(std::int16_t));
    session->doneTarget = g_playback.doneTarget;
    g_playback.session = session;
    // Neither thread is ever joined: one stuck in the device must not hold anyone else up.
    std::thread(RunPlayer, session).detach();
    std::thread(RunWatchdog, session, allowedMs).detach();
    return Status();
}

void OnWaveDone(void*, unsigned message, std::uintptr_t instance, std::uintptr_t param1, std::uintptr_t param2,
                const Status& outcome)
{
    if (message != kWomDone)
        return;
    const long dwUser = g_playback.dwUser;
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
    std::lock_guard lock(g_sharedDevice.mutex);
    if (g_playback.hWaveOut != nullptr)
        waveOutSetVolume(g_playback.hWaveOut, value);
    return true;
}

void ClosePlayback()
{
    g_playback.dwUser = 1;
    EndOpening();
    const std::shared_ptr<PlaySession> session = g_playback.session;
    HWAVEOUT hWaveOut = nullptr;
    {
        std::lock_guard lock(g_sharedDevice.mutex);
        hWaveOut = g_playback.hWaveOut;
        g_playback.hWaveOut = nullptr;
        if (session)
            session->bAbort = true;
    }
    bool bReleased = true;
    if (hWaveOut != nullptr)
        bReleased = ReleaseDevice(hWaveOut, session);
    if (session) {
        // The reset's notice, from here when a stuck device cannot give it.
        Notify(*session, Status());
        std::lock_guard lock(session->mutex);
        session->doneTarget = nullptr;
    }
    // A player still opening the device closes it when the opening returns, if it ever does.
    for (int i = 0; session && !session->bFinished && i < 30; ++i)
        Sleep(10);
    if (!bReleased || (session && !session->bFinished))
        MarkLeftStuck();  // the device may still read the samples and call back: the session stays
    g_playback.session.reset();
    g_playback.buffer.reset();
    g_playback.doneTarget = nullptr;
    ForgetVolume();
}

}  // namespace corvane
