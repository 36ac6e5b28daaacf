// SPDX-License-Identifier: MIT
#include "content_description.h"

#include <magic.h>

namespace corvane::cli {

std::string DescribeContent(const std::vector<char>& bytes)
{
    magic_t cookie = magic_open(MAGIC_NONE);
    std::string description;
    if (cookie != nullptr && magic_load(cookie, nullptr) == 0) {
        const char* pszFound = magic_buffer(cookie, bytes.data(), bytes.size());
        description = pszFound != nullptr ? pszFound : "";
    }
    if (cookie != nullptr)
        magic_close(cookie);
    return description;
}

}  // namespace corvane::cli
