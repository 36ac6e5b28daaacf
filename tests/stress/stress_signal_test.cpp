// SPDX-License-Identifier: MIT
#include "stress/stress_signal.h"

#include "signal/compose.h"
#include "support/receivers.h"
#include "support/requests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvane::stress {
namespace {

using test::Number;

// The dialog's samples for request at percent.
std::vector<std::int16_t> DialogSamples(const NotificationRequest& request, int percent)
{
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = *AmplitudeFromStep(percent / 10 - 1);
    const int offset = ComposeSignal(ComposeMode::Play, {}, request, *buffer, [](const std::string&) {}).Offset;
    return {buffer->samples.begin(), buffer->samples.begin() + offset};
}

TEST(StressSignal, DefaultsAreTheDialogsSignalAtEveryAmplitude)
{
    for (int percent = 10; percent <= 100; percent += 10) {
        SignalOptions options;
        options.amplitudePercent = percent;
        ASSERT_TRUE(options.IsDialogSignal());
        const auto signal = ComposeStressSignal(Number("0312345678"), options);
        ASSERT_TRUE(signal.has_value());
        EXPECT_EQ(signal->samples, DialogSamples(Number("0312345678"), percent)) << percent;
        EXPECT_EQ(signal->rate, kSampleRate);
    }
}

TEST(StressSignal, OwnSquareDrawingMatchesTheDialogsWhereTheyMeet)
{
    // A level that gives exactly the 20 % amplitude takes the stress path to the same samples.
    SignalOptions options;
    options.levelDbfs = 20 * std::log10(6553.0 / 32767.0);
    ASSERT_FALSE(options.IsDialogSignal());
    for (const std::string text : {"0", "0312345678", "00000000000000", "1111111111111111"}) {
        const auto signal = ComposeStressSignal(Number(text), options);
        ASSERT_TRUE(signal.has_value());
        EXPECT_EQ(signal->peak, 6553);
        EXPECT_EQ(signal->samples, DialogSamples(Number(text), 20)) << text;
    }
}

// Sign changes per second over samples [from, to): twice the frequency of a clean tone.
double ZeroCrossingHz(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to, int rate)
{
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    return crossings / 2.0 * rate / static_cast<double>(to - from);
}

class SineRates : public testing::TestWithParam<int> {};

TEST_P(SineRates, AreExactTonesOfTheRightLength)
{
    SignalOptions options;
    options.waveform = Waveform::Sine;
    options.rate = GetParam();
    options.leadMarks = 1200;  // a second of mark
    options.levelDbfs = -6;
    const auto signal = ComposeStressSignal(Number("0312345678"), options);
    ASSERT_TRUE(signal.has_value());
    const auto silence = static_cast<std::size_t>(GetParam() / 5);
    EXPECT_NEAR(ZeroCrossingHz(signal->samples, silence, silence + static_cast<std::size_t>(GetParam()), GetParam()),
                1300.0, 1.0);
    const double cells = 1200 + 23 * 10 + 40;
    EXPECT_NEAR(static_cast<double>(signal->samples.size()), 2.0 * silence + cells * GetParam() / 1200.0, 1.0);
    EXPECT_EQ(*std::max_element(signal->samples.begin(), signal->samples.end()), signal->peak);
    EXPECT_EQ(signal->peak, std::lround(32767 * std::pow(10.0, -6 / 20.0)));
    // The phase runs on from cell to cell: no step larger than the steepest slope of the tone.
    const double steepest = signal->peak * 2 * 3.14159265 * 2100 / GetParam();
    for (std::size_t i = silence + 1; i < signal->samples.size() - silence; ++i)
        ASSERT_LE(std::abs(signal->samples[i] - signal->samples[i - 1]), steepest + 1) << i;
}

INSTANTIATE_TEST_SUITE_P(Rates, SineRates, testing::ValuesIn(kRates));

TEST(StressSignal, NoiseIsReproducibleAndAtTheAskedRatio)
{
    SignalOptions options;
    options.waveform = Waveform::Sine;
    options.noiseSnrDb = 12;
    options.seed = 42;
    const auto first = ComposeStressSignal(Number("0312345678"), options);
    const auto again = ComposeStressSignal(Number("0312345678"), options);
    options.seed = 43;
    const auto other = ComposeStressSignal(Number("0312345678"), options);
    options.noiseSnrDb.reset();
    const auto clean = ComposeStressSignal(Number("0312345678"), options);
    EXPECT_EQ(first->samples, again->samples);
    EXPECT_NE(first->samples, other->samples);
    double signalPower = 0;
    double noisePower = 0;
    for (std::size_t i = 4800; i < clean->samples.size() - 4800; ++i) {
        signalPower += std::pow(clean->samples[i], 2);
        noisePower += std::pow(first->samples[i] - clean->samples[i], 2);
    }
    EXPECT_NEAR(10 * std::log10(signalPower / noisePower), 12.0, 0.3);
}

TEST(StressSignal, EveryOptionGivesTheSameSamplesEveryTime)
{
    SignalOptions options;
    options.rate = 44100;  // through the resampler, which must not dither
    options.noiseSnrDb = 20;
    EXPECT_EQ(ComposeStressSignal(Number("0312345678"), options)->samples,
              ComposeStressSignal(Number("0312345678"), options)->samples);
}

TEST(StressSignal, InjectedErrorsChangeExactlyWhatTheySay)
{
    const auto clean = ComposeStressSignal(Number("0312345678"), {});
    SignalOptions options;
    options.corruption = Corruption::Crc;
    const auto crc = ComposeStressSignal(Number("0312345678"), options);
    options.corruption = Corruption::Parity;
    options.corruptByte = 9;
    const auto parity = ComposeStressSignal(Number("0312345678"), options);
    options.corruption = Corruption::Truncate;
    options.corruptByte = 17;
    const auto truncated = ComposeStressSignal(Number("0312345678"), options);
    for (int i = 0; i < 23; ++i) {
        const auto at = static_cast<std::size_t>(i);
        EXPECT_EQ(crc->frame.data[at], clean->frame.data[at] ^ (i >= 21 ? 0xFF : 0x00)) << i;
        EXPECT_EQ(parity->frame.data[at], clean->frame.data[at] ^ (i == 8 ? 0x80 : 0x00)) << i;
    }
    EXPECT_EQ(truncated->frame.bSendCnt, 17);
    EXPECT_EQ(truncated->samples.size(), clean->samples.size() - 6 * 200);
}

TEST(StressSignal, MarkRunsAndSilencesAreAsAsked)
{
    SignalOptions options;
    options.leadMarks = 10;
    options.trailMarks = 0;
    options.silenceMs = 5;
    options.rate = 48000;
    options.waveform = Waveform::Sine;
    const auto signal = ComposeStressSignal(Number("1"), options);
    EXPECT_EQ(signal->samples.size(), 2u * 240 + (10 + 14 * 10) * 40);
    EXPECT_TRUE(std::all_of(signal->samples.begin(), signal->samples.begin() + 240, [](auto s) { return s == 0; }));
}

// spandsp's receiver, which checks parity and the frame check, at every rate.
struct Reception {
    int rate;
    Waveform waveform;
    std::optional<double> snr;
};

class JclipReceives : public testing::TestWithParam<Reception> {};

TEST_P(JclipReceives, TheStressSignal)
{
    SignalOptions options;
    options.rate = GetParam().rate;
    options.waveform = GetParam().waveform;
    options.noiseSnrDb = GetParam().snr;
    options.seed = 3;
    const auto signal = ComposeStressSignal(Number("0312345678"), options);
    const auto received = test::JclipReceive(test::ResampleTo8k(signal->samples, signal->rate));
    EXPECT_EQ(received.nMessages, 1);
    EXPECT_EQ(received.text, "0312345678");

    options.corruption = Corruption::Crc;
    const auto corrupt = ComposeStressSignal(Number("0312345678"), options);
    EXPECT_EQ(test::JclipReceive(test::ResampleTo8k(corrupt->samples, corrupt->rate)).nMessages, 0);
}

std::vector<Reception> Receptions()
{
    std::vector<Reception> receptions;
    for (const int rate : kRates) {
        receptions.push_back({rate, Waveform::Sine, std::nullopt});
        receptions.push_back({rate, Waveform::Sine, 20.0});
        receptions.push_back({rate, Waveform::Square, std::nullopt});
    }
    return receptions;
}

INSTANTIATE_TEST_SUITE_P(RatesAndWaveforms, JclipReceives, testing::ValuesIn(Receptions()),
                         [](const testing::TestParamInfo<Reception>& param) {
                             return (param.param.waveform == Waveform::Sine ? "Sine" : "Square") +
                                    std::to_string(param.param.rate) + (param.param.snr ? "Noise20dB" : "");
                         });

}  // namespace
}  // namespace corvane::stress
