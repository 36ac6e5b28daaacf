// SPDX-License-Identifier: MIT
#include "path_entries.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace corvane {

namespace {

bool NamesFolder(std::wstring entry, std::wstring folder)
{
    for (std::wstring* pName : {&entry, &folder}) {
        if (pName->size() > 1 && pName->back() == L'\\')
            pName->pop_back();
    }
    return entry.size() == folder.size() &&
           std::equal(entry.begin(), entry.end(), folder.begin(),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

std::vector<std::wstring> Entries(const std::wstring& path)
{
    std::vector<std::wstring> entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(L';', start);
        entries.push_back(path.substr(start, end - start));
        if (end == std::wstring::npos)
            return entries;
        start = end + 1;
    }
}

}  // namespace

std::wstring WithPathEntry(const std::wstring& path, const std::wstring& folder)
{
    const std::vector<std::wstring> entries = Entries(path);
    if (std::any_of(entries.begin(), entries.end(),
                    [&folder](const std::wstring& e) { return NamesFolder(e, folder); }))
        return path;
    return path.empty() ? folder : path + L';' + folder;
}

std::wstring WithoutPathEntry(const std::wstring& path, const std::wstring& folder)
{
    std::wstring result;
    bool bFirst = true;
    bool bRemoved = false;
    for (const std::wstring& entry : Entries(path)) {
        if (NamesFolder(entry, folder)) {
            bRemoved = true;
            continue;
        }
        if (!bFirst)
            result += L';';
        result += entry;
        bFirst = false;
    }
    return bRemoved ? result : path;
}

}  // namespace corvane
