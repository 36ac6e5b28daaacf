// An independent receiver: minimodem's 1200 baud FSK demodulator, reading our WAVE files.
#include "signal/compose.h"
#include "storage/safe_save.h"
#include "signal/frame.h"
#include "signal_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace corvane {
namespace {

// The bytes minimodem receives from the file, or nullopt when it could not run.
std::optional<std::vector<std::uint8_t>> MinimodemReceive(const std::string& path)
{
    const std::string command =
        std::string(CORVANE_MINIMODEM) + " --rx -q -f '" + path + "' -M 1300 -S 2100 1200 2>/dev/null";
    std::FILE* pPipe = popen(command.c_str(), "r");
    if (pPipe == nullptr)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (int ch; (ch = std::fgetc(pPipe)) != EOF;)
        bytes.push_back(static_cast<std::uint8_t>(ch));
    if (pclose(pPipe) == -1)
        return std::nullopt;
    return bytes;
}

class MinimodemReceiverTest : public testing::TestWithParam<NotificationRequest> {};

TEST_P(MinimodemReceiverTest, ReceivesTheFrameByteForByte)
{
    const NotificationRequest& request = GetParam();
    test::TempDir dir;
    const std::string path = dir.File("signal.wav");
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = *AmplitudeFromStep(4);
    const ComposeOutcome outcome = ComposeSignal(ComposeMode::Save, path, request, *buffer, [](const std::string&) {}, SaveFileSafely);
    ASSERT_TRUE(outcome.status.IsOk()) << outcome.status.Message();

    const auto received = MinimodemReceive(path);
    ASSERT_TRUE(received);
    EXPECT_EQ(*received, test::FrameBytes(*BuildFrame(request)));
}

std::vector<NotificationRequest> Requests()
{
    std::vector<NotificationRequest> requests;
    for (const char letter : std::string(kReasonLetters))
        requests.push_back(test::Reason(letter));
    for (std::size_t n = 1; n <= 20; ++n)
        requests.push_back(test::Number(test::Digits(n)));
    requests.push_back(test::Number("03-ABCD xyz"));
    requests.push_back(test::Number("\x82\xA0\x93\xFA\xFF\x80"));  // double-byte characters, bit 7 set
    return requests;
}

INSTANTIATE_TEST_SUITE_P(Requests, MinimodemReceiverTest, testing::ValuesIn(Requests()));

}  // namespace
}  // namespace corvane
