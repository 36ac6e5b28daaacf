// SPDX-License-Identifier: MIT
#include "trace.h"

#ifndef NDEBUG

#include <cstdarg>
#include <cstdio>

namespace corvane {

void TraceLine(const char* pszFormat, ...)
{
    // One locked write per line, so lines from the audio thread never interleave mid-line.
    char szLine[1024];  // the longest line, a 255-byte frame in hex, is 765
    va_list args;
    va_start(args, pszFormat);
    const int nLength = std::vsnprintf(szLine, sizeof szLine - 2, pszFormat, args);
    va_end(args);
    if (nLength < 0)
        return;
    std::size_t nUsed = static_cast<std::size_t>(nLength) < sizeof szLine - 3
                            ? static_cast<std::size_t>(nLength)
                            : sizeof szLine - 3;
    szLine[nUsed++] = '\r';
    szLine[nUsed++] = '\n';
    std::fwrite(szLine, 1, nUsed, stderr);
}

}  // namespace corvane

#endif
