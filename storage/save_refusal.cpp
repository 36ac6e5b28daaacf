// SPDX-License-Identifier: MIT
#include "save_refusal.h"

namespace corvane {

Status Refused(const std::string& path, const std::string& japanese, const std::string& english)
{
    return Status::Failure("ファイル「" + path + "」を保存できませんでした（" + japanese + "）。",
                           "Cannot save the file \"" + path + "\": " + english + ".");
}

Status Refused(const std::string& path, const Reason& reason)
{
    return Refused(path, reason.pszJapanese, reason.pszEnglish);
}

}  // namespace corvane
