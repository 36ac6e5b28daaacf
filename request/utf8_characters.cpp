// SPDX-License-Identifier: MIT
#include "utf8_characters.h"

namespace corvane {

std::size_t Utf8CharacterLength(const char* p, std::size_t left)
{
    const auto lead = static_cast<unsigned char>(*p);
    const std::size_t expected = lead < 0xC0 || lead >= 0xF8 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t length = 1;
    while (length < expected && length < left && (static_cast<unsigned char>(p[length]) & 0xC0) == 0x80)
        ++length;
    return length;
}

}  // namespace corvane
