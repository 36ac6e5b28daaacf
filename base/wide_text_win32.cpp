// SPDX-License-Identifier: MIT
#include "wide_text.h"

#include <windows.h>

namespace corvane {

std::wstring Utf8ToWide(std::string_view utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                          static_cast<int>(wide.size()));
    wide.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    return wide;
}

std::string WideToUtf8(std::wstring_view wide)
{
    std::string utf8(wide.size() * 3, '\0');
    const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                          static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    return utf8;
}

}  // namespace corvane
