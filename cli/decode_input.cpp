// SPDX-License-Identifier: MIT
#include "decode_input.h"

#include "frame_picture.h"

#include "audio/capture.h"
#include "frame_report.h"
#include "receive/frame_reader.h"
#include "receive/line_meter.h"

#include <thread>

#include <magic.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <span>

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

std::string LeftoverNote(const std::string& name, std::size_t bytes)
{
    return Format(Tr("%1: the data ends in the middle of a sample; its last %2 bytes were not read."),
                  {name, std::to_string(bytes)});
}

// What bytes from the start of an input hold, in words ("PNG image data, 16 x 16, ...").
std::string Describe(const std::vector<char>& bytes)
{
    magic_t cookie = magic_open(MAGIC_NONE);
    std::string description;
    if (cookie != nullptr && magic_load(cookie, nullptr) == 0) {
        const char* pszFound = magic_buffer(cookie, bytes.data(), bytes.size());
        description = pszFound != nullptr ? pszFound : "";
    }
    if (cookie != nullptr)
        magic_close(cookie);
    return description;
}

// Our own reader: the samples after a WAVE header, or raw ones, read as they come.
class LayoutSource : public SampleSource {
public:
    LayoutSource(std::unique_ptr<InputFile> pInput, const std::string& name, const WaveLayout& layout, int channel,
                 std::vector<char> head)
        : m_pInput(std::move(pInput)),
          m_name(name),
          m_nRate(layout.rate),
          m_data(layout, channel),
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

// Every other sound file libsndfile reads: FLAC, AIFF, AU, W64, RF64, CAF, and WAVE with ADPCM,
// GSM 6.10 and the like.
class SndfileSource : public SampleSource {
public:
    SndfileSource(SNDFILE* pFile, const SF_INFO& info, int channel) : m_pFile(pFile), m_info(info), m_nChannel(channel)
    {
    }
    ~SndfileSource() override { sf_close(m_pFile); }
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
    SF_INFO m_info;
    int m_nChannel;
    std::vector<float> m_frames;
};

// The default input, recorded and taken block by block.
std::atomic<bool> g_bInterrupted = false;

void OnInterrupt(int)
{
    g_bInterrupted = true;
}

class CapturedSource : public SampleSource {
public:
    CapturedSource(double seconds, int rate, const std::string& device) : m_stream(seconds, rate, device), m_nRate(rate)
    {
    }
    int Rate() const override { return m_nRate; }
    bool Next(std::vector<float>& samples) override
    {
        samples.clear();
        if (g_bInterrupted || !m_stream.Next(m_block))
            return false;
        for (const std::int16_t sample : m_block)
            samples.push_back(static_cast<float>(sample) / 32768.0f);
        return true;
    }
    std::optional<Failure> Problem() const override
    {
        const Status result = m_stream.Result();
        if (result.IsOk())
            return std::nullopt;
        return Failure{kExitFailed, Format(Tr("Cannot record: %1"), {StatusText(result)})};
    }

private:
    CaptureStream m_stream;
    int m_nRate;
    std::vector<std::int16_t> m_block;
};

std::variant<std::unique_ptr<SampleSource>, Failure> OpenWithSndfile(const std::string& name, int channel,
                                                                     const std::vector<char>& head)
{
    SF_INFO info{};
    SNDFILE* pFile = sf_open(name.c_str(), SFM_READ, &info);
    if (pFile == nullptr) {
        const std::string found = Describe(head);
        return Failure{kExitUsage, found.empty() ? Format(Tr("%1 is not a recording this reads."), {name})
                                                 : Format(Tr("%1 is not a recording this reads: %2."), {name, found})};
    }
    if (channel > info.channels || info.samplerate < kMinRate || info.samplerate > kMaxRate) {
        sf_close(pFile);
        return WaveFailure(channel > info.channels ? WaveProblem::NoSuchChannel : WaveProblem::UnsupportedFormat, name);
    }
    return std::make_unique<SndfileSource>(pFile, info, channel);
}

}  // namespace

void EndCaptureOnInterrupt()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

