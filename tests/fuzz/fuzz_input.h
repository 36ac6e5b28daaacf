// SPDX-License-Identifier: MIT
// What the fuzz targets share: reading choices from the front of an input, and stopping loudly
// when a property fails, as a fuzzer notices a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

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

// Ends the process as a crash does, so the fuzzer keeps the input.
[[noreturn]] inline void Fail(const char* pszWhat)
{
    std::fprintf(stderr, "property failed: %s\n", pszWhat);
    std::abort();
}

}  // namespace corvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t size);
