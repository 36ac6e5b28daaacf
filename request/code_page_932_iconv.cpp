// SPDX-License-Identifier: MIT
#include "code_page_932.h"

#include "utf8_characters.h"

#include <cerrno>
#include <iconv.h>

namespace corvane {

namespace {

// Converts input with iconv from one encoding to another, stopping once result holds maxBytes;
// where a character cannot be converted, appends replacement and skips the bytes skip names.
std::string Convert(const char* pszTo, const char* pszFrom, std::string_view text, std::size_t maxBytes,
                    std::string_view replacement, std::size_t (*skip)(const char* p, std::size_t left))
{
    std::string input(text);
    std::string result;
    iconv_t converter = iconv_open(pszTo, pszFrom);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return result;
    char* pIn = input.data();
    std::size_t inLeft = input.size();
    char chunk[256];
    while (inLeft > 0 && result.size() < maxBytes) {
        char* pOut = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t converted = iconv(converter, &pIn, &inLeft, &pOut, &outLeft);
        result.append(chunk, static_cast<std::size_t>(pOut - chunk));
        if (converted != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        result += replacement;
        const std::size_t skipped = skip(pIn, inLeft);
        pIn += skipped;
        inLeft -= skipped;
    }
    iconv_close(converter);
    if (result.size() > maxBytes)
        result.resize(maxBytes);
    return result;
}

std::size_t OneByte(const char*, std::size_t)
{
    return 1;
}

}  // namespace

std::string ToCodePage932(std::string_view utf8, std::size_t maxBytes)
{
    // A character the code page cannot hold (or a broken sequence): "?" for it, as the
    // platform's own conversion does, and go on after it.
    return Convert("CP932", "UTF-8", utf8, maxBytes, "?", Utf8CharacterLength);
}

std::string FromCodePage932(std::string_view cp932)
{
    // A lead byte without its second byte, or an unmapped one: the replacement character.
    return Convert("UTF-8", "CP932", cp932, std::string::npos, "\xEF\xBF\xBD", OneByte);
}

}  // namespace corvane
