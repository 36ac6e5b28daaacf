// SPDX-License-Identifier: MIT
// Replacing a file so that a save never damages what was there: the new content appears whole,
// on disk, under the old name, with the old file's permissions, or the old file stays as it was.
#pragma once

#include "base/status.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#ifndef _WIN32
#include <sys/types.h>
#endif

namespace corvane {

#ifdef _WIN32

// The system calls a save makes that can fail part-way, replaceable so that tests can make any
// of them fail; by default the system's own. Handles are HANDLEs, and each call returns whether
// it succeeded, leaving the reason for GetLastError.
struct SaveCalls {
    bool (*write)(void* hFile, const void* pData, std::uint32_t count, std::uint32_t* pWritten);
    bool (*flush)(void* hFile);
    // ReplaceFileW(pszReplaced, pszReplacement), for a file that exists.
    bool (*replace)(const wchar_t* pszReplaced, const wchar_t* pszReplacement);
    // MoveFileExW(pszFrom, pszTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), for a new name.
    bool (*move)(const wchar_t* pszFrom, const wchar_t* pszTo);

    static const SaveCalls& System();
};

#else

// The system calls a save makes that can fail part-way, replaceable so that tests can make any
// of them fail; by default the system's own.
struct SaveCalls {
    ssize_t (*write)(int fd, const void* pData, std::size_t count);
    int (*fsync)(int fd);
    int (*renameat)(int fromDir, const char* pszFrom, int toDir, const char* pszTo);
    int (*linkat)(int fromDir, const char* pszFrom, int toDir, const char* pszTo, int flags);

    static const SaveCalls& System();
};

#endif

// Writes bytes to path (on Windows in UTF-8, of any length), following a symbolic link to the
// file it names.
// - A new file gets the permissions 0666 less the umask.
// - An existing regular file is replaced through a file in the same folder that has no name
//   until it is complete and on disk, then renamed over it; it keeps its permission bits, and its
//   owner and group where the caller may set them.
// - An existing regular file with several hard links is written in place once its new size is
//   reserved, so that every name keeps showing the same file.
// - A read-only file, a folder, a device, a FIFO or a socket is refused and left untouched.
// - On Windows the file is written under a temporary name in the same folder, flushed, then put
//   in place by ReplaceFileW, which keeps the old file's attributes and security, or by
//   MoveFileExW for a new name; a reserved device name (CON, NUL, COM1, ...) is refused.
// On failure the old file, if any, is as it was and no other file is left behind; the message is
// one Japanese sentence that names path and the reason.
Status SaveFileSafely(const std::string& path, std::span<const std::uint8_t> bytes);

// SaveFileSafely, making its writes, syncs, links, renames and replacements through calls.
Status SaveFileSafelyUsing(const std::string& path, std::span<const std::uint8_t> bytes, const SaveCalls& calls);

}  // namespace corvane
