// The signal as a RIFF/WAVE file: PCM, 24 000 Hz, 16-bit, mono.
#pragma once

#include "status.h"
#include "synthesis.h"

#include <cstdint>
#include <string>

namespace corvane {

inline constexpr int kWaveHeaderBytes = 44;

// Writes the 44-byte header and buffer's first Offset samples (0 to kBufferSamples) to path,
// nothing else. The file is written beside the target under another name and renamed over it
// only when whole, so on failure an existing file is untouched and no partial file is left;
// the failure's message names the path and the system's reason.
Status WriteWaveFile(const std::string& path, const SampleBuffer& buffer);

}  // namespace corvane