std::unique_ptr<SampleSource> CaptureSource(double seconds, int rate, const std::string& device)
{
    return std::make_unique<CapturedSource>(seconds, rate, device);
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

std::optional<Failure> PlayAndRecord(SignalPlayer& player, const stress::StressSignal& signal, double seconds,
                                     const std::string& device, std::vector<std::int16_t>& samples)
{
    Status recorded;
    std::thread recorder([&] { recorded = CaptureSamples(seconds, signal.rate, samples, device); });
    const std::optional<Failure> played = player.Play(signal);
    recorder.join();
    if (played)
        return played;
    if (!recorded.IsOk())
        return Failure{kExitFailed, Format(Tr("Cannot record: %1"), {StatusText(recorded)})};
    return std::nullopt;
}

namespace {

// seconds after startedAt, by the clock, in ISO 8601 to the millisecond (UTC).
std::string ClockTime(std::chrono::system_clock::time_point startedAt, double seconds)
{
    const auto at = startedAt + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                    std::chrono::duration<double>(seconds));
    const std::time_t whole = std::chrono::system_clock::to_time_t(at);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(at - std::chrono::system_clock::from_time_t(whole))
            .count();
    std::tm parts{};
    gmtime_r(&whole, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(std::clamp<long long>(milliseconds, 0, 999)));
    return std::string(text) + fraction;
}

}  // namespace

int DecodeSource(SampleSource& source, const std::string& name, const FskTones& tones, const DecodeOutput& output)
{
    Demodulator demodulator(source.Rate(), tones);
    FrameFinder finder;
    LineMeter meter(source.Rate(), tones, output.holdSeconds);
    FrameReporter reporter(output.bJson, output.calDbm);
    if (!output.csvPath.empty()) {
        if (auto failure = reporter.AppendCsv(output.csvPath))
            return Finish(failure);
    }
    Envelope envelope;
    std::optional<ReportedFrame> first;
    std::optional<std::chrono::system_clock::time_point> startedAt;
    std::optional<Failure> written;
    const auto report = [&](std::vector<MeasuredFrame> measured) {
        std::vector<ReportedFrame> frames;
        for (MeasuredFrame& frame : measured) {
            ReportedFrame reported{std::move(frame.frame),
                                   frame.measures,
                                   OutsideLimits(frame.measures, output.calDbm, output.limits),
                                   {}};
            if (startedAt)
                reported.startTime = ClockTime(*startedAt, reported.measures.startSeconds);
            frames.push_back(std::move(reported));
        }
        if (!output.plotPath.empty() && !first && !frames.empty())
            first = frames.front();
        if (auto failure = reporter.Report(frames); failure && !written)
            written = failure;
    };
    std::vector<float> samples;
    bool bAnySample = false;
    while (source.Next(samples) && !written) {
        if (output.bClockTimes && !startedAt)  // the block's first sample was recorded its length ago
            startedAt = std::chrono::system_clock::now() -
                        std::chrono::duration_cast<std::chrono::system_clock::duration>(
                            std::chrono::duration<double>(static_cast<double>(samples.size()) / source.Rate()));
        bAnySample = true;
        if (!output.plotPath.empty())
            envelope.Take(samples, source.Rate());
        meter.Feed(samples);
        const std::vector<ReceivedBit> bits = demodulator.Feed(samples);
        report(meter.Take(bits, finder.Feed(bits)));
    }
    if (auto problem = source.Problem(); problem && !bAnySample)
        return Finish(problem);
    if (!bAnySample) {
        const std::optional<std::string> note = source.Note();
        return Finish(note ? Failure{kExitUsage, *note} : WaveFailure(WaveProblem::NoData, name));
    }
    const std::vector<ReceivedBit> last = demodulator.Finish();
    report(meter.Take(last, finder.Feed(last)));
    report(meter.Take({}, finder.Finish()));
    report(meter.Finish());
    const int status = reporter.Finish();
    if (const std::optional<std::string> note = source.Note())
        PrintError(*note);
    if (const long long replaced = demodulator.ReplacedSamples(); replaced > 0)
        PrintError(Format(Tr("%1: %2 samples were beyond full scale or not numbers: they were read as full scale, "
                             "those not numbers as silence."),
                          {name, std::to_string(replaced)}));
    if (first) {
        if (auto drawn =
                DrawFramePicture(1, *first, envelope, tones.baud, output.plotPath, output.calDbm, output.limits))
            return Finish(drawn);
    }
    if (written)
        return Finish(written);
    // What was received is reported; a recording cut short still fails the command.
    if (auto problem = source.Problem())
        return Finish(problem);
    return status;
}

}  // namespace corvane::cli
