// SPDX-License-Identifier: MIT
// Debug trace: diagnostic lines on standard error, each ended by CR LF.
// A release build (NDEBUG) compiles every CORVANE_TRACE away, format strings included.
#pragma once

#ifndef NDEBUG

namespace corvane {

// Writes one printf-formatted line to standard error, followed by "\r\n".
void TraceLine(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

}  // namespace corvane

#define CORVANE_TRACE(...) ::corvane::TraceLine(__VA_ARGS__)

#else

#define CORVANE_TRACE(...) ((void)0)

#endif
