// SPDX-License-Identifier: MIT
// The signal as a RIFF/WAVE file: PCM, 24 000 Hz, 16-bit, mono.
#pragma once

#include "base/status.h"
#include "synthesis.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

inline constexpr int kWaveHeaderBytes = 44;

// Puts bytes into the file at path, whole or not at all, and says why not; the front ends give
// the platform's safe save.
using FileReplacer = std::function<Status(const std::string& path, std::span<const std::uint8_t> bytes)>;

// Returns the file's content: the 44-byte header and buffer's first Offset samples
// (0 to kBufferSamples), little-endian, nothing else.
std::vector<std::uint8_t> WaveFileBytes(const SampleBuffer& buffer);

// Returns the same layout for any mono 16-bit samples at rate samples per second (1 to
// 192 000; at most 2^31 bytes of samples).
std::vector<std::uint8_t> WaveFileBytes(std::span<const std::int16_t> samples, int rate);

// Hands path and WaveFileBytes(buffer) to replaceFile and returns its outcome; a buffer whose
// Offset is out of range, or an empty replaceFile, is refused without writing anything.
Status WriteWaveFile(const std::string& path, const SampleBuffer& buffer, const FileReplacer& replaceFile);

}  // namespace corvane
