// SPDX-License-Identifier: MIT
// An independent receiver: minimodem's 1200 baud FSK demodulator, reading our WAVE files.
#include "signal/compose.h"
#include "storage/safe_save.h"
#include "signal/frame.h"
#include "signal_test_support.h"
#include "support/receivers.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

class MinimodemReceiverTest : public testing::TestWithParam<NotificationRequest> {};

TEST_P(MinimodemReceiverTest, ReceivesTheFrameByteForByte)
{
    const NotificationRequest& request = GetParam();
    test::TempDir dir;
    const std::string path = dir.File("signal.wav");
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = *AmplitudeFromStep(4);
    const auto showNothing = [](const std::string&) {};
    const ComposeOutcome outcome =
        ComposeSignal(ComposeMode::Save, path, request, *buffer, showNothing, SaveFileSafely);
    ASSERT_TRUE(outcome.status.IsOk()) << outcome.status.Message();

    const auto received = test::MinimodemReceive(path);
    ASSERT_TRUE(received);
    EXPECT_EQ(*received, test::FrameBytes(*BuildFrame(request)));
}

std::vector<NotificationRequest> Requests()
{
    std::vector<NotificationRequest> requests = test::DialogRequests();
    requests.push_back(test::Number("03-ABCD xyz"));
    requests.push_back(test::Number("\x82\xA0\x93\xFA\xFF\x80"));  // double-byte characters, bit 7 set
    return requests;
}

INSTANTIATE_TEST_SUITE_P(Requests, MinimodemReceiverTest, testing::ValuesIn(Requests()));

}  // namespace
}  // namespace corvane
