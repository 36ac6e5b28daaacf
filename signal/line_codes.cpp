// SPDX-License-Identifier: MIT
#include "line_codes.h"

#include <cassert>

namespace corvane {

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
    // Frames are a few dozen bytes: bit at a time is fast enough and mirrors the line's bit order.
    unsigned crc = 0;
    for (std::uint16_t i = 0; i < length; ++i) {
        crc ^= static_cast<unsigned>(ReverseBits(pData[i], 8)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = ((crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1) & 0xFFFFu;
    }
    return ReverseBits(static_cast<std::uint16_t>(crc), 16);
}

}  // namespace corvane
