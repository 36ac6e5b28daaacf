// SPDX-License-Identifier: MIT
#include "wave_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace corvane {

namespace {

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kFloat = 3;
constexpr std::uint16_t kALaw = 6;
constexpr std::uint16_t kMuLaw = 7;
constexpr std::uint16_t kExtensible = 0xFFFE;
constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 96000;

std::uint32_t Le(std::span<const std::uint8_t> bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

// ITU-T G.711 expansions, as full-scale fractions.
float MuLaw(std::uint8_t code)
{
    code = static_cast<std::uint8_t>(~code);
    const int exponent = (code >> 4) & 7;
    const int magnitude = (((code & 0x0F) << 3) + 0x84) << exponent;
    return static_cast<float>((code & 0x80) ? 0x84 - magnitude : magnitude - 0x84) / 32768.0f;
}

float ALaw(std::uint8_t code)
{
    code ^= 0x55;
    const int exponent = (code >> 4) & 7;
    int magnitude = (code & 0x0F) << 4;
    magnitude = exponent == 0 ? magnitude + 8 : (magnitude + 0x108) << (exponent - 1);
    return static_cast<float>((code & 0x80) ? magnitude : -magnitude) / 32768.0f;
}

float Sample(std::span<const std::uint8_t> bytes, std::size_t at, std::uint16_t format, int bits)
{
    switch (format) {
    case kMuLaw:
        return MuLaw(bytes[at]);
    case kALaw:
        return ALaw(bytes[at]);
    case kFloat:
        if (bits == 32) {
            float value = 0;
            const std::uint32_t raw = Le(bytes, at, 4);
            std::memcpy(&value, &raw, 4);
            return value;
        } else {
            double value = 0;
            const std::uint64_t raw = Le(bytes, at, 4) | static_cast<std::uint64_t>(Le(bytes, at + 4, 4)) << 32;
            std::memcpy(&value, &raw, 8);
            return static_cast<float>(value);
        }
    default:
        if (bits == 8)  // unsigned, centred on 128
            return (static_cast<float>(bytes[at]) - 128.0f) / 128.0f;
        // Signed, left-aligned into 32 bits.
        const auto value = static_cast<std::int32_t>(Le(bytes, at, bits / 8) << (32 - bits));
        return static_cast<float>(value / 2147483648.0);
    }
}

bool Supported(std::uint16_t format, int bits)
{
    switch (format) {
    case kPcm:
        return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kFloat:
        return bits == 32 || bits == 64;
    case kALaw:
    case kMuLaw:
        return bits == 8;
    default:
        return false;
    }
}

}  // namespace

Recording FromSamples(std::span<const std::int16_t> samples, int rate)
{
    Recording recording;
    recording.rate = rate;
    recording.samples.reserve(samples.size());
    for (const std::int16_t sample : samples)
        recording.samples.push_back(static_cast<float>(sample) / 32768.0f);
    return recording;
}

std::optional<WaveLayout> ReadWaveHeader(std::span<const std::uint8_t> bytes, int channel, WaveProblem& problem)
{
    problem = WaveProblem::None;
    if (bytes.size() < 12)
        return std::nullopt;
    problem = WaveProblem::NotWave;
    if (std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    WaveLayout layout;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = Le(bytes, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t available = std::min<std::size_t>(size, bytes.size() - body);
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && available < std::min<std::size_t>(size, 26)) {
            problem = WaveProblem::None;  // the format block is not all here yet
            return std::nullopt;
        }
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && available >= 16) {
            layout.format = static_cast<std::uint16_t>(Le(bytes, body, 2));
            layout.channels = static_cast<int>(Le(bytes, body + 2, 2));
            layout.rate = static_cast<int>(Le(bytes, body + 4, 4));
            layout.bits = static_cast<int>(Le(bytes, body + 14, 2));
            if (layout.format == kExtensible && available >= 26)
                layout.format = static_cast<std::uint16_t>(Le(bytes, body + 24, 2));  // the sub-format's tag
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            if (layout.format == 0)
                return std::nullopt;
            if (!Supported(layout.format, layout.bits) || layout.rate < kLowestRate || layout.rate > kHighestRate ||
                layout.channels < 1) {
                problem = WaveProblem::UnsupportedFormat;
                return std::nullopt;
            }
            if (layout.channels > kMaxWaveChannels) {
                problem = WaveProblem::TooManyChannels;
                return std::nullopt;
            }
            if (channel < 1 || channel > layout.channels) {
                problem = WaveProblem::NoSuchChannel;
                return std::nullopt;
            }
            layout.dataOffset = body;
            // A recorder that streams does not know the length: 0 or all ones, read to the end.
            layout.dataBytes = size == 0 || size == 0xFFFFFFFFu ? std::nullopt : std::optional<std::uint64_t>(size);
            problem = WaveProblem::None;
            return layout;
        }
        at = body + size + (size & 1);  // chunks are padded to even sizes
    }
    problem = WaveProblem::None;  // the data chunk has not come yet
    return std::nullopt;
}

