// SPDX-License-Identifier: MIT
// corvane-path add|remove FOLDER: puts the folder on the user's PATH (HKCU\Environment) or
// takes it off again, for the installer and the uninstaller, and tells running programs that
// the environment changed. Through the registry's own API, as the value may be far longer than
// the installer's strings hold; its type (REG_EXPAND_SZ or REG_SZ) and every other entry stay as
// they were. Exit status 0 done, 1 the registry refused, 2 bad usage.
#include "path_entries.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kEnvironment[] = L"Environment";
constexpr wchar_t kPath[] = L"Path";

// The value's text and type; an absent value is empty, of the type PATH values have.
bool ReadPath(HKEY hKey, std::wstring& path, DWORD& type)
{
    DWORD nBytes = 0;
    LSTATUS status = RegQueryValueExW(hKey, kPath, nullptr, &type, nullptr, &nBytes);
    if (status == ERROR_FILE_NOT_FOUND) {
        path.clear();
        type = REG_EXPAND_SZ;
        return true;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<wchar_t> buffer(nBytes / sizeof(wchar_t) + 1, L'\0');
    status = RegQueryValueExW(hKey, kPath, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &nBytes);
    if (status != ERROR_SUCCESS)
        return false;
    // The stored text may or may not end in its NUL.
    path.assign(buffer.data(), wcsnlen(buffer.data(), nBytes / sizeof(wchar_t)));
    return true;
}

bool WritePath(HKEY hKey, const std::wstring& path, DWORD type)
{
    if (path.empty())
        return RegDeleteValueW(hKey, kPath) == ERROR_SUCCESS;
    const auto nBytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(hKey, kPath, 0, type, reinterpret_cast<const BYTE*>(path.c_str()), nBytes) == ERROR_SUCCESS;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc == 3 ? argv[1] : L"";
    if (command != L"add" && command != L"remove")
        return 2;
    const std::wstring folder = argv[2];
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kEnvironment, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return 1;
    std::wstring path;
    DWORD type = REG_EXPAND_SZ;
    bool bDone = ReadPath(hKey, path, type);
    if (bDone) {
        const std::wstring edited =
            command == L"add" ? corvane::WithPathEntry(path, folder) : corvane::WithoutPathEntry(path, folder);
        bDone = edited == path || WritePath(hKey, edited, type);
    }
    RegCloseKey(hKey);
    // New consoles, started from Explorer, take the new PATH; a program that does not answer
    // within 5 s is not waited for.
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kEnvironment), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return bDone ? 0 : 1;
}
