// SPDX-License-Identifier: MIT
// The receiver over what recorders, pipes and other people's equipment deliver: pieces of every
// size (empty, one sample, odd, the whole) at every rate it takes, data that ends in the middle
// of a sample, headers that claim too much, and samples that are no numbers.
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"
#include "signal/wave_file.h"
#include "stress/stress_signal.h"
#include "support/decoding.h"
#include "support/receivers.h"
#include "support/requests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

namespace corvane {
namespace {

using test::Decoding;
using test::Number;
using test::Reason;

// The dialog's square wave for a number, then a reason letter with a parity error as sine tones
// in noise, at rate (resampled by libsoxr where the stress signals are not drawn at it).
Recording Signals(int rate)
{
    const int drawn = rate == 32000 ? 16000 : rate == 96000 ? 48000 : rate;
    std::vector<float> samples;
    stress::SignalOptions options;
    options.rate = drawn;
    const auto append = [&](const NotificationRequest& request) {
        const auto signal = stress::ComposeStressSignal(request, options);
        for (const std::int16_t sample : signal->samples)
            samples.push_back(static_cast<float>(sample) / 32768.0f);
    };
    append(Number("0312345678"));
    options.waveform = stress::Waveform::Sine;
    options.noiseSnrDb = 20;
    options.corruption = stress::Corruption::Parity;
    options.corruptByte = 9;
    append(Reason('C'));
    return {rate, drawn == rate ? samples : test::Resampled(samples, drawn, rate)};
}

Decoding DecodeInPieces(const Recording& recording, std::function<std::size_t()> pieceSize)
{
    return test::DecodeInPieces(recording.rate, recording.samples, pieceSize);
}

void ExpectSame(const Decoding& a, const Decoding& b, const std::string& label)
{
    EXPECT_TRUE(test::SameBits(a.bits, b.bits)) << label;
    EXPECT_TRUE(test::SameFrames(a.frames, b.frames)) << label;
}

class EveryRate : public testing::TestWithParam<int> {};

TEST_P(EveryRate, PiecesOfEverySizeGiveTheSameBitsAndFrames)
{
    const Recording recording = Signals(GetParam());
    const Decoding whole = DecodeInPieces(recording, [] { return SIZE_MAX; });
    ASSERT_EQ(whole.frames.size(), 2u);
    EXPECT_TRUE(whole.frames[0].IsValid());
    EXPECT_FALSE(whole.frames[1].IsValid());
    ExpectSame(DecodeInPieces(recording, [] { return std::size_t{1}; }), whole, "one sample");
    std::size_t nPiece = 0;
    ExpectSame(DecodeInPieces(recording, [&] { return std::size_t{++nPiece % 2 == 0 ? 0u : 7u}; }), whole,
               "odd, with empty pieces between");
    std::mt19937 random(GetParam());
    ExpectSame(DecodeInPieces(recording, [&] { return std::size_t{random() % 4 == 0 ? 0u : random() % 9001}; }), whole,
               "random");
}

INSTANTIATE_TEST_SUITE_P(Rates, EveryRate, testing::Values(8000, 24000, 32000, 44100, 48000, 96000),
                         [](const testing::TestParamInfo<int>& param) { return std::to_string(param.param); });

// What each kind of bad sample stands for, as the receiver reads it.
struct BadSample {
    const char* label;
    float value;
};

class BadSamples : public testing::TestWithParam<BadSample> {};

TEST_P(BadSamples, AreCountedAndLeaveTheFramesAfterThemWhole)
{
    for (const int rate : {8000, 24000, 48000}) {
        Recording recording = Signals(rate);
        Recording clean = recording;
        const std::size_t at = recording.samples.size() / 2 - static_cast<std::size_t>(rate) / 20;  // in the silence
        recording.samples[at] = GetParam().value;
        clean.samples[at] = std::isnan(GetParam().value) ? 0.0f : std::copysign(1.0f, GetParam().value);
        Demodulator demodulator(rate, {});
        std::vector<ReceivedBit> bits = demodulator.Feed(recording.samples);
        EXPECT_EQ(demodulator.ReplacedSamples(), 1) << rate;
        const std::vector<ReceivedBit> last = demodulator.Finish();
        bits.insert(bits.end(), last.begin(), last.end());
        const std::vector<DecodedFrame> frames = FindFrames(bits);
        ASSERT_EQ(frames.size(), 2u) << rate;
        EXPECT_TRUE(frames[0].IsValid()) << rate;
        ExpectSame({bits, frames}, DecodeInPieces(clean, [] { return SIZE_MAX; }), GetParam().label);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, BadSamples,
                         testing::Values(BadSample{"infinity", std::numeric_limits<float>::infinity()},
                                         BadSample{"minus_infinity", -std::numeric_limits<float>::infinity()},
                                         BadSample{"not_a_number", std::numeric_limits<float>::quiet_NaN()},
                                         BadSample{"beyond_full_scale", 1e30f}, BadSample{"just_beyond", -1.0001f}),
                         [](const testing::TestParamInfo<BadSample>& param) { return std::string(param.param.label); });

std::vector<std::uint8_t> SavedSignal()
{
    const auto signal = stress::ComposeStressSignal(Reason('P'), {});
    return WaveFileBytes(signal->samples, signal->rate);
}

void SetLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(WaveData, PiecesOfAnySizeGiveTheSamplesOfTheWholeAndWhatIsLeftOver)
{
    std::vector<std::uint8_t> file = SavedSignal();
    file.push_back(0x55);  // what a recorder cut short leaves: half a sample
    SetLe32(file, 40, static_cast<std::uint32_t>(file.size() - 44));
    WaveProblem problem = WaveProblem::None;
    const std::optional<WaveLayout> layout = ReadWaveHeader(file, 1, problem);
    ASSERT_TRUE(layout.has_value());
    const std::span<const std::uint8_t> data = std::span(file).subspan(44);
    std::vector<float> whole;
    ConvertWaveSamples(*layout, 1, data, whole);
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        WaveData stream(*layout, 1);
        std::vector<float> samples;
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t count = std::min<std::size_t>(random() % 5, data.size() - at);
            stream.Take(data.subspan(at, count), samples);
            at += count;
        }
        EXPECT_EQ(samples, whole) << seed;
        EXPECT_TRUE(stream.Complete());
        EXPECT_EQ(stream.Leftover(), 1u);
    }
}

TEST(WaveData, StopsAtTheDeclaredLengthAndGoesOnWithoutOne)
{
    WaveLayout layout{1, 2, 16, 8000, 0, 6};  // two channels, one and a half sample frames
    const std::vector<std::uint8_t> bytes{0, 0x40, 0, 0xC0, 0, 0x20, 0, 0x10, 0, 0x08};
    WaveData declared(layout, 2);
    std::vector<float> samples;
    declared.Take(bytes, samples);
    EXPECT_EQ(samples, std::vector<float>{-0.5f});
    EXPECT_TRUE(declared.Complete());
    EXPECT_EQ(declared.Leftover(), 2u);
    layout.dataBytes.reset();
    WaveData endless(layout, 2);
    samples.clear();
    endless.Take(bytes, samples);
    EXPECT_EQ(samples, (std::vector<float>{-0.5f, 0.125f}));
    EXPECT_FALSE(endless.Complete());
    EXPECT_EQ(endless.Leftover(), 2u);
}

TEST(ReadWave, ReadsNoFurtherThanItsInput)
{
    // Each a prefix of a file on the heap of exactly its length, so that a read past it is caught.
    const std::vector<std::uint8_t> file = SavedSignal();
    for (std::size_t length = 0; length <= 48; ++length) {
        const std::vector<std::uint8_t> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        WaveProblem problem = WaveProblem::None;
        EXPECT_EQ(ReadWave(prefix, 1, problem).has_value(), length >= 46) << length;
        EXPECT_EQ(problem, length < 16   ? WaveProblem::NotWave
                           : length < 46 ? WaveProblem::NoData
                                         : WaveProblem::None)
            << length;
    }
}

TEST(ReadWaveHeader, RefusesMoreChannelsThanItReads)
{
    std::vector<std::uint8_t> file = SavedSignal();
    WaveProblem problem = WaveProblem::None;
    for (const int channels : {kMaxWaveChannels, kMaxWaveChannels + 1, 65535}) {
        file[22] = static_cast<std::uint8_t>(channels);
        file[23] = static_cast<std::uint8_t>(channels >> 8);
        const std::optional<WaveLayout> layout = ReadWaveHeader(file, 1, problem);
        EXPECT_EQ(layout.has_value(), channels <= kMaxWaveChannels) << channels;
        EXPECT_EQ(problem, channels <= kMaxWaveChannels ? WaveProblem::None : WaveProblem::TooManyChannels);
    }
}

}  // namespace
}  // namespace corvane
