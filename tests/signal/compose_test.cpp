// SPDX-License-Identifier: MIT
#include "signal/compose.h"
#include "signal/frame.h"
#include "signal_test_support.h"
#include "storage/safe_save.h"

#include <gtest/gtest.h>

#include <cstring>

namespace corvane {
namespace {

using test::Number;
using test::ReadFile;
using test::Reason;
using test::TempDir;

class ComposeSignalTest : public testing::Test {
protected:
    void SetUp() override
    {
        iWaveFormValue = *AmplitudeFromStep(1);
        m_buffer->samples.fill(77);  // stands for whatever an earlier signal left
        m_buffer->Offset = -1;
    }

    StatusLineSink Sink()
    {
        return [this](const std::string& text) {
            m_statusLine = text;
            m_bBufferUntouchedAtStatus = m_buffer->samples[5000] == 77;
            ++m_nStatusCalls;
        };
    }

    std::unique_ptr<SampleBuffer> m_buffer = std::make_unique<SampleBuffer>();
    std::string m_statusLine = "earlier text";
    bool m_bBufferUntouchedAtStatus = false;
    int m_nStatusCalls = 0;
};

TEST_F(ComposeSignalTest, PlayReplacesTheStatusLineBeforeSynthesisAndWritesNoFile)
{
    TempDir dir;
    const ComposeOutcome outcome =
        ComposeSignal(ComposeMode::Play, dir.File("x.wav"), Reason('C'), *m_buffer, Sink(), SaveFileSafely);
    EXPECT_TRUE(outcome.status.IsOk());
    EXPECT_EQ(outcome.Offset, 14800);
    EXPECT_EQ(m_buffer->Offset, 14800);
    EXPECT_EQ(m_statusLine, "90 81 87 90 82 C0 03 84 81 C3 90 03 03 88 ");
    EXPECT_EQ(m_nStatusCalls, 1);
    EXPECT_TRUE(m_bBufferUntouchedAtStatus);
    EXPECT_TRUE(dir.Entries().empty());
}

TEST_F(ComposeSignalTest, SaveWritesTheSignalInTheBuffer)
{
    TempDir dir;
    const ComposeOutcome outcome =
        ComposeSignal(ComposeMode::Save, dir.File("x.wav"), Number("0312345678"), *m_buffer, Sink(), SaveFileSafely);
    ASSERT_TRUE(outcome.status.IsOk()) << outcome.status.Message();
    EXPECT_EQ(outcome.Offset, 16600);
    const auto bytes = ReadFile(dir.File("x.wav"));
    ASSERT_EQ(bytes.size(), 44u + 2u * 16600u);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 44, m_buffer->samples.data(), 2 * 16600));
}

TEST_F(ComposeSignalTest, FailedSaveStillShowsTheNewFrameAndSignal)
{
    TempDir dir;
    const std::string path = dir.File("missing/x.wav");
    const ComposeOutcome outcome =
        ComposeSignal(ComposeMode::Save, path, Reason('P'), *m_buffer, Sink(), SaveFileSafely);
    EXPECT_FALSE(outcome.status.IsOk());
    EXPECT_NE(outcome.status.Message().find(path), std::string::npos);
    EXPECT_EQ(outcome.Offset, 14800);
    EXPECT_EQ(m_statusLine, "90 81 87 90 82 C0 03 84 81 50 90 03 1E EE ");
    EXPECT_EQ(m_buffer->samples[5000], 6553);
}

TEST_F(ComposeSignalTest, TextTooLongForFrameOrBufferComposesNothing)
{
    // 167 text bytes give the longest frame the buffer holds; 168 and the framing limit do not.
    for (const std::size_t n : {std::size_t{168}, kMaxFrameTextBytes, kMaxFrameTextBytes + 1}) {
        TempDir dir;
        const ComposeOutcome outcome = ComposeSignal(ComposeMode::Save, dir.File("x.wav"), Number(test::Digits(n)),
                                                     *m_buffer, Sink(), SaveFileSafely);
        EXPECT_FALSE(outcome.status.IsOk()) << n;
        EXPECT_EQ(outcome.Offset, 0) << n;
        EXPECT_EQ(m_nStatusCalls, 0) << n;
        EXPECT_EQ(m_buffer->Offset, -1) << n;
        EXPECT_EQ(m_buffer->samples[5000], 77) << n;
        EXPECT_TRUE(dir.Entries().empty()) << n;
    }
    EXPECT_EQ(ComposeSignal(ComposeMode::Play, "", Number(test::Digits(167)), *m_buffer, Sink(), SaveFileSafely).Offset,
              kBufferSamples);
}

}  // namespace
}  // namespace corvane
