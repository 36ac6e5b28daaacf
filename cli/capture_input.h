// SPDX-License-Identifier: MIT
// The input device as a recording to decode, taken block by block as it is recorded.
#pragma once

#include "decode_input.h"

#include <memory>
#include <string>

namespace corvane::cli {

// seconds (1 to 600, or infinity until Ctrl-C) of the input device (an ALSA PCM name) at rate, recorded and given as they
// come.
std::unique_ptr<SampleSource> CaptureSource(double seconds, int rate, const std::string& device);

// From now on Ctrl-C ends a capture as its end would, rather than the program: what it held is
// still decoded and reported.
void EndCaptureOnInterrupt();

}  // namespace corvane::cli
