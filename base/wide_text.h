// SPDX-License-Identifier: MIT
// UTF-8, the text of every layer below the front ends, and UTF-16, the text of Windows' wide
// API. Windows only.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// utf8 as UTF-16; each broken sequence becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);

// wide as UTF-8; each lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

}  // namespace corvane
