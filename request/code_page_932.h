// SPDX-License-Identifier: MIT
// Text as the bytes a frame carries: code page 932, whatever encoding a front end received.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Returns utf8 in code page 932, each character the code page cannot hold (and each broken
// sequence) replaced by one "?", cut to its first maxBytes bytes (which may end inside a
// double-byte character).
std::string ToCodePage932(std::string_view utf8, std::size_t maxBytes);

// Returns cp932 as UTF-8, each byte sequence that is not code page 932 replaced by U+FFFD.
std::string FromCodePage932(std::string_view cp932);

}  // namespace corvane
