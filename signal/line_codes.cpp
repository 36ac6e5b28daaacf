// SPDX-License-Identifier: MIT
#include "line_codes.h"

#include <array>
#include <cassert>
#include <cstddef>

namespace corvane {

namespace {

// The check computed least significant bit first, as the bits go out on the line, needs no bit
// reversal: 0x8408 is the polynomial 0x1021 reversed. kCrcTables[0][b] is the check register
// after byte b from 0; kCrcTables[k][b] the same followed by k zero bytes.
using CrcTables = std::array<std::array<std::uint16_t, 256>, 4>;

constexpr CrcTables MakeCrcTables()
{
    CrcTables tables{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0x8408u : crc >> 1;
        tables[0][byte] = static_cast<std::uint16_t>(crc);
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const unsigned previous = tables[k - 1][byte];
            tables[k][byte] = static_cast<std::uint16_t>((previous >> 8) ^ tables[0][previous & 0xFFu]);
        }
    }
    return tables;
}

constexpr CrcTables kCrcTables = MakeCrcTables();

}  // namespace

std::uint8_t MakeParity(int value)
{
    const unsigned byte = static_cast<unsigned>(value) & 0xFFu;
    unsigned x = byte;
    x ^= x >> 4;
    x ^= x >> 2;
    x ^= x >> 1;
    // OR, not XOR: a byte that arrives with bit 7 set is sent with it set.
    return static_cast<std::uint8_t>(byte | ((x & 1u) << 7));
}

std::uint16_t ReverseBits(std::uint16_t value, int count)
{
    assert(count >= 0 && count <= 16);
    unsigned result = 0;
    for (int i = 0; i < count; ++i) {
        result = ((result << 1) | (value & 1u)) & 0xFFFFu;
        value = static_cast<std::uint16_t>(value >> 1);
    }
    return static_cast<std::uint16_t>(result);
}

std::uint16_t CalcCrc16(const std::uint8_t* pData, std::uint16_t length)
{
    // Four bytes a step: four independent lookups instead of a chain of four, which is what
    // keeps a frame's check near a nanosecond a byte.
    unsigned crc = 0;
    std::uint16_t i = 0;
    for (; length - i >= 4; i = static_cast<std::uint16_t>(i + 4)) {
        const unsigned low = (crc ^ pData[i]) & 0xFFu;
        const unsigned high = ((crc >> 8) ^ pData[i + 1]) & 0xFFu;
        crc = kCrcTables[3][low] ^ kCrcTables[2][high] ^ kCrcTables[1][pData[i + 2]] ^ kCrcTables[0][pData[i + 3]];
    }
    for (; i < length; ++i)
        crc = (crc >> 8) ^ kCrcTables[0][(crc ^ pData[i]) & 0xFFu];
    return static_cast<std::uint16_t>(crc);
}

}  // namespace corvane
