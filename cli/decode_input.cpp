// SPDX-License-Identifier: MIT
#include "decode_input.h"

#include "content_description.h"
#include "system.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <span>

#include <unistd.h>

namespace corvane::cli {

namespace {

// Read at a time: memory stays bounded however long the recording, or endless its input.
constexpr std::size_t kReadBytes = 64 * 1024;
// Chunks before the samples that a recorder might write; more is taken for something else.
constexpr std::size_t kMaxHeaderBytes = 1 << 20;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 96000;
constexpr sf_count_t kFramesAtATime = 4096;

std::span<const std::uint8_t> Bytes(const std::vector<char>& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

std::string LeftoverNote(const std::string& name, std::size_t bytes)
{
    return Format(Tr("%1: the data ends in the middle of a sample; its last %2 bytes were not read."),
                  {name, std::to_string(bytes)});
}

// Our own reader: the samples after a WAVE header, or raw ones, read as they come.
class LayoutSource : public SampleSource {
public:
    LayoutSource(std::unique_ptr<InputFile> pInput, const std::string& name, const WaveLayout& layout, int channel,
                 std::vector<char> head)
        : m_pInput(std::move(pInput)), m_name(name), m_nRate(layout.rate), m_data(layout, channel),
          m_block(std::move(head))
    {
    }
    int Rate() const override { return m_nRate; }
    bool Next(std::vector<float>& samples) override
    {
        samples.clear();
        // Each round takes a block, or ends: a sample frame cut short cannot hold the input.
        while (samples.empty() && !m_bEnd) {
            if (m_block.empty())
                m_bEnd = m_data.Complete() || !m_pInput->Read(m_block, kReadBytes);
            m_data.Take(Bytes(m_block), samples);
            m_block.clear();
        }
        return !samples.empty();
    }
    std::optional<Failure> Problem() const override
    {
        if (!m_pInput->Error().empty())
            return Failure{kExitFailed, Format(Tr("Cannot read %1: %2"), {m_name, m_pInput->Error()})};
        return std::nullopt;
    }
    std::optional<std::string> Note() const override
    {
        if (m_bEnd && m_data.Leftover() > 0)
            return LeftoverNote(m_name, m_data.Leftover());
        return std::nullopt;
    }

private:
    std::unique_ptr<InputFile> m_pInput;
    std::string m_name;
    int m_nRate;
    WaveData m_data;
    std::vector<char> m_block;  // read and not yet taken
    bool m_bEnd = false;
};

// Every other sound file libsndfile reads: AIFF, AU, W64, RF64, CAF, WAVE with ADPCM, GSM 6.10
// and the like, and FLAC where libsndfile was built with it (not on Windows).
class SndfileSource : public SampleSource {
public:
    SndfileSource(SNDFILE* pFile, int fd, const SF_INFO& info, int channel)
        : m_pFile(pFile), m_fd(fd), m_info(info), m_nChannel(channel)
    {
    }
    ~SndfileSource() override
    {
        sf_close(m_pFile);
        ::close(m_fd);
    }
    SndfileSource(const SndfileSource&) = delete;
    SndfileSource& operator=(const SndfileSource&) = delete;
    int Rate() const override { return m_info.samplerate; }
    bool Next(std::vector<float>& samples) override
    {
        m_frames.resize(static_cast<std::size_t>(kFramesAtATime * m_info.channels));
        const sf_count_t count = sf_readf_float(m_pFile, m_frames.data(), kFramesAtATime);
        samples.clear();
        for (sf_count_t frame = 0; frame < count; ++frame)
            samples.push_back(m_frames[static_cast<std::size_t>(frame * m_info.channels + m_nChannel - 1)]);
        return count > 0;
    }

private:
    SNDFILE* m_pFile;
    int m_fd;  // libsndfile's input, closed here: on Windows libsndfile would close only its handle
    SF_INFO m_info;
    int m_nChannel;
    std::vector<float> m_frames;
};

std::variant<std::unique_ptr<SampleSource>, Failure> OpenWithSndfile(const std::string& name, int channel,
                                                                     const std::vector<char>& head)
{
    SF_INFO info{};
    // By a descriptor, which the system opens by the name as the user wrote it, Japanese or not.
    const int fd = OpenForReading(name);
    SNDFILE* pFile = fd < 0 ? nullptr : sf_open_fd(fd, SFM_READ, &info, SF_FALSE);
    if (pFile == nullptr) {
        if (fd >= 0)
            ::close(fd);
        const std::string found = DescribeContent(head);
        return Failure{kExitUsage, found.empty() ? Format(Tr("%1 is not a recording this reads."), {name})
                                                 : Format(Tr("%1 is not a recording this reads: %2."), {name, found})};
    }
    if (channel > info.channels || info.samplerate < kMinRate || info.samplerate > kMaxRate) {
        sf_close(pFile);
        ::close(fd);
        return WaveFailure(channel > info.channels ? WaveProblem::NoSuchChannel : WaveProblem::UnsupportedFormat, name);
    }
    return std::make_unique<SndfileSource>(pFile, fd, info, channel);
}

}  // namespace

Failure WaveFailure(WaveProblem problem, const std::string& name)
{
    static const char* const kProblems[] = {"",
                                            TrNoop("%1 is not a WAVE file."),
                                            TrNoop("%1: the sample format or rate is not one this reads."),
                                            TrNoop("%1 has no such channel."),
                                            TrNoop("%1 holds no samples."),
                                            TrNoop("%1 has more channels than the %2 that are read.")};
    return Failure{kExitUsage,
                   Format(Tr(kProblems[static_cast<int>(problem)]), {name, std::to_string(kMaxWaveChannels)})};
}

std::variant<std::unique_ptr<SampleSource>, Failure> OpenSampleSource(const std::string& name, int channel,
                                                                      const std::optional<WaveLayout>& raw)
{
    auto pInput = std::make_unique<InputFile>();
    if (auto failure = pInput->Open(name))
        return *failure;
    if (raw)
        return std::make_unique<LayoutSource>(std::move(pInput), name, *raw, 1, std::vector<char>());
    std::vector<char> head;
    WaveProblem problem = WaveProblem::None;
    for (;;) {
        const bool bMore = pInput->Read(head, kReadBytes);
        if (const std::optional<WaveLayout> layout = ReadWaveHeader(Bytes(head), channel, problem)) {
            const auto data =
                head.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(layout->dataOffset, head.size()));
            return std::make_unique<LayoutSource>(std::move(pInput), name, *layout, channel,
                                                  std::vector<char>(data, head.end()));
        }
        if (problem != WaveProblem::None || !bMore || head.size() > kMaxHeaderBytes)
            break;
    }
    if (problem == WaveProblem::NoSuchChannel || problem == WaveProblem::TooManyChannels)
        return WaveFailure(problem, name);
    if (problem == WaveProblem::None && head.size() >= 4 && std::equal(head.begin(), head.begin() + 4, "RIFF"))
        return WaveFailure(WaveProblem::NoData, name);
    if (name == "-")  // a pipe cannot be read again from its start
        return problem == WaveProblem::None ? WaveFailure(WaveProblem::NotWave, name) : WaveFailure(problem, name);
    return OpenWithSndfile(name, channel, head);
}

}  // namespace corvane::cli
