// SPDX-License-Identifier: MIT
// Recording from the default input device, for reading back what a line carries.
#pragma once

#include "base/status.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

// A recording of seconds (0.1 to 600, or infinity: until the device stops) of mono 16-bit samples
// at rate (8000 to 96000) from the input device (an ALSA PCM name, as arecord -D takes; on
// Windows a winmm input's name, or "default" for the sound mapper), taken as it comes; it starts
// when constructed. The device is given seconds + 2 s in all, and an endless recording 2 s
// between two blocks: a device that does not open or stops delivering ends the recording, and
// Result says why. Memory holds only what was recorded and not yet taken, at most 5 s of it: a
// reader further behind holds the device back (one that keeps time then overruns, which ends the
// recording with its error). The sound system's own complaints never reach standard error.
class CaptureStream {
public:
    CaptureStream(double seconds, int rate, const std::string& device = "default");
    // Waits for the samples recorded since the last call and puts them in block; false, with block
    // empty, once the recording has ended.
    bool Next(std::vector<std::int16_t>& block);
    // How the recording ended: success when all of it was recorded.
    Status Result() const;

    struct Recording;

private:
    std::shared_ptr<Recording> m_recording;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_bEndless = false;
    bool m_bTimedOut = false;
};

// Records seconds (0.1 to 600) of mono 16-bit samples at rate (8000 to 96000) from the input
// device, named as CaptureStream takes it, into samples. Returns no later than seconds + 2 s
// after it was called, whatever the device does: a device that does not open or stops delivering
// is reported, with what it gave until then kept in samples. The sound system's own complaints
// never reach standard error.
Status CaptureSamples(double seconds, int rate, std::vector<std::int16_t>& samples,
                      const std::string& device = "default");

}  // namespace corvane
