// SPDX-License-Identifier: MIT
// How a save that cannot be made is told: one sentence naming the file and the reason.
#pragma once

#include "base/status.h"

#include <string>

namespace corvane {

// Why a file cannot be replaced, in both languages.
struct Reason {
    const char* pszJapanese;
    const char* pszEnglish;
};

// "ファイル「path」を保存できませんでした（japanese）。", and the same in English.
Status Refused(const std::string& path, const std::string& japanese, const std::string& english);

Status Refused(const std::string& path, const Reason& reason);

}  // namespace corvane
