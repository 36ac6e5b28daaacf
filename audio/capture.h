// SPDX-License-Identifier: MIT
// Recording from the default input device, for reading back what a line carries.
#pragma once

#include "signal/status.h"

#include <cstdint>
#include <vector>

namespace corvane {

// Records seconds (0.1 to 600) of mono 16-bit samples at rate (8000 to 96000) from the default
// ALSA input into samples. Returns no later than seconds + 2 s after it was called, whatever the
// device does: a device that does not open or stops delivering is reported, with what it gave
// until then kept in samples. ALSA's own complaints never reach standard error.
Status CaptureSamples(double seconds, int rate, std::vector<std::int16_t>& samples);

}  // namespace corvane
