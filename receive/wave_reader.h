// SPDX-License-Identifier: MIT
// Recordings read from RIFF/WAVE files: the formats a test bench or a line recorder writes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

// One channel of a recording, as full-scale fractions (-1 to 1).
struct Recording {
    int rate = 0;  // samples per second
    std::vector<float> samples;
};

// A recording of 16-bit samples at rate, such as a sound card delivers or corvane-cli makes.
Recording FromSamples(std::span<const std::int16_t> samples, int rate);

// Why a file could not be read.
enum class WaveProblem { None, NotWave, UnsupportedFormat, NoSuchChannel, NoData };

// Reads channel (1-based) of a WAVE file held in bytes: PCM of 8, 16, 24 or 32 bits, IEEE float
// of 32 or 64 bits, mu-law or A-law, plain or extensible, 8000 to 96000 samples per second,
// any number of channels. A data chunk that claims more than is there (a recording cut short,
// or one streamed with an unknown length) is read as far as it goes.
std::optional<Recording> ReadWave(std::span<const std::uint8_t> bytes, int channel, WaveProblem& problem);

}  // namespace corvane
