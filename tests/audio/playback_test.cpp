// SPDX-License-Identifier: MIT
#include "audio/playback.h"
#include "playback_test_support.h"
#include "signal/compose.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;
using test::Notices;
using test::ReadSamples;
using test::ToneRuns;
using test::ToSamples;

class PlaybackTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_capture = std::filesystem::temp_directory_path() / ("corvane-capture-" + std::to_string(getpid()) + ".raw");
        setenv("AUDIO_CAPTURE_FILE", m_capture.c_str(), 1);
    }
    void TearDown() override
    {
        ClosePlayback();
        std::filesystem::remove(m_capture);
    }

    // Composes request into the device's buffer; returns the signal's length in samples.
    int Compose(const NotificationRequest& request)
    {
        iWaveFormValue = *AmplitudeFromStep(9);
        const ComposeOutcome outcome =
            ComposeSignal(ComposeMode::Play, {}, request, *PlaybackBuffer(), [](const std::string&) {});
        return outcome.Offset;
    }

    // The tones of the buffer's signal as they must arrive at volume position.
    std::vector<std::int16_t> ExpectedTones(int offset, int position)
    {
        const std::int32_t gain = static_cast<std::int32_t>(VolumeValue(position) & 0xFFFF);
        std::vector<std::int16_t> tones;
        for (int i = kSilenceSamples; i < offset - kSilenceSamples; ++i)
            tones.push_back(
                static_cast<std::int16_t>(PlaybackBuffer()->samples[static_cast<std::size_t>(i)] * gain / 0xFFFF));
        return tones;
    }

    std::filesystem::path m_capture;
    Notices m_notices;
};

class PlaybackVolumeTest : public PlaybackTest, public testing::WithParamInterface<int> {};

TEST_P(PlaybackVolumeTest, PlaysTheComposedSamplesTimesTheGain)
{
    ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
    ApplyVolume(GetParam());
    const int offset = Compose({InformationKind::AbsenceReason, "C"});
    const auto expected = ExpectedTones(offset, GetParam());
    const SampleBuffer before = *PlaybackBuffer();

    ASSERT_TRUE(PlaySignal(offset).IsOk());
    ASSERT_TRUE(m_notices.WaitFor(1));
    EXPECT_EQ(PlaybackBuffer()->samples, before.samples);  // the gain is applied on the way out
    ClosePlayback();                                       // flushes the capture file

    EXPECT_EQ(m_notices.Users(), std::vector<long>{0});
    const auto runs = ToneRuns(ReadSamples(m_capture));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], expected);
}

INSTANTIATE_TEST_SUITE_P(Positions, PlaybackVolumeTest, testing::Values(30, 100));

TEST_F(PlaybackTest, TwoPlaysInARowBothArriveWhole)
{
    ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
    ApplyVolume(100);
    const int first = Compose({InformationKind::CallerNumber, "0312345678"});
    const auto firstTones = ExpectedTones(first, 100);
    ASSERT_TRUE(PlaySignal(first).IsOk());
    ASSERT_TRUE(m_notices.WaitFor(1));
    const auto firstRuns = ToneRuns(ReadSamples(m_capture));  // each play opens the device anew

    const int second = Compose({InformationKind::AbsenceReason, "S"});
    const auto secondTones = ExpectedTones(second, 100);
    ASSERT_TRUE(PlaySignal(second).IsOk());
    ASSERT_TRUE(m_notices.WaitFor(2));
    ClosePlayback();

    EXPECT_EQ(m_notices.Users(), (std::vector<long>{0, 0}));
    EXPECT_EQ(m_notices.Outcomes(), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(firstRuns, std::vector<std::vector<std::int16_t>>{firstTones});
    EXPECT_EQ(ToneRuns(ReadSamples(m_capture)), std::vector<std::vector<std::int16_t>>{secondTones});
}

// Drains a pipe slowly on a thread of its own, so the device plays at about real time.
class SlowReader {
public:
    explicit SlowReader(const std::filesystem::path& fifo)
    {
        std::filesystem::remove(fifo);
        mkfifo(fifo.c_str(), 0600);
        // Read-write: the device's opens never block and never see the reader gone.
        m_fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        fcntl(m_fd, F_SETPIPE_SZ, 4096);
        m_thread = std::thread([this] { Run(); });
    }
    ~SlowReader()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            close(m_fd);
    }
    // From now on reads nothing, as a consumer that hangs; the pipe stays open.
    void Stall() { m_bStalled = true; }
    // Closes the pipe, as a consumer that goes away.
    void Vanish()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        close(m_fd);
        m_fd = -1;
    }
    bool WaitForTones()
    {
        for (int i = 0; i < 1000 && m_nToneBytes == 0; ++i)
            std::this_thread::sleep_for(10ms);
        return m_nToneBytes > 0;
    }
    long ToneBytes() const { return m_nToneBytes; }
    // Every sample read; call once the device is closed.
    std::vector<std::int16_t> Samples()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        return ToSamples(m_bytes);
    }

