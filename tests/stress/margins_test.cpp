// SPDX-License-Identifier: MIT
// Margins on the square wave: tones and bit rate moved, more stop bits, gaps between characters.
// Each still decodes with our decoder and with minimodem; the moved square carries no harmonic
// above half the rate; and with no margin the signal is still the dialog's.
#include "stress/stress_signal.h"

#include "receive/frame_reader.h"
#include "signal/wave_file.h"
#include "support/receivers.h"
#include "support/requests.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace corvane {
namespace {

using stress::ComposeStressSignal;
using stress::SignalOptions;

const NotificationRequest kNumber = test::Number("0312345678");

struct Margin {
    const char* label;
    std::function<void(SignalOptions&)> set;
};

// minimodem is told the sender's tones and bit rate, as a receiver set up for it would be; our
// decoder is told nothing and finds them.
class SquareMargins : public testing::TestWithParam<Margin> {};

TEST_P(SquareMargins, DecodeWithOurDecoderAndWithMinimodem)
{
    SignalOptions options;
    GetParam().set(options);
    ASSERT_FALSE(options.IsDialogSignal());
    const auto signal = ComposeStressSignal(kNumber, options);
    const std::vector<std::uint8_t> bytes(signal->frame.data.begin(),
                                          signal->frame.data.begin() + signal->frame.bSendCnt);
    const auto frames = FindFrames(Demodulate(FromSamples(signal->samples, signal->rate), {}));
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_TRUE(frames[0].IsValid());
    EXPECT_EQ(frames[0].bytes, bytes);

    test::TempDir dir;
    test::WriteFile(dir.File("margin.wav"), WaveFileBytes(signal->samples, signal->rate));
    const auto received = test::MinimodemReceive(dir.File("margin.wav"), options.markHz, options.spaceHz, options.baud);
    ASSERT_TRUE(received.has_value());
    EXPECT_NE(std::search(received->begin(), received->end(), bytes.begin(), bytes.end()), received->end());
}

INSTANTIATE_TEST_SUITE_P(Table, SquareMargins,
                         testing::Values(Margin{"TonesFivePercentHigh",
                                                [](SignalOptions& o) {
                                                    o.markHz = 1365;
                                                    o.spaceHz = 2205;
                                                }},
                                         Margin{"TonesFivePercentLow",
                                                [](SignalOptions& o) {
                                                    o.markHz = 1235;
                                                    o.spaceHz = 1995;
                                                }},
                                         Margin{"BitRateFivePercentFast", [](SignalOptions& o) { o.baud = 1260; }},
                                         Margin{"BitRateFivePercentSlow", [](SignalOptions& o) { o.baud = 1140; }},
                                         Margin{"TonesHighAt8kHz",
                                                [](SignalOptions& o) {
                                                    o.markHz = 1365;
                                                    o.spaceHz = 2205;
                                                    o.rate = 8000;
                                                }},
                                         Margin{"TwoStopBits", [](SignalOptions& o) { o.stopBits = 2; }},
                                         Margin{"GapsOfFourMarks", [](SignalOptions& o) { o.charGapBits = 4; }}),
                         [](const testing::TestParamInfo<Margin>& param) { return std::string(param.param.label); });

// A tone's magnitude at hz over samples, by correlation.
double Magnitude(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t count, double hz, int rate)
{
    double re = 0;
    double im = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        re += samples[i] * std::cos(2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        im += samples[i] * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
    }
    return std::hypot(re, im);
}

// Over the mark run, a moved square at 1365 Hz drawn at 24 kHz: its odd harmonics up to 9555 Hz are
// there, at a seventh of the fundamental for the seventh; the ninth (12 285 Hz) and above are not,
// so nothing folds back to 24 000 - 12 285 = 11 715 Hz, where a square drawn sample by sample would
// put a ninth of the fundamental.
TEST(SquareMargins, HaveNoHarmonicAboveHalfTheRate)
{
    SignalOptions options;
    options.markHz = 1365;
    const auto signal = ComposeStressSignal(kNumber, options);
    const std::size_t from = 24000 * 200 / 1000;  // after the silence
    const std::size_t count = 24000 * 60 / 1200;  // sixty of the eighty lead marks
    const double fundamental = Magnitude(signal->samples, from, count, 1365, 24000);
    EXPECT_NEAR(Magnitude(signal->samples, from, count, 7 * 1365, 24000) / fundamental, 1.0 / 7, 0.01);
    EXPECT_LT(Magnitude(signal->samples, from, count, 24000 - 9 * 1365, 24000) / fundamental,
              0.005);  // the window's own leakage
}

TEST(SquareMargins, NoneGiveTheDialogsSignal)
{
    SignalOptions options;
    options.markHz = 1300;
    options.stopBits = 1;
    options.charGapBits = 0;
    EXPECT_TRUE(options.IsDialogSignal());
    EXPECT_EQ(ComposeStressSignal(kNumber, options)->samples, ComposeStressSignal(kNumber, {})->samples);
}

}  // namespace
}  // namespace corvane
