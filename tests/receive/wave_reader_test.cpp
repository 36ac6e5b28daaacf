// SPDX-License-Identifier: MIT
// WAVE files as recorders write them, in other formats than ours, read and decoded; and what the
// reader says of those it cannot read.
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"
#include "signal/frame.h"
#include "signal/wave_file.h"
#include "stress/stress_signal.h"
#include "support/receivers.h"
#include "support/requests.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace corvane {
namespace {

using stress::ComposeStressSignal;
using stress::SignalOptions;
using stress::Waveform;
using test::Digits;
using test::Number;
using test::Reason;

std::vector<DecodedFrame> FramesIn(const Recording& recording)
{
    return FindFrames(Demodulate(recording, {}));
}

// WAVE files in other formats than ours, written here byte by byte.
std::vector<std::uint8_t> WaveOf(const stress::StressSignal& signal, std::uint16_t format, int bits, int channels,
                                 int channel, const std::function<void(std::vector<std::uint8_t>&, double)>& put)
{
    std::vector<std::uint8_t> data;
    for (const std::int16_t sample : signal.samples) {
        for (int c = 1; c <= channels; ++c)
            put(data, c == channel ? sample / 32768.0 : 0.0);
    }
    const auto le = [](std::vector<std::uint8_t>& out, std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i, value >>= 8)
            out.push_back(static_cast<std::uint8_t>(value));
    };
    std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F'};
    le(file, static_cast<std::uint32_t>(36 + 12 + data.size()), 4);
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(file, 16, 4);
    le(file, format, 2);
    le(file, static_cast<std::uint32_t>(channels), 2);
    le(file, static_cast<std::uint32_t>(signal.rate), 4);
    le(file, static_cast<std::uint32_t>(signal.rate * channels * bits / 8), 4);
    le(file, static_cast<std::uint32_t>(channels * bits / 8), 2);
    le(file, static_cast<std::uint32_t>(bits), 2);
    file.insert(file.end(), {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'});  // a chunk to skip
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    le(file, static_cast<std::uint32_t>(data.size()), 4);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

void PutInt(std::vector<std::uint8_t>& out, double value, int bits)
{
    const auto scaled = static_cast<std::int64_t>(std::llround(value * std::pow(2.0, bits - 1)));
    const auto clamped = std::clamp<std::int64_t>(scaled, -(1LL << (bits - 1)), (1LL << (bits - 1)) - 1);
    for (int i = 0; i < bits / 8; ++i)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(clamped) >> (8 * i)));
}

struct Format {
    const char* label;
    std::uint16_t tag;
    int bits;
    int channels;
    int channel;
    std::function<void(std::vector<std::uint8_t>&, double)> put;
};

class WaveFormats : public testing::TestWithParam<Format> {};

TEST_P(WaveFormats, AreReadAndDecoded)
{
    SignalOptions options;
    options.waveform = Waveform::Sine;
    options.rate = 8000;
    const auto signal = ComposeStressSignal(Number("0312345678"), options);
    const Format& format = GetParam();
    const auto file = WaveOf(*signal, format.tag, format.bits, format.channels, format.channel, format.put);
    WaveProblem problem = WaveProblem::None;
    const auto recording = ReadWave(file, format.channel, problem);
    ASSERT_TRUE(recording.has_value()) << static_cast<int>(problem);
    EXPECT_EQ(recording->rate, 8000);
    EXPECT_EQ(recording->samples.size(), signal->samples.size());
    const auto frames = FramesIn(*recording);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].IsValid());
    EXPECT_EQ(frames[0].parameters.at(0).text, "0312345678");
}

// G.711 compression by its segment rule, for writing test files.
std::uint8_t MuLawOf(double value)
{
    int sample = static_cast<int>(std::lround(std::clamp(value, -1.0, 1.0) * 32635));
    const int sign = sample < 0 ? 0x80 : 0;
    sample = std::min(std::abs(sample), 32635) + 0x84;
    int exponent = 7;
    for (int mask = 0x4000; (sample & mask) == 0 && exponent > 0; mask >>= 1)
        --exponent;
    return static_cast<std::uint8_t>(~(sign | exponent << 4 | ((sample >> (exponent + 3)) & 0x0F)));
}

std::uint8_t ALawOf(double value)
{
    int sample = static_cast<int>(std::lround(std::clamp(value, -1.0, 1.0) * 32767)) >> 3;
    const int sign = sample >= 0 ? 0x80 : 0;
    sample = std::min(std::abs(sample), 4095);
    int exponent = 0;
    while (sample > 31 && exponent < 7) {
        sample >>= 1;
        ++exponent;
    }
    const int mantissa = exponent == 0 ? sample >> 1 : sample & 0x0F;
    return static_cast<std::uint8_t>((sign | exponent << 4 | mantissa) ^ 0x55);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WaveFormats,
    testing::Values(Format{"Pcm8", 1, 8, 1, 1,
                           [](auto& out, double v) {
                               out.push_back(static_cast<std::uint8_t>(std::lround(v * 127) + 128));
                           }},
                    Format{"Pcm16Stereo", 1, 16, 2, 2, [](auto& out, double v) { PutInt(out, v, 16); }},
                    Format{"Pcm24", 1, 24, 1, 1, [](auto& out, double v) { PutInt(out, v, 24); }},
                    Format{"Pcm32", 1, 32, 1, 1, [](auto& out, double v) { PutInt(out, v, 32); }},
                    Format{"Float32", 3, 32, 1, 1,
                           [](auto& out, double v) {
                               const float f = static_cast<float>(v);
                               std::uint8_t raw[4];
                               std::memcpy(raw, &f, 4);
                               out.insert(out.end(), raw, raw + 4);
                           }},
                    Format{"Float64Stereo", 3, 64, 2, 1,
                           [](auto& out, double v) {
                               std::uint8_t raw[8];
                               std::memcpy(raw, &v, 8);
                               out.insert(out.end(), raw, raw + 8);
                           }},
                    Format{"MuLaw", 7, 8, 1, 1, [](auto& out, double v) { out.push_back(MuLawOf(v)); }},
                    Format{"ALaw", 6, 8, 1, 1, [](auto& out, double v) { out.push_back(ALawOf(v)); }}),
    [](const testing::TestParamInfo<Format>& param) { return std::string(param.param.label); });

TEST(ReadWave, SaysWhatIsWrong)
{
    WaveProblem problem = WaveProblem::None;
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_FALSE(ReadWave(text, 1, problem).has_value());
    EXPECT_EQ(problem, WaveProblem::NotWave);
    const auto signal = ComposeStressSignal(Reason('P'), {});
    const auto ours = WaveFileBytes(signal->samples, signal->rate);
    EXPECT_FALSE(ReadWave(ours, 2, problem).has_value());
    EXPECT_EQ(problem, WaveProblem::NoSuchChannel);
    auto odd = ours;
    odd[34] = 12;  // 12-bit samples
    EXPECT_FALSE(ReadWave(odd, 1, problem).has_value());
    EXPECT_EQ(problem, WaveProblem::UnsupportedFormat);
    auto cut = ours;
    cut.resize(44 + 2 * 9000);  // a recording cut short: read as far as it goes
    ASSERT_TRUE(ReadWave(cut, 1, problem).has_value());
    EXPECT_EQ(ReadWave(cut, 1, problem)->samples.size(), 9000u);
}

}  // namespace
}  // namespace corvane