private:
    void Run()
    {
        char chunk[960];  // 10 ms of signal, read every 10 ms
        while (!m_bStop) {
            if (m_bStalled) {
                std::this_thread::sleep_for(10ms);
                continue;
            }
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, 10) > 0) {
                const ssize_t n = read(m_fd, chunk, sizeof chunk);
                for (ssize_t i = 0; i < n; ++i)
                    m_nToneBytes += chunk[i] != 0;
                if (n > 0)
                    m_bytes.insert(m_bytes.end(), chunk, chunk + n);
            }
            std::this_thread::sleep_for(10ms);
        }
    }

    int m_fd = -1;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bStalled{false};
    std::atomic<long> m_nToneBytes{0};
    std::vector<char> m_bytes;  // the reading thread's until it is joined
    std::thread m_thread;
};

// A long play at full volume into a slowly drained pipe, already sounding.
class PacedPlaybackTest : public PlaybackTest {
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        m_reader = std::make_unique<SlowReader>(m_capture);
        ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
        ApplyVolume(100);
        m_nOffset = Compose({InformationKind::CallerNumber, "01234567890123456789"});
        ASSERT_TRUE(PlaySignal(m_nOffset).IsOk());
        ASSERT_TRUE(m_reader->WaitForTones());
    }
    void TearDown() override
    {
        ClosePlayback();
        m_reader.reset();
        PlaybackTest::TearDown();
    }

    std::unique_ptr<SlowReader> m_reader;
    int m_nOffset = 0;
};

TEST_F(PacedPlaybackTest, ResetStopsThePlayWithOneNoticeCarryingDwUserOne)
{
    const auto start = std::chrono::steady_clock::now();
    ClosePlayback();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(m_notices.Users(), std::vector<long>{1});
    EXPECT_LT(m_reader->ToneBytes(), 2L * (m_nOffset - 2 * kSilenceSamples));
    EXPECT_EQ(PlaybackBuffer(), nullptr);
}

TEST_F(PacedPlaybackTest, AVolumeChangeIsHeardDuringThePlay)
{
    ApplyVolume(30);
    ASSERT_TRUE(m_notices.WaitFor(1));
    ClosePlayback();

    const auto runs = ToneRuns(m_reader->Samples());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].front(), 32767);
    EXPECT_EQ(runs[0].back(), 32767 * 19660 / 0xFFFF);
}

