// SPDX-License-Identifier: MIT
// The two codes that protect a frame on the line: per-character parity and the frame check.
#pragma once

#include <cstdint>

namespace corvane {

// Returns the low 8 bits of value with bit 7 set when those 8 bits hold an odd number of ones:
// even parity for a 7-bit character; a byte whose bit 7 is already set keeps it.
std::uint8_t MakeParity(int value);

// Returns the low count bits of value in reverse order, right-aligned; count is 0 to 16.
std::uint16_t ReverseBits(std::uint16_t value, int count);

// Returns the 16-bit frame check over length bytes at pData: the reflected CRC with
// polynomial x^16 + x^12 + x^5 + 1, initial value 0 and no final inversion (CRC-16/KERMIT).
std::uint16_t CalcCrc16(const std::uint8_t* pData, std::uint16_t length);

}  // namespace corvane
