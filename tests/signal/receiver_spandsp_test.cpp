// SPDX-License-Identifier: MIT
// An independent receiver: spandsp's Japanese caller ID (JCLIP) demodulator, receive side only.
#include "signal/compose.h"
#include "signal_test_support.h"

#include <gtest/gtest.h>

#include "support/receivers.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace corvane {
namespace {

// Low-pass filters the 24 000 Hz signal below 3 400 Hz and keeps every third sample: 8 000 Hz.
std::vector<std::int16_t> DecimateTo8k(const SampleBuffer& buffer)
{
    constexpr int kTaps = 63;
    constexpr double kCutoff = 3400.0 / kSampleRate;
    std::vector<double> taps(kTaps);
    double sum = 0;
    for (int i = 0; i < kTaps; ++i) {
        const double m = i - (kTaps - 1) / 2.0;
        const double sinc =
            m == 0 ? 2 * kCutoff : std::sin(2 * std::numbers::pi * kCutoff * m) / (std::numbers::pi * m);
        const double hamming = 0.54 - 0.46 * std::cos(2 * std::numbers::pi * i / (kTaps - 1));
        taps[static_cast<std::size_t>(i)] = sinc * hamming;
        sum += taps[static_cast<std::size_t>(i)];
    }
    std::vector<std::int16_t> out;
    for (int n = 0; n < buffer.Offset; n += 3) {
        double acc = 0;
        for (int k = 0; k < kTaps; ++k) {
            const int at = n - k;
            if (at >= 0)
                acc += taps[static_cast<std::size_t>(k)] / sum * buffer.samples[static_cast<std::size_t>(at)];
        }
        out.push_back(static_cast<std::int16_t>(std::clamp(acc, -32768.0, 32767.0)));
    }
    return out;
}

struct ReceiverCase {
    NotificationRequest request;
    int step;
};

class SpandspReceiverTest : public testing::TestWithParam<ReceiverCase> {};

TEST_P(SpandspReceiverTest, DecodesTheSameParameter)
{
    const auto& [request, step] = GetParam();
    const auto buffer = test::Synthesize(request, step);
    const test::JclipMessage received = test::JclipReceive(DecimateTo8k(*buffer));
    EXPECT_EQ(received.nMessages, 1);
    EXPECT_EQ(received.messageType, 0x40);
    EXPECT_EQ(received.parameterType, static_cast<std::uint8_t>(request.kind));
    EXPECT_EQ(received.text, request.text);
}

std::vector<ReceiverCase> Cases()
{
    std::vector<ReceiverCase> cases;
    for (int step : {0, 4, 9}) {
        for (const char letter : std::string(kReasonLetters))
            cases.push_back({test::Reason(letter), step});
        // This receiver refuses any frame with an inserted DLE, so 14 and 16 go to the other one.
        for (std::size_t n = 1; n <= 20; ++n)
            if (n != 14 && n != 16)
                cases.push_back({test::Number(test::Digits(n)), step});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(RequestsAndSteps, SpandspReceiverTest, testing::ValuesIn(Cases()), [](const auto& testCase) {
    const auto& request = testCase.param.request;
    return std::string(request.kind == InformationKind::AbsenceReason ? "Reason" : "Number") +
           (request.kind == InformationKind::AbsenceReason ? request.text : std::to_string(request.text.size())) +
           "_Step" + std::to_string(testCase.param.step);
});

}  // namespace
}  // namespace corvane
