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

// Where a WAVE file's samples start and how they are laid out.
struct WaveLayout {
    std::uint16_t format = 0;  // 1 PCM, 3 IEEE float, 6 A-law, 7 mu-law
    int channels = 0;
    int bits = 0;
    int rate = 0;
    std::size_t dataOffset = 0;              // of the first sample, from the start of the file
    std::optional<std::uint64_t> dataBytes;  // as the header says; none when it does not know
    std::size_t FrameBytes() const { return static_cast<std::size_t>(channels) * static_cast<std::size_t>(bits / 8); }
};

// Reads the header at the start of a WAVE file, up to its data chunk, for channel (1-based):
// the layout once bytes reach the data chunk; else nullopt, with problem None when more bytes
// are needed and the reason the file cannot be read otherwise.
std::optional<WaveLayout> ReadWaveHeader(std::span<const std::uint8_t> bytes, int channel, WaveProblem& problem);

// Appends channel's samples of the whole sample frames in bytes (the file's data, cut at a frame
// boundary) to samples, as full-scale fractions.
void ConvertWaveSamples(const WaveLayout& layout, int channel, std::span<const std::uint8_t> bytes,
                        std::vector<float>& samples);

// Reads channel (1-based) of a WAVE file held in bytes: PCM of 8, 16, 24 or 32 bits, IEEE float
// of 32 or 64 bits, mu-law or A-law, plain or extensible, 8000 to 96000 samples per second,
// any number of channels. A data chunk that claims more than is there (a recording cut short,
// or one streamed with an unknown length, 0 or 0xFFFFFFFF) is read as far as it goes.
std::optional<Recording> ReadWave(std::span<const std::uint8_t> bytes, int channel, WaveProblem& problem);

}  // namespace corvane
