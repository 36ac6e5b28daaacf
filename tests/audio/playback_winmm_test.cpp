// SPDX-License-Identifier: MIT
// winmm playback, run under wine: wine's winmm plays through its ALSA driver into the ALSA
// device that the test run defines ($ALSA_CONFIG_PATH): a file ($AUDIO_CAPTURE_FILE), a pipe
// whose reader never reads, or none. $CORVANE_TEST_DEVICE says which: file, stalled or missing.
#include "audio/playback.h"
#include "playback_test_support.h"
#include "signal/compose.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace corvane {
namespace {

using namespace std::chrono_literals;

// The Unix path the test run named, as this Windows program reaches it: through drive Z:.
std::string CapturePath()
{
    const char* pszPath = std::getenv("AUDIO_CAPTURE_FILE");
    return pszPath != nullptr ? std::string("Z:") + pszPath : std::string();
}

bool DeviceIs(const char* pszKind)
{
    const char* pszDevice = std::getenv("CORVANE_TEST_DEVICE");
    return pszDevice != nullptr && std::string(pszDevice) == pszKind;
}

class WinmmPlayback : public testing::Test {
protected:
    void SetUp() override
    {
        if (!DeviceIs("file"))
            GTEST_SKIP() << "the device is not a file in this run";
        ASSERT_FALSE(CapturePath().empty());
    }
    void TearDown() override { ClosePlayback(); }

    int Compose(const NotificationRequest& request)
    {
        iWaveFormValue = *AmplitudeFromStep(9);
        return ComposeSignal(ComposeMode::Play, {}, request, *PlaybackBuffer(), [](const std::string&) {}).Offset;
    }

    // The tones between the silences, as they must arrive at volume position.
    std::vector<std::int16_t> ExpectedTones(int offset, int position)
    {
        const auto gain = static_cast<std::int32_t>(VolumeValue(position) & 0xFFFF);
        std::vector<std::int16_t> tones;
        for (int i = kSilenceSamples; i < offset - kSilenceSamples; ++i)
            tones.push_back(
                static_cast<std::int16_t>(PlaybackBuffer()->samples[static_cast<std::size_t>(i)] * gain / 0xFFFF));
        return tones;
    }

    test::Notices m_notices;
};

// Each sample within one step of what the gain gives: winmm's volume is applied in floating point.
void ExpectWithinOneStep(const std::vector<std::int16_t>& actual, const std::vector<std::int16_t>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    int worst = 0;
    for (std::size_t i = 0; i < actual.size(); ++i)
        worst = std::max(worst, std::abs(actual[i] - expected[i]));
    EXPECT_LE(worst, 1);
}

// The one run of tones the capture file holds once the play's device has closed it: each play
// opens the device anew (so that one that comes back is found), which starts the file anew.
// Empty when it does not come within 2 s.
std::vector<std::int16_t> CapturedRun(std::size_t nExpected)
{
    for (int i = 0; i < 200; ++i) {
        const auto runs = test::ToneRuns(test::ReadSamples(CapturePath()));
        if (runs.size() == 1 && runs[0].size() == nExpected)
            return runs[0];
        std::this_thread::sleep_for(10ms);
    }
    return {};
}

TEST_F(WinmmPlayback, PlaysTheSamplesTimesTheGainWithOneNoticeEachPlay)
{
    ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
    ApplyVolume(100);
    const int first = Compose({InformationKind::AbsenceReason, "C"});
    const auto firstTones = ExpectedTones(first, 100);
    ASSERT_TRUE(PlaySignal(first).IsOk());
    ASSERT_TRUE(m_notices.WaitFor(1));
    ExpectWithinOneStep(CapturedRun(firstTones.size()), firstTones);

    // A new device, a new length and a new volume.
    ApplyVolume(30);
    const int second = Compose({InformationKind::CallerNumber, "0312345678"});
    const auto secondTones = ExpectedTones(second, 30);
    ASSERT_TRUE(PlaySignal(second).IsOk());
    ASSERT_TRUE(m_notices.WaitFor(2));
    ExpectWithinOneStep(CapturedRun(secondTones.size()), secondTones);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(m_notices.Users(), (std::vector<long>{0, 0}));
    EXPECT_EQ(m_notices.Outcomes(), (std::vector<std::string>{"", ""}));
}

TEST_F(WinmmPlayback, PlaysSamplesAtAnotherRateWhole)
{
    ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
    ApplyVolume(100);
    std::vector<std::int16_t> samples(48000 / 4);  // a quarter of a second
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(1000 + (i * 37) % 20000);
    ASSERT_TRUE(PlaySamples(samples, 48000).IsOk());
    ASSERT_TRUE(m_notices.WaitFor(1));
    ExpectWithinOneStep(CapturedRun(samples.size()), samples);
    EXPECT_FALSE(PlaySamples(samples, kMaxPlayRate + 1).IsOk());
}

TEST_F(WinmmPlayback, ClosingDuringAPlayStopsItWithOneNoticeCarryingDwUserOne)
{
    ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
    ASSERT_TRUE(PlaySignal(Compose({InformationKind::CallerNumber, "01234567890123456789"})).IsOk());
    EXPECT_FALSE(PlaySignal(100).IsOk());  // one play at a time
    const auto start = std::chrono::steady_clock::now();
    ClosePlayback();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(m_notices.Users(), std::vector<long>{1});
    EXPECT_FALSE(PlaybackLeftStuck());
}

TEST(WinmmStall, AStalledDeviceIsReportedAndClosingDoesNotWaitForIt)
{
    if (!DeviceIs("stalled"))
        GTEST_SKIP() << "the device does not stall in this run";
    test::Notices notices;
    ASSERT_TRUE(OpenPlayback(notices.Target()).IsOk());
    iWaveFormValue = *AmplitudeFromStep(9);
    const int offset = ComposeSignal(ComposeMode::Play, {}, {InformationKind::CallerNumber, "01234567890123456789"},
                                     *PlaybackBuffer(), [](const std::string&) {})
                           .Offset;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PlaySignal(offset).IsOk());
    ASSERT_TRUE(notices.WaitFor(1));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1000LL * offset / kSampleRate + kStallMarginMs - 100));
    ASSERT_EQ(notices.Outcomes().size(), 1u);
    EXPECT_NE(notices.Outcomes()[0].find("応答しません"), std::string::npos) << notices.Outcomes()[0];
    EXPECT_FALSE(PlaySignal(offset).IsOk());  // the device still holds the last buffer

    const auto closing = std::chrono::steady_clock::now();
    ClosePlayback();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 500ms);
    EXPECT_EQ(notices.Users().size(), 1u);
}

TEST(WinmmNoDevice, IsReportedOnceAndTheBufferStillServesSaving)
{
    if (!DeviceIs("missing"))
        GTEST_SKIP() << "there is a device in this run";
    test::Notices notices;
    const Status device = OpenPlayback(notices.Target());
    EXPECT_NE(device.Message().find("音声出力デバイス「default」を開けません"), std::string::npos) << device.Message();
    ASSERT_NE(PlaybackBuffer(), nullptr);
    EXPECT_EQ(PlaySignal(100).Message(), device.Message());
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(notices.Users().empty());
    ClosePlayback();
    EXPECT_TRUE(notices.Users().empty());
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // A play left stuck in the device would hold the process's exit for ever.
    if (corvane::PlaybackLeftStuck()) {
        std::fflush(nullptr);
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    }
    return result;
}
