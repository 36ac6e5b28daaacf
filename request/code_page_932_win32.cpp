// SPDX-License-Identifier: MIT
#include "code_page_932.h"

#include "utf8_characters.h"

#include "base/wide_text.h"

#include <windows.h>

namespace corvane {

namespace {

constexpr UINT kCodePage932 = 932;

// One character's UTF-16 units, or none when the bytes are not a whole character of codePage.
std::wstring Widen(UINT codePage, const char* p, std::size_t length)
{
    wchar_t units[4];
    const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, p, static_cast<int>(length), units, 4);
    return count > 0 ? std::wstring(units, static_cast<std::size_t>(count)) : std::wstring();
}

// Length of the code page 932 character at p, of which at most left bytes are there.
std::size_t Cp932CharacterLength(const char* p, std::size_t left)
{
    return left >= 2 && IsDBCSLeadByteEx(kCodePage932, static_cast<BYTE>(*p)) ? 2 : 1;
}

}  // namespace

std::string ToCodePage932(std::string_view utf8, std::size_t maxBytes)
{
    // Character by character, so that one the code page cannot hold (or a broken sequence)
    // becomes exactly one "?", as with iconv on Linux, and nothing is replaced by a look-alike.
    std::string result;
    for (std::size_t at = 0; at < utf8.size() && result.size() < maxBytes;) {
        const std::size_t length = Utf8CharacterLength(utf8.data() + at, utf8.size() - at);
        const std::wstring wide = Widen(CP_UTF8, utf8.data() + at, length);
        char bytes[8];
        BOOL bDefaultUsed = FALSE;
        const int count = wide.empty() ? 0
                                       : WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide.data(),
                                                             static_cast<int>(wide.size()), bytes, sizeof bytes,
                                                             nullptr, &bDefaultUsed);
        if (count > 0 && !bDefaultUsed)
            result.append(bytes, static_cast<std::size_t>(count));
        else
            result += '?';
        at += length;
    }
    if (result.size() > maxBytes)
        result.resize(maxBytes);
    return result;
}

std::string FromCodePage932(std::string_view cp932)
{
    std::wstring wide;
    for (std::size_t at = 0; at < cp932.size();) {
        const std::size_t length = Cp932CharacterLength(cp932.data() + at, cp932.size() - at);
        const std::wstring character = Widen(kCodePage932, cp932.data() + at, length);
        // A lead byte without its second byte, or an unmapped one: the replacement character.
        wide += character.empty() ? std::wstring(1, L'\xFFFD') : character;
        at += length;
    }
    return WideToUtf8(wide);
}

}  // namespace corvane
