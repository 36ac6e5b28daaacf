// SPDX-License-Identifier: MIT
#include "trace.h"

#ifndef NDEBUG

#include <cstdarg>
#include <cstdio>

namespace corvane {

namespace {

// One write per line, so lines from the audio thread never interleave mid-line.
void WriteToStandardError(const char* pszLine)
{
    std::fputs(pszLine, stderr);
}

TraceWriter g_writer = WriteToStandardError;

}  // namespace

void SetTraceWriter(TraceWriter writer)
{
    g_writer = writer;
}

void TraceLine(const char* pszFormat, ...)
{
    char szLine[1024];  // the longest line, a 255-byte frame in hex, is 765
    va_list args;
    va_start(args, pszFormat);
    const int nLength = std::vsnprintf(szLine, sizeof szLine - 2, pszFormat, args);
    va_end(args);
    if (nLength < 0)
        return;
    std::size_t nUsed =
        static_cast<std::size_t>(nLength) < sizeof szLine - 3 ? static_cast<std::size_t>(nLength) : sizeof szLine - 3;
    szLine[nUsed++] = '\r';
    szLine[nUsed++] = '\n';
    szLine[nUsed] = '\0';
    g_writer(szLine);
}

}  // namespace corvane

#endif
