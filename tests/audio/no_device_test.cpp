#include "audio/playback.h"
#include "support/alsa_test_config.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(NoDevice, IsReportedWhileTheBufferStillServesSaving)
{
    if (test::MachineHasSoundCards())
        GTEST_SKIP() << "PortAudio falls back to this machine's own cards";
    int nNotices = 0;
    for (int round = 0; round < 2; ++round) {
        testing::internal::CaptureStderr();
        const Status status = OpenPlayback([&nNotices](long) { ++nNotices; });
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // ALSA's and JACK's probing stays quiet
        EXPECT_FALSE(status.IsOk());
        EXPECT_FALSE(status.Message().empty());
        ASSERT_NE(PlaybackBuffer(), nullptr);
        PlaybackBuffer()->samples[0] = 1;  // writable
        EXPECT_TRUE(ApplyVolume(30));
        const Status play = PlaySignal(1000);
        EXPECT_FALSE(play.IsOk());
        EXPECT_EQ(play.Message(), status.Message());
        ClosePlayback();
        EXPECT_EQ(PlaybackBuffer(), nullptr);
    }
    EXPECT_EQ(nNotices, 0);
}

}  // namespace
}  // namespace corvane