TEST_F(PacedPlaybackTest, AStalledDeviceIsReportedAndNeitherPlayNorCloseWaitsForIt)
{
    m_reader->Stall();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_notices.WaitFor(1));
    const auto reported = std::chrono::steady_clock::now() - start;
    EXPECT_GE(reported, std::chrono::milliseconds(kStallMarginMs));
    EXPECT_LT(reported, std::chrono::milliseconds(1000 * m_nOffset / kSampleRate + kStallMarginMs + 500));
    EXPECT_NE(m_notices.Outcomes().at(0).find("音声出力デバイスが応答しません。"), std::string::npos)
        << m_notices.Outcomes().at(0);

    // The device is opened anew for the next play: once it works again, so does playing.
    const auto working = m_capture.string() + ".working";
    setenv("AUDIO_CAPTURE_FILE", working.c_str(), 1);
    ApplyVolume(100);
    const int offset = Compose({InformationKind::AbsenceReason, "P"});
    const auto expected = ExpectedTones(offset, 100);
    ASSERT_TRUE(PlaySignal(offset).IsOk());
    ASSERT_TRUE(m_notices.WaitFor(2));
    EXPECT_EQ(m_notices.Outcomes().at(1), "");
    EXPECT_EQ(ToneRuns(ReadSamples(working)), std::vector<std::vector<std::int16_t>>{expected});
    std::filesystem::remove(working);

    const auto closing = std::chrono::steady_clock::now();
    ClosePlayback();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 1s);
    EXPECT_EQ(m_notices.Users(), (std::vector<long>{0, 0}));
}

TEST_F(PacedPlaybackTest, ClosingWhileTheDeviceHangsReturnsAtOnce)
{
    m_reader->Stall();
    std::this_thread::sleep_for(200ms);  // the device's buffer is full: the player is stuck in it
    const auto closing = std::chrono::steady_clock::now();
    ClosePlayback();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 1s);
    EXPECT_EQ(m_notices.Users(), std::vector<long>{1});
    EXPECT_EQ(m_notices.Outcomes(), std::vector<std::string>{""});
}

TEST_F(PacedPlaybackTest, ADeviceThatGoesAwayCutsThePlayShortAndSaysSo)
{
    m_reader->Vanish();
    ASSERT_TRUE(m_notices.WaitFor(1));
    EXPECT_EQ(m_notices.Users(), std::vector<long>{0});
    EXPECT_NE(m_notices.Outcomes().at(0).find("再生が途中で終わりました。"), std::string::npos)
        << m_notices.Outcomes().at(0);
}

TEST_F(PlaybackTest, PlayWithoutAnOpenDeviceFailsWithoutANotice)
{
    EXPECT_FALSE(PlaySignal(100).IsOk());
    ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
    EXPECT_FALSE(PlaySignal(kBufferSamples + 1).IsOk());
    EXPECT_FALSE(PlaySignal(-1).IsOk());
    ClosePlayback();
    EXPECT_TRUE(m_notices.Users().empty());
}

struct VolumeCase {
    int position;
    std::uint32_t value;
};

class VolumeTest : public testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeTest, PositionGivesBothChannelsTheSameLevel)
{
    EXPECT_EQ(VolumeValue(GetParam().position), GetParam().value);
    EXPECT_EQ(VolumeValue(-GetParam().position), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, VolumeTest,
                         testing::Values(VolumeCase{0, 0x00000000}, VolumeCase{1, 0x028F028F},
                                         VolumeCase{30, 0x4CCC4CCC}, VolumeCase{50, 0x7FFF7FFF},
                                         VolumeCase{99, 0xFD6FFD6F}, VolumeCase{100, 0xFFFFFFFF}),
                         [](const auto& testCase) { return "Position" + std::to_string(testCase.param.position); });

TEST_F(PlaybackTest, AVolumeIsSetOnlyWhenItChanges)
{
    ASSERT_TRUE(OpenPlayback(m_notices.Target()).IsOk());
    EXPECT_TRUE(ApplyVolume(30));
    EXPECT_FALSE(ApplyVolume(30));
    EXPECT_TRUE(ApplyVolume(0));
    EXPECT_FALSE(ApplyVolume(0));
    EXPECT_TRUE(ApplyVolume(100));
}

}  // namespace
}  // namespace corvane
