// SPDX-License-Identifier: MIT
#include "signal_test_support.h"

#include <gtest/gtest.h>

namespace corvane {

void PrintTo(const NotificationRequest& request, std::ostream* pOut)
{
    *pOut << (request.kind == InformationKind::AbsenceReason ? "reason \"" : "number \"") << request.text << '"';
}

}  // namespace corvane

namespace corvane::test {

std::vector<std::uint8_t> FrameBytes(const SignalFrame& frame)
{
    return {frame.data.begin(), frame.data.begin() + frame.bSendCnt};
}

std::unique_ptr<SampleBuffer> Synthesize(const NotificationRequest& request, int step)
{
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = AmplitudeFromStep(step).value();
    const auto frame = BuildFrame(request);
    EXPECT_TRUE(frame.has_value());
    if (frame) {
        EXPECT_TRUE(SynthesizeSignal(*frame, *buffer).has_value());
    }
    return buffer;
}

}  // namespace corvane::test
