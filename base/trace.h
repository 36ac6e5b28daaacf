// SPDX-License-Identifier: MIT
// Debug trace: diagnostic lines, each ended by CR LF, on standard error or where the program sends
// them (a Windows program, to the debugger's output).
// A release build (NDEBUG) compiles every CORVANE_TRACE away, format strings included.
#pragma once

#ifndef NDEBUG

namespace corvane {

// Writes one printf-formatted line, followed by "\r\n", to the trace writer.
void TraceLine(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// Takes one whole line, "\r\n" included, as a C string; called on whichever thread traces.
using TraceWriter = void (*)(const char* pszLine);

// Sends every later line to writer instead of standard error; call before any thread traces.
void SetTraceWriter(TraceWriter writer);

}  // namespace corvane

#define CORVANE_TRACE(...) ::corvane::TraceLine(__VA_ARGS__)

#else

#define CORVANE_TRACE(...) ((void)0)

#endif
