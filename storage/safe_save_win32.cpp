// SPDX-License-Identifier: MIT
#include "safe_save.h"

#include "base/wide_text.h"
#include "save_refusal.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <optional>
#include <random>

namespace corvane {

namespace {

bool SystemWrite(void* hFile, const void* pData, std::uint32_t count, std::uint32_t* pWritten)
{
    DWORD written = 0;
    const BOOL bOk = ::WriteFile(hFile, pData, count, &written, nullptr);
    *pWritten = written;
    return bOk != FALSE;
}
bool SystemFlush(void* hFile)
{
    return ::FlushFileBuffers(hFile) != FALSE;
}
bool SystemReplace(const wchar_t* pszReplaced, const wchar_t* pszReplacement)
{
    return ::ReplaceFileW(pszReplaced, pszReplacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) !=
           FALSE;
}
bool SystemMove(const wchar_t* pszFrom, const wchar_t* pszTo)
{
    return ::MoveFileExW(pszFrom, pszTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// The system's reason, in the user's language, without its closing full stop and line break.
Status SystemFailure(const std::string& path, DWORD error)
{
    wchar_t* pszText = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&pszText), 0, nullptr);
    std::wstring text = pszText != nullptr ? pszText : L"";
    LocalFree(pszText);
    while (!text.empty() && (std::iswspace(text.back()) || text.back() == L'.' || text.back() == L'\x3002'))
        text.pop_back();
    if (text.empty())
        text = L"error " + std::to_wstring(error);
    return Refused(path, WideToUtf8(text), WideToUtf8(text));
}

// The full path in the form that lifts MAX_PATH: \\?\C:\... or \\?\UNC\server\share\...
std::wstring LongPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    full.resize(length < needed ? length : 0);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0)
        return full;
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Whether the last part of path names a device whatever folder or extension goes with it.
bool IsReservedName(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L"\\/:") + 1);
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ')
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(), [](wchar_t ch) { return std::towupper(ch); });
    static constexpr std::array<const wchar_t*, 4> kPlain = {L"CON", L"PRN", L"AUX", L"NUL"};
    if (std::find_if(kPlain.begin(), kPlain.end(), [&](const wchar_t* psz) { return name == psz; }) != kPlain.end())
        return true;
    return name.size() == 4 && (name.rfind(L"COM", 0) == 0 || name.rfind(L"LPT", 0) == 0) && name[3] >= L'0' &&
           name[3] <= L'9';
}

// Why the file at path cannot be replaced, or nullopt when it can (or does not exist).
std::optional<Reason> WhyNotReplaceable(const std::wstring& path)
{
    if (IsReservedName(path))
        return Reason{"デバイスの名前です", "it is a device name"};
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Reason{"フォルダーです", "it is a folder"};
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return Reason{"読み取り専用のファイルです", "it is read-only"};
    return std::nullopt;
}

// A name beside path that no file has: the temporary file's.
std::wstring TemporaryName(const std::wstring& path)
{
    std::random_device random;
    wchar_t szSuffix[32];
    swprintf(szSuffix, 32, L".corvane-%08x.tmp", static_cast<unsigned>(random()));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"~" + szSuffix;
}

// Writes all of bytes to hFile and flushes them to disk; 0 or the system's error.
DWORD WriteAndFlush(const SaveCalls& calls, HANDLE hFile, std::span<const std::uint8_t> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - written, 1u << 20));
        std::uint32_t done = 0;
        if (!calls.write(hFile, bytes.data() + written, count, &done))
            return GetLastError();
        if (done == 0)
            return ERROR_WRITE_FAULT;
        written += done;
    }
    return calls.flush(hFile) ? 0 : GetLastError();
}

}  // namespace

const SaveCalls& SaveCalls::System()
{
    static const SaveCalls calls{SystemWrite, SystemFlush, SystemReplace, SystemMove};
    return calls;
}

Status SaveFileSafely(const std::string& path, std::span<const std::uint8_t> bytes)
{
    return SaveFileSafelyUsing(path, bytes, SaveCalls::System());
}

Status SaveFileSafelyUsing(const std::string& path, std::span<const std::uint8_t> bytes, const SaveCalls& calls)
{
    const std::wstring target = LongPath(Utf8ToWide(path));
    if (target.empty())
        return SystemFailure(path, GetLastError());
    if (const std::optional<Reason> reason = WhyNotReplaceable(target))
        return Refused(path, *reason);
    const DWORD oldAttributes = GetFileAttributesW(target.c_str());
    const bool bExists = oldAttributes != INVALID_FILE_ATTRIBUTES;

    std::wstring temporary;
    HANDLE hFile = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && hFile == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(target);
        hFile = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (hFile == INVALID_HANDLE_VALUE)
        return SystemFailure(path, GetLastError());
    DWORD error = WriteAndFlush(calls, hFile, bytes);
    CloseHandle(hFile);
    // ReplaceFileW keeps them on Windows; given beforehand they are kept wherever it does not.
    if (error == 0 && bExists)
        SetFileAttributesW(temporary.c_str(),
                           oldAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    if (error == 0) {
        const bool bPlaced =
            bExists ? calls.replace(target.c_str(), temporary.c_str()) : calls.move(temporary.c_str(), target.c_str());
        if (bPlaced)
            return Status();
        error = GetLastError();
    }
    DeleteFileW(temporary.c_str());
    return SystemFailure(path, error);
}

}  // namespace corvane
