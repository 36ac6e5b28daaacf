// SPDX-License-Identifier: MIT
#include "audio/playback.h"
#include "support/alsa_test_config.h"
#include "support/temp_files.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace corvane {
namespace {

// An ALSA configuration that gives no usable default output, however it is broken.
struct BrokenConfig {
    const char* label;
    const char* content;  // nullptr: ALSA_CONFIG_PATH names a file that does not exist
};

class NoDevice : public testing::TestWithParam<BrokenConfig> {};

TEST_P(NoDevice, IsReportedQuietlyWhileTheBufferStillServesSaving)
{
    if (test::MachineHasSoundCards())
        GTEST_SKIP() << "ALSA may fall back to this machine's own cards";
    test::TempDir dir;
    const std::string config = dir.File("asound.conf");
    if (GetParam().content != nullptr)
        std::ofstream(config) << GetParam().content;
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
    snd_config_update_free_global();  // read the configuration anew, as a fresh process would

    int nNotices = 0;
    for (int round = 0; round < 2; ++round) {
        testing::internal::CaptureStderr();
        const Status status = OpenPlayback([&nNotices](long, const Status&) { ++nNotices; });
        const Status play = PlaySignal(1000);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // ALSA's complaints stay quiet
        EXPECT_FALSE(status.IsOk());
        // Names the device and what to check.
        EXPECT_EQ(status.Message().rfind("音声出力デバイス「default」を開けません", 0), 0u) << status.Message();
        EXPECT_NE(status.Message().find("サウンド設定"), std::string::npos) << status.Message();
        EXPECT_NE(status.Message().find("サウンドカード"), std::string::npos) << status.Message();
        ASSERT_NE(PlaybackBuffer(), nullptr);
        PlaybackBuffer()->samples[0] = 1;  // writable
        EXPECT_TRUE(ApplyVolume(30));
        EXPECT_FALSE(play.IsOk());
        EXPECT_EQ(play.Message(), status.Message());
        ClosePlayback();
        EXPECT_EQ(PlaybackBuffer(), nullptr);
    }
    EXPECT_EQ(nNotices, 0);
}

INSTANTIATE_TEST_SUITE_P(Configs, NoDevice,
                         testing::Values(BrokenConfig{"CardThatIsNotThere", "pcm.!default { type hw card 99 }\n"},
                                         BrokenConfig{"EmptyFile", ""}, BrokenConfig{"MissingFile", nullptr},
                                         BrokenConfig{"OnlyOtherDevices", "pcm.other { type null }\n"},
                                         BrokenConfig{"SyntaxError", "pcm.!default { type \n"},
                                         BrokenConfig{"UnknownType", "pcm.!default { type nosuchplugin }\n"}),
                         [](const testing::TestParamInfo<BrokenConfig>& param) {
                             return std::string(param.param.label);
                         });

}  // namespace
}  // namespace corvane
