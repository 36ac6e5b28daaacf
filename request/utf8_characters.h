// SPDX-License-Identifier: MIT
// Walking UTF-8 text character by character, broken sequences included.
#pragma once

#include <cstddef>

namespace corvane {

// Length in bytes (1 to 4) of the character at p, of which at most left (at least 1) bytes are
// there: its lead byte and the continuation bytes that follow it, so that a broken sequence
// never swallows the character after it.
std::size_t Utf8CharacterLength(const char* p, std::size_t left);

}  // namespace corvane
