// SPDX-License-Identifier: MIT
#include "signal/wave_file.h"
#include "signal_test_support.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::Number;
using test::Reason;
using test::Synthesize;

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

TEST(WaveFileBytes, HeaderBytesForAReason)
{
    const auto buffer = Synthesize(Reason('P'), 3);
    const auto bytes = WaveFileBytes(*buffer);
    ASSERT_EQ(bytes.size(), 44u + 29600u);
    const std::vector<std::uint8_t> header = {0x52, 0x49, 0x46, 0x46, 0xC4, 0x73, 0x00, 0x00, 0x57, 0x41, 0x56,
                                              0x45, 0x66, 0x6D, 0x74, 0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00,
                                              0x01, 0x00, 0xC0, 0x5D, 0x00, 0x00, 0x80, 0xBB, 0x00, 0x00, 0x02,
                                              0x00, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61, 0xA0, 0x73, 0x00, 0x00};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 44), header);
    for (int i = 0; i < buffer->Offset; ++i) {
        const auto sample = static_cast<std::int16_t>(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8);
        ASSERT_EQ(sample, buffer->samples[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(WaveFileBytes, SizesForANumber)
{
    const auto bytes = WaveFileBytes(*Synthesize(Number("0312345678"), 1));
    EXPECT_EQ(bytes.size(), 33244u);
    EXPECT_EQ(Le32(bytes, 4), 33236u);
    EXPECT_EQ(Le32(bytes, 40), 33200u);
}

TEST(WriteWaveFile, HandsThePathAsGivenAndTheBytesToTheReplacer)
{
    const auto buffer = Synthesize(Number("0312345678"), 1);
    std::string savedPath;
    std::vector<std::uint8_t> saved;
    const Status status =
        WriteWaveFile("dir/number", *buffer, [&](const std::string& path, std::span<const std::uint8_t> bytes) {
            savedPath = path;
            saved.assign(bytes.begin(), bytes.end());
            return Status::Failure("disk on fire");
        });
    EXPECT_EQ(status.Message(), "disk on fire");
    EXPECT_EQ(savedPath, "dir/number");  // no extension added
    EXPECT_EQ(saved, WaveFileBytes(*buffer));
}

TEST(WriteWaveFile, RefusesWhatItCannotWrite)
{
    auto buffer = Synthesize(Reason('S'), 1);
    int nCalls = 0;
    const FileReplacer counting = [&nCalls](const std::string&, std::span<const std::uint8_t>) {
        ++nCalls;
        return Status();
    };
    buffer->Offset = kBufferSamples + 1;
    EXPECT_FALSE(WriteWaveFile("x.wav", *buffer, counting).IsOk());
    buffer->Offset = -1;
    EXPECT_FALSE(WriteWaveFile("x.wav", *buffer, counting).IsOk());
    buffer->Offset = 100;
    const Status none = WriteWaveFile("x.wav", *buffer, {});
    EXPECT_FALSE(none.IsOk());
    EXPECT_NE(none.Message().find("x.wav"), std::string::npos);
    EXPECT_EQ(nCalls, 0);
}

}  // namespace
}  // namespace corvane
