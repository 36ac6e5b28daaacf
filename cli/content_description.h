// SPDX-License-Identifier: MIT
// What an input that is no recording holds, for a refusal that tells the user what they gave.
#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

// What bytes from the start of an input hold, in words: libmagic's description on Linux ("PNG
// image data, 16 x 16, ..."), the content type Windows finds on Windows ("image/png"); empty
// when nothing is known of them.
std::string DescribeContent(const std::vector<char>& bytes);

}  // namespace corvane::cli
