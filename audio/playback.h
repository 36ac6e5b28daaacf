// SPDX-License-Identifier: MIT
// The one playback device, the sample buffer it plays, the completion notice and the volume.
// Every function but OnWaveDone runs on the dialog's thread; OnWaveDone runs on a thread of the
// audio layer. Nothing here waits on the device without bound: a device that stalls or goes away
// is reported through the notice, and ClosePlayback returns in well under a second.
#pragma once

#include "base/status.h"
#include "signal/synthesis.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace corvane {

// Called once for each play that ends, on a thread of the audio layer, with the header's dwUser
// (1 once the reset of ClosePlayback has begun, else 0) and how the play went: success when
// every sample was played or the reset ended it, else a message for the operator (the play was
// cut short, or the device stopped responding). It must not wait for the dialog's thread.
using DoneTarget = std::function<void(long dwUser, const Status& outcome)>;

// The completion notice's message: a buffer is done.
inline constexpr unsigned kWomDone = 0x3BD;

// How long past its own length a play may take before the device counts as not responding.
inline constexpr int kStallMarginMs = 2000;

// Names the ALSA output (a PCM name, as aplay -D takes) that OpenPlayback and every play use
// instead of "default", for a command that is told which. Call before OpenPlayback.
void SetPlaybackDevice(std::string name);

// Allocates the one SampleBuffer and checks that the default ALSA output device opens for the
// signal's format (mono, 16-bit, 24 000 Hz), with doneTarget for the completion notice. The
// buffer is allocated even when the device cannot be opened, so saving keeps working; the
// returned status tells whether playback can work and, if not, why; a device that does not open
// within 2 s counts as not responding. ALSA's own complaints never reach standard error. Call
// once, then ClosePlayback once.
Status OpenPlayback(DoneTarget doneTarget);

// Called once, on a thread of the audio layer, with what the device check of
// CheckPlaybackDevice found: success, or why playback cannot work. It must not wait for the
// dialog's thread.
using DeviceTarget = std::function<void(const Status& device)>;

// Allocates the buffer as OpenPlayback does, but leaves the device unchecked: each play's own
// opening of the device reports one that does not open, through its completion notice. For a
// window that shows itself first and checks the device afterwards, and for a command whose
// one-shot device must be opened only once. Call once, then ClosePlayback once.
Status OpenPlaybackUnchecked(DoneTarget doneTarget);

// Checks the device, after OpenPlaybackUnchecked, on a thread of its own, and reports to
// deviceTarget within 2 s; returns at once. After ClosePlayback the report never comes.
void CheckPlaybackDevice(DeviceTarget deviceTarget);

// The buffer that OpenPlayback allocated, for every compose; nullptr when it could not be,
// or outside OpenPlayback ... ClosePlayback.
SampleBuffer* PlaybackBuffer();

// Plays the buffer's first offset samples (0 to kBufferSamples) once, from the start, on the
// device opened anew for this play, so that a sound server that came back is found again. The
// samples are taken at once: the buffer may be rewritten as soon as this returns. Exactly one
// completion notice follows. Fails, with nothing played and no notice to come, when
// OpenPlayback found no device or buffer, a play is still pending, or offset is out of range.
Status PlaySignal(int offset);

// The sample rates PlaySamples takes.
inline constexpr int kMinPlayRate = 8000;
inline constexpr int kMaxPlayRate = 96000;

// Plays samples (mono, 16-bit) at rate (kMinPlayRate to kMaxPlayRate) once, as PlaySignal plays
// the buffer, with the same notice, volume and watchdog: for signals other than the buffer's.
// Fails as PlaySignal does, and for a rate out of range.
Status PlaySamples(std::vector<std::int16_t> samples, int rate);

// The completion notice: on kWomDone triggers the done target of the play that instance
// identifies, with outcome; ignores any other message. device is unused, param1 the buffer header.
void OnWaveDone(void* device, unsigned message, std::uintptr_t instance, std::uintptr_t param1, std::uintptr_t param2,
                const Status& outcome);

// The volume position (0 to 100) that the dialog's slider starts at, and that a command plays at
// unless told another.
inline constexpr int kInitialVolume = 30;

// The 32-bit volume for a slider position (its magnitude, 0 to 100): the same 16-bit level,
// 0 silence to 0xFFFF full, in both halves.
std::uint32_t VolumeValue(int position);

// Sets the volume for position, heard within a few tens of milliseconds, also during a play;
// returns whether the value differed from the last one set (0 at start) and so was set.
bool ApplyVolume(int position);

// Ends a play in progress at once (its completion notice carries dwUser = 1) and frees the
// buffer; returns within half a second even when the device does not respond, leaving a stuck
// play to end on its own without touching anything of the caller's.
void ClosePlayback();

// Whether ClosePlayback had to leave a play stuck in the device. The process should then end
// with std::_Exit once its output is flushed: the sound library's exit handlers would wait for
// the stuck call for ever.
bool PlaybackLeftStuck();

}  // namespace corvane
