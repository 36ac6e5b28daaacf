// SPDX-License-Identifier: MIT
#include "content_description.h"

#include "base/wide_text.h"

#include <windows.h>

#include <urlmon.h>

#include <algorithm>

namespace corvane::cli {

namespace {

// The content sniffer looks at no more than this from the start.
constexpr std::size_t kSniffedBytes = 256;

}  // namespace

std::string DescribeContent(const std::vector<char>& bytes)
{
    LPWSTR pszType = nullptr;
    const auto size = static_cast<DWORD>(std::min(bytes.size(), kSniffedBytes));
    std::vector<char> head(bytes.begin(), bytes.begin() + size);
    if (FindMimeFromData(nullptr, nullptr, head.data(), size, nullptr, 0, &pszType, 0) != S_OK || pszType == nullptr)
        return "";
    std::string type = WideToUtf8(pszType);
    CoTaskMemFree(pszType);
    // The sniffer's answer when it found nothing it knows.
    return type == "application/octet-stream" ? "" : type;
}

}  // namespace corvane::cli
