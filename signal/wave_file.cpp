#include "wave_file.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace corvane {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
constexpr std::uint32_t kBytesPerSecond = kSampleRate * kBlockAlign;

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

std::array<unsigned char, kWaveHeaderBytes> MakeHeader(std::uint32_t dataBytes)
{
    HeaderWriter writer;
    writer.Tag("RIFF");
    writer.U32(36 + dataBytes);
    writer.Tag("WAVE");
    writer.Tag("fmt ");
    writer.U32(16);
    writer.U16(kFormatPcm);
    writer.U16(kChannels);
    writer.U32(kSampleRate);
    writer.U32(kBytesPerSecond);
    writer.U16(kBlockAlign);
    writer.U16(kBitsPerSample);
    writer.Tag("data");
    writer.U32(dataBytes);
    return writer.Header();
}

Status SaveFailure(const std::string& path, const std::string& reason)
{
    return Status::Failure("ファイル「" + path + "」を保存できませんでした: " + reason);
}

// Opens a new file beside path under a name no other file has; nullptr with errno set on failure.
std::FILE* CreateTemporaryBeside(const std::string& path, std::string& tempPath)
{
    std::random_device random;
    int nErrno = EEXIST;
    for (int attempt = 0; attempt < 16 && nErrno == EEXIST; ++attempt) {
        char szSuffix[32];
        std::snprintf(szSuffix, sizeof szSuffix, ".%08x.tmp", static_cast<unsigned>(random()));
        tempPath = path + szSuffix;
        // "x": never reuse, and so never truncate, a file that is already there.
        if (std::FILE* pFile = std::fopen(tempPath.c_str(), "wbx"))
            return pFile;
        nErrno = errno;
    }
    errno = nErrno;
    return nullptr;
}

}  // namespace

Status WriteWaveFile(const std::string& path, const SampleBuffer& buffer)
{
    if (buffer.Offset < 0 || buffer.Offset > kBufferSamples)
        return SaveFailure(path, "信号の長さが不正です");
    const auto dataBytes = static_cast<std::uint32_t>(buffer.Offset) * kBlockAlign;
    const auto header = MakeHeader(dataBytes);

    std::string tempPath;
    std::FILE* pFile = CreateTemporaryBeside(path, tempPath);
    if (pFile == nullptr)
        return SaveFailure(path, std::strerror(errno));

    // errno, or EIO where the library failed without saying why.
    const auto reason = [] { return errno != 0 ? errno : EIO; };
    int nErrno = 0;
    errno = 0;
    if (std::fwrite(header.data(), 1, header.size(), pFile) != header.size() ||
        std::fwrite(buffer.samples.data(), 1, dataBytes, pFile) != dataBytes ||
        std::fflush(pFile) != 0)
        nErrno = reason();
    // A full disk may only show when the last buffered bytes go out at close.
    errno = 0;
    if (std::fclose(pFile) != 0 && nErrno == 0)
        nErrno = reason();
    if (nErrno == 0 && std::rename(tempPath.c_str(), path.c_str()) != 0)
        nErrno = reason();
    if (nErrno == 0)
        return Status();
    std::remove(tempPath.c_str());
    return SaveFailure(path, std::strerror(nErrno));
}

}  // namespace corvane
