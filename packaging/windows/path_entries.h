// SPDX-License-Identifier: MIT
// The entries of a PATH value ("C:\a;%USERPROFILE%\b"), edited as the installer and the
// uninstaller edit the user's: one folder added or taken out, everything else kept as it was,
// to the character.
#pragma once

#include <string>

namespace corvane {

// path with folder appended as one more entry, after a ';' unless path is empty, so that
// WithoutPathEntry gives path back exactly; path itself when an entry already names folder. Entries are compared as Windows compares
// folder names: without regard to case, nor to one trailing backslash.
std::wstring WithPathEntry(const std::wstring& path, const std::wstring& folder);

// path without the entries that name folder (compared as WithPathEntry compares them), and
// without the ';' that joined each to the rest; path itself when none does.
std::wstring WithoutPathEntry(const std::wstring& path, const std::wstring& folder);

}  // namespace corvane
