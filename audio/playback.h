// The one playback device, the sample buffer it plays, the completion notice and the volume.
// Every function but OnWaveDone runs on the dialog's thread; OnWaveDone runs on the audio thread.
#pragma once

#include "signal/status.h"
#include "signal/synthesis.h"

#include <cstdint>
#include <functional>

namespace corvane {

// Called on the audio thread once for each play that ends, by running out or by the reset,
// with the header's dwUser: 1 once the reset of ClosePlayback has begun, else 0.
// It must not wait for the dialog's thread.
using DoneTarget = std::function<void(long dwUser)>;

// The completion notice's message: a buffer is done.
inline constexpr unsigned kWomDone = 0x3BD;

// Allocates the one SampleBuffer and opens the default output device (mono, 16-bit, 24 000 Hz)
// with doneTarget for the completion notice. The buffer is allocated even when the device
// cannot be opened, so saving keeps working; the returned status tells whether playback can
// work and, if not, why. Call once, then ClosePlayback once.
Status OpenPlayback(DoneTarget doneTarget);

// The buffer that OpenPlayback allocated, for every compose; nullptr when it could not be,
// or outside OpenPlayback ... ClosePlayback.
SampleBuffer* PlaybackBuffer();

// Plays the buffer's first offset samples (0 to kBufferSamples) once, from the start; the
// completion notice follows when they have been played. Fails, with nothing played and no
// notice to come, when there is no device or buffer or the device will not start.
Status PlaySignal(int offset);

// The completion notice: on kWomDone triggers the done target; ignores any other message.
// device is the stream, param1 the buffer header.
void OnWaveDone(void* device, unsigned message, std::uintptr_t instance, std::uintptr_t param1,
                std::uintptr_t param2);

// The 32-bit volume for a slider position (its magnitude, 0 to 100): the same 16-bit level,
// 0 silence to 0xFFFF full, in both halves.
std::uint32_t VolumeValue(int position);

// Sets the volume for position, heard at once, also during a play; returns whether the value
// differed from the last one set (0 at start) and so was set.
bool ApplyVolume(int position);

// Ends a play in progress at once (its completion notice carries dwUser = 1), closes the
// device and frees the buffer.
void ClosePlayback();

}  // namespace corvane
