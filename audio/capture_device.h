// SPDX-License-Identifier: MIT
// What the capture back ends share: the state a recording thread fills and the reader takes.
// Each back end supplies RecordFromDevice and CaptureErrorText; CaptureStream is written once,
// over them.
#pragma once

#include "capture.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace corvane {

// What the recording thread and the caller share; the thread may outlive the caller.
struct CaptureStream::Recording {
    std::mutex mutex;
    std::condition_variable changed;  // samples came, or the recording ended
    std::condition_variable taken;    // the reader took what was recorded
    bool bDone = false;
    int error = 0;  // the back end's own error code, 0 for none
    std::string device;
    std::vector<std::int16_t> samples;  // recorded and not yet taken
};

// Seconds of samples a reader may fall behind before the recording thread waits for it.
constexpr unsigned kMostBehindSeconds = 5;

// Called once, before the first recording: keeps the back end's own complaints off standard error.
void QuietCaptureBackEnd();

// The recording thread's body: records wanted mono 16-bit samples (SIZE_MAX: until the device
// stops) at rate from device into recording, waiting for the reader when it falls
// kMostBehindSeconds behind, then sets error and bDone. Returns only when the device does.
void RecordFromDevice(std::shared_ptr<CaptureStream::Recording> recording, std::size_t wanted, unsigned rate,
                      const std::string& device);

// The back end's error code in words, as its own library says it.
std::string CaptureErrorText(int error);

// Puts n samples from pChunk into recording once the reader is less than kMostBehindSeconds
// behind, and wakes the reader.
void DeliverSamples(CaptureStream::Recording& recording, const std::int16_t* pChunk, std::size_t n, unsigned rate);

// Marks the recording ended with error (0 for none), and wakes the reader.
void EndRecording(CaptureStream::Recording& recording, int error);

}  // namespace corvane
