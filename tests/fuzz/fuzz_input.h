// SPDX-License-Identifier: MIT
// What the fuzz targets share: reading choices from the front of an input, and stopping loudly
// when a property fails, as a fuzzer notices a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <span>
#include <vector>

namespace corvane::fuzz {

// The fuzzer's bytes, taken from the front as choices and the rest as data.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* pData, std::size_t size) : m_bytes(pData, size) {}
    // The next byte, 0 once none are left.
    std::uint8_t Byte()
    {
        if (m_bytes.empty())
            return 0;
        const std::uint8_t byte = m_bytes.front();
        m_bytes = m_bytes.subspan(1);
        return byte;
    }
    // What is left.
    std::span<const std::uint8_t> Rest() const { return m_bytes; }

private:
    std::span<const std::uint8_t> m_bytes;
};

// Piece sizes from a seed: empty, one, small odd and large pieces mixed, the same every run.
class PieceSizes {
public:
    explicit PieceSizes(std::uint8_t seed) : m_state(seed * 2654435761u + 1) {}
    std::size_t Next()
    {
        m_state = m_state * 1103515245u + 12345u;
        const std::uint32_t r = m_state >> 8;
        switch (r % 4) {
        case 0:
            return 0;
        case 1:
            return 1;
        case 2:
            return r % 13;
        default:
            return r % 5000;
        }
    }

private:
    std::uint32_t m_state;
};

// A recording from an input: a rate from the receiver's range, 16-bit or float samples (infinities
// and not-numbers among them), the seed of the pieces it is fed in, then the samples.
struct FuzzRecording {
    int rate = 8000;
    std::uint8_t pieceSeed = 0;
    std::vector<float> samples;
};

inline FuzzRecording RecordingOf(FuzzInput& input)
{
    static constexpr int kRates[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000};
    FuzzRecording recording;
    recording.rate = kRates[input.Byte() % std::size(kRates)];
    const bool bFloat = input.Byte() & 1;  // else 16-bit samples, as a sound card gives
    recording.pieceSeed = input.Byte();
    const std::span<const std::uint8_t> rest = input.Rest();
    if (bFloat) {
        for (std::size_t at = 0; at + 3 < rest.size(); at += 4) {
            float sample = 0;
            std::memcpy(&sample, rest.data() + at, 4);
            recording.samples.push_back(sample);
        }
    } else {
        for (std::size_t at = 0; at + 1 < rest.size(); at += 2)
            recording.samples.push_back(static_cast<float>(static_cast<std::int16_t>(rest[at] | rest[at + 1] << 8)) /
                                        32768.0f);
    }
    return recording;
}

// Ends the process as a crash does, so the fuzzer keeps the input.
[[noreturn]] inline void Fail(const char* pszWhat)
{
    std::fprintf(stderr, "property failed: %s\n", pszWhat);
    std::abort();
}

}  // namespace corvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t size);
