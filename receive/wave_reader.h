// SPDX-License-Identifier: MIT
// Recordings read from RIFF/WAVE files: the formats a test bench or a line recorder writes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One channel of a recording, as full-scale fractions (-1 to 1).
struct Recording {
    int rate = 0;  // samples per second
    std::vector<float> samples;
};

// A recording of 16-bit samples at rate, such as a sound card delivers or corvane-cli makes.
Recording FromSamples(std::span<const std::int16_t> samples, int rate);

// Why a file could not be read. TooManyChannels: more than kMaxWaveChannels, whose sample
// frames would each be larger than any block a reader takes at a time.
enum class WaveProblem { None, NotWave, UnsupportedFormat, NoSuchChannel, NoData, TooManyChannels };

// The most channels a recording is read with: more than any recorder writes.
inline constexpr int kMaxWaveChannels = 256;

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
// the layout once bytes reach the data chunk (1 to kMaxWaveChannels channels, 8000 to 96000
// samples per second); else nullopt, with problem None when more bytes are needed and the reason
// the file cannot be read otherwise. bytes may be of any length, 0 included.
std::optional<WaveLayout> ReadWaveHeader(std::span<const std::uint8_t> bytes, int channel, WaveProblem& problem);

// Appends channel's samples of the whole sample frames in bytes (the file's data, cut at a frame
// boundary) to samples, as full-scale fractions; a partial frame at the end is passed over. Float
// samples come as they are: beyond full scale, infinite or not a number included.
void ConvertWaveSamples(const WaveLayout& layout, int channel, std::span<const std::uint8_t> bytes,
                        std::vector<float>& samples);

// The layout of raw samples given as "RATE:ENCODING": RATE 8000 to 96000, ENCODING one of u8,
// s16le, s24le, s32le, f32le, f64le, ulaw and alaw, one channel, no declared length; nullopt for
// anything else.
std::optional<WaveLayout> RawLayout(std::string_view format);

// A WAVE file's data, or raw samples, taken in pieces of any size as a pipe or a recorder gives
// them, converted as each sample frame is complete. It holds at most one sample frame's bytes.
class WaveData {
public:
    // For channel (1-based) of data laid out as layout says (1 to kMaxWaveChannels channels), up to
    // the data length the layout declares, or without end when it declares none.
    WaveData(const WaveLayout& layout, int channel);

    // Takes the next bytes, those past the declared data length passed over; appends channel's
    // samples of the sample frames they complete to samples, as ConvertWaveSamples does.
    void Take(std::span<const std::uint8_t> bytes, std::vector<float>& samples);
    // Whether the declared data length has been taken whole: nothing more is read after it.
    bool Complete() const { return m_remaining == 0; }
    // Bytes of a sample frame begun and not yet completed: at the end of the data, those left over.
    std::size_t Leftover() const { return m_partial.size(); }

private:
    WaveLayout m_layout;
    int m_nChannel;
    std::uint64_t m_remaining;  // of the declared data length; all ones when none is declared
    std::vector<std::uint8_t> m_partial;
};

// Reads channel (1-based) of a WAVE file held in bytes: PCM of 8, 16, 24 or 32 bits, IEEE float
// of 32 or 64 bits, mu-law or A-law, plain or extensible, 8000 to 96000 samples per second,
// any number of channels. A data chunk that claims more than is there (a recording cut short,
// or one streamed with an unknown length, 0 or 0xFFFFFFFF) is read as far as it goes, and so is
// one that ends in the middle of a sample frame. bytes may be of any length, 0 included.
std::optional<Recording> ReadWave(std::span<const std::uint8_t> bytes, int channel, WaveProblem& problem);

}  // namespace corvane
