// SPDX-License-Identifier: MIT
#include "signal/synthesis.h"
#include "signal_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace corvane {
namespace {

using test::Number;
using test::Reason;
using test::Synthesize;

TEST(AmplitudeFromStep, TenStepsOfTheListAndNothingElse)
{
    const int expected[] = {3276, 6553, 9830, 13106, 16383, 19660, 22936, 26213, 29490, 32767};
    for (int step = 0; step < 10; ++step)
        EXPECT_EQ(AmplitudeFromStep(step), expected[step]) << step;
    EXPECT_FALSE(AmplitudeFromStep(-1));
    EXPECT_FALSE(AmplitudeFromStep(10));
}

// Cell contents as +1 for a high sample and -1 for a low one.
std::vector<int> CellShape(const SampleBuffer& buffer, int start)
{
    std::vector<int> shape;
    for (int i = start; i < start + kBitCellSamples; ++i)
        shape.push_back(buffer.samples[static_cast<std::size_t>(i)] > 0 ? 1 : -1);
    return shape;
}

const std::vector<int> kMarkCell = {1, 1, 1, 1, 1, 1, 1, 1, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1, 1};
const std::vector<int> kSpaceCell = {1, 1, 1, 1, 1, -1, -1, -1, -1, -1, -1, 1, 1, 1, 1, 1, -1, -1, -1, -1};

TEST(AppendToneBit, DrawsWholeSamplePeriodsFromAHighHalfWave)
{
    SampleBuffer buffer;
    iWaveFormValue = 1000;
    EXPECT_EQ(AppendToneBit(buffer, kMarkHz, 0), 20);
    EXPECT_EQ(AppendToneBit(buffer, kSpaceHz, 20), 40);
    EXPECT_EQ(CellShape(buffer, 0), kMarkCell);
    EXPECT_EQ(CellShape(buffer, 20), kSpaceCell);
    EXPECT_EQ(buffer.samples[0], 1000);
    EXPECT_EQ(buffer.samples[9], -1000);
    EXPECT_EQ(buffer.samples[40], 0);
}

class SynthesisLevelTest : public testing::TestWithParam<int> {};

TEST_P(SynthesisLevelTest, SilenceMarksAndLevels)
{
    const int step = GetParam();
    const int level = *AmplitudeFromStep(step);
    const auto buffer = Synthesize(Number("0312345678"), step);
    const auto& s = buffer->samples;
    ASSERT_EQ(buffer->Offset, 16600);

    EXPECT_TRUE(std::all_of(s.begin(), s.begin() + 4800, [](auto v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(s.begin() + buffer->Offset - 4800, s.end(), [](auto v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(s.begin() + 4800, s.begin() + buffer->Offset - 4800,
                            [level](auto v) { return v == level || v == -level; }));
    EXPECT_EQ(s[4800], level);
    for (int i = 4809; i <= 4817; ++i)
        EXPECT_EQ(s[static_cast<std::size_t>(i)], -level) << i;
    EXPECT_EQ(s[4818], level);
    EXPECT_EQ(s[4819], level);
    for (int cell = 0; cell < kLeadMarkCells; ++cell)
        EXPECT_EQ(CellShape(*buffer, 4800 + 20 * cell), kMarkCell) << cell;
    EXPECT_EQ(CellShape(*buffer, 6400), kSpaceCell);  // the first start bit
    for (int cell = 0; cell < kTrailMarkCells; ++cell)
        EXPECT_EQ(CellShape(*buffer, buffer->Offset - 4800 - 20 * (cell + 1)), kMarkCell) << cell;
}

INSTANTIATE_TEST_SUITE_P(Steps, SynthesisLevelTest, testing::Values(0, 1, 4, 9));

TEST(SynthesizeSignal, SendsEachByteStartBitLsbFirstStopBit)
{
    // The first frame byte is DLE with parity, 0x90.
    const auto buffer = Synthesize(Reason('P'), 9);
    const bool expectedMark[] = {false, false, false, false, false, true, false, false, true, true};
    for (int cell = 0; cell < 10; ++cell)
        EXPECT_EQ(CellShape(*buffer, 6400 + 20 * cell), expectedMark[cell] ? kMarkCell : kSpaceCell) << cell;
}

TEST(SynthesizeSignal, LengthIsTwelveThousandPlusTwoHundredPerByte)
{
    EXPECT_EQ(Synthesize(Reason('C'), 1)->Offset, 14800);
    EXPECT_EQ(Synthesize(Number(test::Digits(20)), 1)->Offset, 18600);
}

TEST(SynthesizeSignal, ClearsWhatAnEarlierSignalLeft)
{
    auto buffer = std::make_unique<SampleBuffer>();
    buffer->samples.fill(123);
    buffer->nZeroFrom = kBufferSamples;  // written here, not by a synthesis
    iWaveFormValue = 3276;
    SynthesizeSignal(*BuildFrame(Reason('S')), *buffer);
    EXPECT_EQ(*std::max_element(buffer->samples.begin(), buffer->samples.end()), 3276);
    EXPECT_EQ(buffer->samples[static_cast<std::size_t>(kBufferSamples - 1)], 0);
}

TEST(SynthesizeSignal, EachSignalInTurnIsWhatAFreshBufferWouldHold)
{
    // Longer and shorter signals at other amplitudes, one after another in one buffer: each must
    // equal the same signal drawn into a new buffer, zeros beyond Offset to the end included.
    SignalFrame longest;
    longest.data.fill(0xFF);  // every data cell a mark, so the tail is loud
    longest.bSendCnt = kMaxSynthesisFrameBytes;
    const SignalFrame frames[] = {longest,
                                  *BuildFrame(Reason('P')),
                                  *BuildFrame(Number(test::Digits(20))),
                                  *BuildFrame(Reason('S')),
                                  longest,
                                  *BuildFrame(Number(test::Digits(1)))};
    const int steps[] = {9, 0, 4, 9, 2, 6};
    auto reused = std::make_unique<SampleBuffer>();
    for (std::size_t i = 0; i < std::size(frames); ++i) {
        const SignalFrame& frame = frames[i];
        iWaveFormValue = *AmplitudeFromStep(steps[i]);
        auto fresh = std::make_unique<SampleBuffer>();
        ASSERT_EQ(SynthesizeSignal(frame, *reused), SynthesizeSignal(frame, *fresh));
        ASSERT_TRUE(reused->samples == fresh->samples) << "signal " << i;
        ASSERT_TRUE(std::all_of(reused->samples.begin() + reused->Offset, reused->samples.end(),
                                [](std::int16_t sample) { return sample == 0; }));
    }
}

TEST(SynthesizeSignal, FillsTheBufferWithTheLongestFrameAndRefusesALongerOne)
{
    SignalFrame frame;
    frame.bSendCnt = kMaxSynthesisFrameBytes;
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = 3276;
    EXPECT_EQ(SynthesizeSignal(frame, *buffer), kBufferSamples);

    frame.bSendCnt = kMaxSynthesisFrameBytes + 1;
    buffer->samples.fill(7);
    buffer->Offset = 99;
    EXPECT_FALSE(SynthesizeSignal(frame, *buffer));
    EXPECT_EQ(buffer->Offset, 99);
    EXPECT_EQ(buffer->samples[0], 7);
}

}  // namespace
}  // namespace corvane
