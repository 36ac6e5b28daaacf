// SPDX-License-Identifier: MIT
#include "wave_file.h"

#include <array>
#include <bit>
#include <cstring>

namespace corvane {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;

// The samples are written straight from memory, which must already be in the file's order.
static_assert(std::endian::native == std::endian::little);

class HeaderWriter {
public:
    void Tag(const char (&tag)[5]) { Bytes(tag, 4); }
    void U16(std::uint16_t value) { Little(value, 2); }
    void U32(std::uint32_t value) { Little(value, 4); }
    const std::array<unsigned char, kWaveHeaderBytes>& Header() const { return m_header; }

private:
    void Bytes(const char* pBytes, std::size_t count)
    {
        std::memcpy(m_header.data() + m_nUsed, pBytes, count);
        m_nUsed += count;
    }
    void Little(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i, value >>= 8)
            m_header[m_nUsed++] = static_cast<unsigned char>(value & 0xFF);
    }

    std::array<unsigned char, kWaveHeaderBytes> m_header{};
    std::size_t m_nUsed = 0;
};

std::array<unsigned char, kWaveHeaderBytes> MakeHeader(std::uint32_t dataBytes, std::uint32_t rate)
{
    HeaderWriter writer;
    writer.Tag("RIFF");
    writer.U32(36 + dataBytes);
    writer.Tag("WAVE");
    writer.Tag("fmt ");
    writer.U32(16);
    writer.U16(kFormatPcm);
    writer.U16(kChannels);
    writer.U32(rate);
    writer.U32(rate * kBlockAlign);
    writer.U16(kBlockAlign);
    writer.U16(kBitsPerSample);
    writer.Tag("data");
    writer.U32(dataBytes);
    return writer.Header();
}

}  // namespace

std::vector<std::uint8_t> WaveFileBytes(const SampleBuffer& buffer)
{
    return WaveFileBytes({buffer.samples.data(), static_cast<std::size_t>(buffer.Offset)}, kSampleRate);
}

std::vector<std::uint8_t> WaveFileBytes(std::span<const std::int16_t> samples, int rate)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size()) * kBlockAlign;
    const auto header = MakeHeader(dataBytes, static_cast<std::uint32_t>(rate));
    std::vector<std::uint8_t> bytes(header.size() + dataBytes);
    std::memcpy(bytes.data(), header.data(), header.size());
    std::memcpy(bytes.data() + header.size(), samples.data(), dataBytes);
    return bytes;
}

Status WriteWaveFile(const std::string& path, const SampleBuffer& buffer, const FileReplacer& replaceFile)
{
    if (buffer.Offset < 0 || buffer.Offset > kBufferSamples)
        return Status::Failure("ファイル「" + path + "」を保存できませんでした（信号の長さが不正です）。",
                               "Cannot save the file \"" + path + "\": the signal's length is out of range.");
    if (!replaceFile)
        return Status::Failure("ファイル「" + path + "」を保存できませんでした（書き込み手段がありません）。",
                               "Cannot save the file \"" + path + "\": there is no way to write it.");
    return replaceFile(path, WaveFileBytes(buffer));
}

}  // namespace corvane
