#include "code_page_932.h"

#include <QByteArray>

#include <cerrno>
#include <iconv.h>

namespace corvane {

namespace {

// Length of the UTF-8 sequence that starts with lead.
std::size_t Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    return lead < 0xF0 ? 3 : 4;
}

}  // namespace

std::string ToCodePage932(const QString& text, std::size_t maxBytes)
{
    QByteArray utf8 = text.toUtf8();
    std::string result;
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return result;

    char* pIn = utf8.data();
    std::size_t inLeft = static_cast<std::size_t>(utf8.size());
    char chunk[256];
    while (inLeft > 0 && result.size() < maxBytes) {
        char* pOut = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t converted = iconv(converter, &pIn, &inLeft, &pOut, &outLeft);
        result.append(chunk, static_cast<std::size_t>(pOut - chunk));
        if (converted != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // A character the code page cannot hold (or a broken sequence): "?" for it, as the
        // platform's own conversion does, and go on after it.
        result += '?';
        const std::size_t skip = std::min(inLeft, Utf8SequenceLength(static_cast<unsigned char>(*pIn)));
        pIn += skip;
        inLeft -= skip;
    }
    iconv_close(converter);
    if (result.size() > maxBytes)
        result.resize(maxBytes);
    return result;
}

}  // namespace corvane
