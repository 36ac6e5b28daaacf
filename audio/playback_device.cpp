// SPDX-License-Identifier: MIT
#include "playback_device.h"

#include "playback.h"

#include "base/trace.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <thread>

namespace corvane {

namespace {

DeviceState g_device;
std::string g_deviceName = "default";
std::atomic<bool> g_bLeftStuck{false};
std::atomic<std::uint32_t> g_dwLastVolume{0};
std::atomic<bool> g_bVolumeSet{false};

}  // namespace

DeviceState& PlaybackDeviceState()
{
    return g_device;
}

const std::string& PlaybackDeviceName()
{
    return g_deviceName;
}

void SetPlaybackDevice(std::string name)
{
    g_deviceName = std::move(name);
}

void BeginOpening()
{
    std::lock_guard lock(g_device.mutex);
    ++g_device.nOpening;
    g_device.deviceError = Status();
}

void EndOpening()
{
    std::lock_guard lock(g_device.mutex);
    if (g_device.bCheckPending)
        g_bLeftStuck = true;
    g_device.bCheckPending = false;
    ++g_device.nOpening;
    g_device.deviceError = Status();
}

void MarkLeftStuck()
{
    g_bLeftStuck = true;
}

bool PlaybackLeftStuck()
{
    return g_bLeftStuck;
}

bool TakeNewVolume(int position, std::uint32_t& value)
{
    value = VolumeValue(position);
    if (value == g_dwLastVolume)
        return false;
    CORVANE_TRACE("Volume Set %08X", value);
    g_dwLastVolume = value;
    g_bVolumeSet = true;
    return true;
}

std::optional<std::uint32_t> LastVolume()
{
    return g_bVolumeSet ? std::optional<std::uint32_t>(g_dwLastVolume) : std::nullopt;
}

void ForgetVolume()
{
    g_dwLastVolume = 0;
    g_bVolumeSet = false;
}

void TraceWaveDone([[maybe_unused]] long dwUser, [[maybe_unused]] std::uintptr_t param1,
                   [[maybe_unused]] std::uintptr_t param2)
{
    CORVANE_TRACE("dwUser = %ld param1=%08X param2=%08X", dwUser, static_cast<unsigned>(param1),
                  static_cast<unsigned>(param2));
}

std::optional<Status> RunWithin(std::function<Status()> task, std::chrono::milliseconds limit)
{
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Status> result;
    };
    auto outcome = std::make_shared<Outcome>();
    std::thread([outcome, task = std::move(task)] {
        Status result = task();
        std::lock_guard lock(outcome->mutex);
        outcome->result = std::move(result);
        outcome->done.notify_all();
    }).detach();
    std::unique_lock lock(outcome->mutex);
    if (!outcome->done.wait_for(lock, limit, [&] { return outcome->result.has_value(); })) {
        MarkLeftStuck();
        return std::nullopt;
    }
    return outcome->result;
}

std::chrono::milliseconds PlayAllowance(std::size_t samples, int rate)
{
    return std::chrono::milliseconds(1000LL * static_cast<long long>(samples) / rate + kStallMarginMs);
}

Status DeviceDoesNotRespond(const std::string& name, DeviceHint hint)
{
    return Status::Failure("音声出力デバイス「" + name + "」が応答しません。" + hint.pszJapanese,
                           "The sound output \"" + name + "\" does not respond. " + hint.pszEnglish);
}

Status CannotOpenDevice(const std::string& name, const std::string& reason, DeviceHint hint)
{
    return Status::Failure("音声出力デバイス「" + name + "」を開けません（" + reason + "）。" + hint.pszJapanese,
                           "Cannot open the sound output \"" + name + "\" (" + reason + "). " + hint.pszEnglish);
}

Status OpenPlayback(DoneTarget doneTarget)
{
    const Status buffer = OpenPlaybackUnchecked(std::move(doneTarget));
    if (!buffer.IsOk())
        return buffer;
    const Status device = CheckDevice(g_device.nOpening);
    std::lock_guard lock(g_device.mutex);
    g_device.deviceError = device;
    return device;
}

void CheckPlaybackDevice(DeviceTarget deviceTarget)
{
    std::lock_guard lock(g_device.mutex);
    g_device.bCheckPending = true;
    std::thread([opening = g_device.nOpening, deviceTarget = std::move(deviceTarget)] {
        const Status device = CheckDevice(opening);
        std::lock_guard reportLock(g_device.mutex);
        if (opening != g_device.nOpening || !g_device.bCheckPending)
            return;  // ClosePlayback came first
        g_device.bCheckPending = false;
        g_device.deviceError = device;
        // Under the lock, so that ClosePlayback cannot return while the target runs.
        deviceTarget(device);
    }).detach();
}

}  // namespace corvane