void ConvertWaveSamples(const WaveLayout& layout, int channel, std::span<const std::uint8_t> bytes,
                        std::vector<float>& samples)
{
    const std::size_t frameBytes = layout.FrameBytes();
    const std::size_t offset = static_cast<std::size_t>(channel - 1) * static_cast<std::size_t>(layout.bits / 8);
    for (std::size_t frame = 0; frame + frameBytes <= bytes.size(); frame += frameBytes)
        samples.push_back(Sample(bytes, frame + offset, layout.format, layout.bits));
}

std::optional<WaveLayout> RawLayout(std::string_view format)
{
    struct Encoding {
        const char* name;
        std::uint16_t tag;
        int bits;
    };
    static const Encoding kEncodings[] = {{"u8", 1, 8},     {"s16le", 1, 16}, {"s24le", 1, 24}, {"s32le", 1, 32},
                                          {"f32le", 3, 32}, {"f64le", 3, 64}, {"ulaw", 7, 8},   {"alaw", 6, 8}};
    const std::size_t colon = format.find(':');
    int rate = 0;
    const auto [pStop, error] = std::from_chars(format.data(), format.data() + std::min(colon, format.size()), rate);
    if (colon == std::string_view::npos || error != std::errc() || pStop != format.data() + colon ||
        rate < kLowestRate || rate > kHighestRate)
        return std::nullopt;
    for (const Encoding& encoding : kEncodings) {
        if (format.compare(colon + 1, std::string_view::npos, encoding.name) == 0)
            return WaveLayout{encoding.tag, 1, encoding.bits, rate, 0, std::nullopt};
    }
    return std::nullopt;
}

WaveData::WaveData(const WaveLayout& layout, int channel)
    : m_layout(layout), m_nChannel(channel), m_remaining(layout.dataBytes.value_or(UINT64_MAX))
{
    m_partial.reserve(layout.FrameBytes());
}

void WaveData::Take(std::span<const std::uint8_t> bytes, std::vector<float>& samples)
{
    if (bytes.size() > m_remaining)
        bytes = bytes.first(static_cast<std::size_t>(m_remaining));
    if (m_layout.dataBytes)
        m_remaining -= bytes.size();
    const std::size_t frameBytes = m_layout.FrameBytes();
    if (!m_partial.empty()) {  // the rest of the frame that the last piece began
        const std::size_t missing = std::min(frameBytes - m_partial.size(), bytes.size());
        m_partial.insert(m_partial.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(missing));
        bytes = bytes.subspan(missing);
        if (m_partial.size() < frameBytes)
            return;
        ConvertWaveSamples(m_layout, m_nChannel, m_partial, samples);
        m_partial.clear();
    }
    const std::size_t whole = bytes.size() / frameBytes * frameBytes;
    ConvertWaveSamples(m_layout, m_nChannel, bytes.first(whole), samples);
    m_partial.assign(bytes.begin() + static_cast<std::ptrdiff_t>(whole), bytes.end());
}

std::optional<Recording> ReadWave(std::span<const std::uint8_t> bytes, int channel, WaveProblem& problem)
{
    const std::optional<WaveLayout> layout = ReadWaveHeader(bytes, channel, problem);
    if (!layout) {
        if (problem == WaveProblem::None)  // everything there is, and no data chunk in it
            problem = bytes.size() >= 16 && std::memcmp(bytes.data() + 12, "fmt ", 4) == 0 ? WaveProblem::NoData
                                                                                           : WaveProblem::NotWave;
        return std::nullopt;
    }
    std::span<const std::uint8_t> data = bytes.subspan(layout->dataOffset);
    if (layout->dataBytes && *layout->dataBytes < data.size())
        data = data.first(static_cast<std::size_t>(*layout->dataBytes));
    Recording recording;
    recording.rate = layout->rate;
    recording.samples.reserve(data.size() / layout->FrameBytes());
    ConvertWaveSamples(*layout, channel, data, recording.samples);
    problem = recording.samples.empty() ? WaveProblem::NoData : WaveProblem::None;
    return recording.samples.empty() ? std::nullopt : std::optional(std::move(recording));
}

}  // namespace corvane
