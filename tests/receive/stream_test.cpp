// SPDX-License-Identifier: MIT
// The decoder over a recording that comes in pieces, as a pipe or a long file delivers it: the
// same bits and frames however it is cut, each frame as soon as it has ended, and WAVE headers
// read as far as they have come.
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"
#include "signal/wave_file.h"
#include "stress/stress_signal.h"
#include "support/decoding.h"
#include "support/requests.h"

#include <gtest/gtest.h>

#include <random>

namespace corvane {
namespace {

using test::Number;
using test::Reason;
using test::SameBits;
using test::SameFrames;

// Two frames, the second with a fault, in noise, at 48 kHz.
Recording TwoFramesInNoise()
{
    stress::SignalOptions options;
    options.rate = 48000;
    options.noiseSnrDb = 20;
    Recording recording{48000, {}};
    for (const NotificationRequest& request : {Number("0312345678"), Reason('C')}) {
        const auto signal = stress::ComposeStressSignal(request, options);
        for (const std::int16_t sample : signal->samples)
            recording.samples.push_back(static_cast<float>(sample) / 32768.0f);
        options.corruption = stress::Corruption::Parity;
        options.corruptByte = 9;
    }
    return recording;
}

TEST(Streaming, PiecesOfAnySizeGiveTheSameBitsAndFrames)
{
    const Recording recording = TwoFramesInNoise();
    const std::vector<ReceivedBit> wholeBits = Demodulate(recording, {});
    const std::vector<DecodedFrame> wholeFrames = FindFrames(wholeBits);
    ASSERT_EQ(wholeFrames.size(), 2u);
    ASSERT_FALSE(wholeFrames[1].IsValid());
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        Demodulator demodulator(recording.rate, {});
        FrameFinder finder;
        std::vector<ReceivedBit> bits;
        std::vector<DecodedFrame> frames;
        const auto take = [&](std::vector<ReceivedBit> more) {
            // The bits go to the finder in pieces of their own.
            for (std::size_t at = 0; at < more.size();) {
                const std::size_t count = std::min<std::size_t>(random() % 40, more.size() - at);
                const std::vector<DecodedFrame> found = finder.Feed({more.data() + at, count});
                frames.insert(frames.end(), found.begin(), found.end());
                at += count;
            }
            bits.insert(bits.end(), more.begin(), more.end());
        };
        for (std::size_t at = 0; at < recording.samples.size();) {
            const std::size_t count = std::min<std::size_t>(1 + random() % 5000, recording.samples.size() - at);
            take(demodulator.Feed({recording.samples.data() + at, count}));
            at += count;
        }
        take(demodulator.Finish());
        const std::vector<DecodedFrame> last = finder.Finish();
        frames.insert(frames.end(), last.begin(), last.end());
        EXPECT_TRUE(SameBits(bits, wholeBits)) << "seed " << seed;
        EXPECT_TRUE(SameFrames(frames, wholeFrames)) << "seed " << seed;
    }
}

TEST(Streaming, AFrameIsGivenAsSoonAsItHasEnded)
{
    Recording recording = TwoFramesInNoise();
    const std::size_t firstSignal = recording.samples.size() / 2;  // the first signal, whole
    Demodulator demodulator(recording.rate, {});
    FrameFinder finder;
    const std::vector<DecodedFrame> frames = finder.Feed(demodulator.Feed({recording.samples.data(), firstSignal}));
    ASSERT_EQ(frames.size(), 1u);  // before the rest, and without the end of the recording
    EXPECT_EQ(frames[0].parameters.at(0).text, "0312345678");
}

TEST(ReadWaveHeader, WaitsForTheDataChunkAndTakesAnUnknownLengthToTheEnd)
{
    const auto signal = stress::ComposeStressSignal(Reason('P'), {});
    std::vector<std::uint8_t> file = WaveFileBytes(signal->samples, signal->rate);
    WaveProblem problem = WaveProblem::NotWave;
    for (std::size_t length = 0; length < 44; ++length) {
        EXPECT_FALSE(ReadWaveHeader({file.data(), length}, 1, problem).has_value()) << length;
        EXPECT_EQ(problem, WaveProblem::None) << length;  // more is needed, nothing is wrong yet
    }
    const std::optional<WaveLayout> layout = ReadWaveHeader({file.data(), 44}, 1, problem);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->dataOffset, 44u);
    EXPECT_EQ(layout->dataBytes, 29600u);
    // A recorder streaming to a pipe writes 0 or all ones for the length it does not know.
    for (const std::uint8_t fill : {0x00, 0xFF}) {
        std::fill(file.begin() + 40, file.begin() + 44, fill);
        const std::optional<Recording> recording = ReadWave(file, 1, problem);
        ASSERT_TRUE(recording.has_value()) << int(fill);
        EXPECT_EQ(recording->samples.size(), 14800u);
    }
}

}  // namespace
}  // namespace corvane
