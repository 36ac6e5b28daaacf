// SPDX-License-Identifier: MIT
// What the playback back ends share: the device's name, the state of its check, the bounded
// wait on a device call that may never return, and how long a play may take. Each back end
// supplies CheckDevice; OpenPlayback, CheckPlaybackDevice, SetPlaybackDevice and
// PlaybackLeftStuck are written once, over it.
#pragma once

#include "base/status.h"

#include <chrono>
#include <cstdint>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace corvane {

// Whether the device opened, and which opening of the playback a background check belongs to.
// Each member is read and written under mutex, which a back end may also take for its own
// device state.
struct DeviceState {
    std::mutex mutex;
    Status deviceError;          // success until a check finds the device unusable
    unsigned nOpening = 0;       // counts openings and closings, so that a late check knows it is stale
    bool bCheckPending = false;  // a background check has not reported yet
};

// The one device state.
DeviceState& PlaybackDeviceState();

// The device that SetPlaybackDevice named, "default" until then.
const std::string& PlaybackDeviceName();

// Starts a new opening: the last check's result and any check still running are forgotten.
void BeginOpening();

// Ends the opening at ClosePlayback: a check still running is forgotten, and since it may
// never come back the process is marked as having left a call stuck.
void EndOpening();

// Marks that a device call was left stuck, for PlaybackLeftStuck.
void MarkLeftStuck();

// Checks that the device opens for the signal's format, for the opening numbered opening;
// waits at most kDeviceWait. Written by each back end.
Status CheckDevice(unsigned opening);

// How long opening the device may take before it counts as not responding.
inline constexpr std::chrono::milliseconds kDeviceWait{2000};

// Runs task on a thread of its own and waits at most limit for it: its result, or nothing when
// it has not returned by then. A task that has not returned is left to end by itself and is
// marked stuck; it must own everything it touches.
std::optional<Status> RunWithin(std::function<Status()> task, std::chrono::milliseconds limit);

// How long a play of samples at rate (samples per second, above 0) may take before the device
// counts as not responding: its own length plus kStallMarginMs.
std::chrono::milliseconds PlayAllowance(std::size_t samples, int rate);

// Whether the volume for position differs from the last one set since the playback was opened
// (none at first, which counts as 0); when it does, it becomes the last one, is traced, and
// value holds it.
bool TakeNewVolume(int position, std::uint32_t& value);

// The last volume TakeNewVolume took since the playback was opened, if any.
std::optional<std::uint32_t> LastVolume();

// Forgets the last volume, when the playback is closed.
void ForgetVolume();

// The completion notice's trace line.
void TraceWaveDone(long dwUser, std::uintptr_t param1, std::uintptr_t param2);

// What the operator is told to check when the device cannot be used, in both languages.
struct DeviceHint {
    const char* pszJapanese;
    const char* pszEnglish;
};

// The device named name did not answer within kDeviceWait.
Status DeviceDoesNotRespond(const std::string& name, DeviceHint hint);

// The device named name refused to open, for reason (the sound library's own words).
Status CannotOpenDevice(const std::string& name, const std::string& reason, DeviceHint hint);

}  // namespace corvane
