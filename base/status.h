// SPDX-License-Identifier: MIT
// The outcome of an operation that can fail: success, or a message for the operator.
#pragma once

#include <string>
#include <utility>

namespace corvane {

enum class MessageLanguage { Japanese, English };

class Status {
public:
    Status() = default;  // success

    // A failure told in Japanese, the dialog's language, and in English for the command line
    // under other locales (the Japanese serves both when strEnglish is empty).
    static Status Failure(std::string strJapanese, std::string strEnglish = {})
    {
        return Status(std::move(strJapanese), std::move(strEnglish));
    }

    bool IsOk() const { return m_strJapanese.empty(); }
    // Empty on success; otherwise one sentence in Japanese.
    const std::string& Message() const { return m_strJapanese; }
    // Empty on success; otherwise the message in language.
    const std::string& MessageIn(MessageLanguage language) const
    {
        return language == MessageLanguage::English && !m_strEnglish.empty() ? m_strEnglish : m_strJapanese;
    }

private:
    Status(std::string strJapanese, std::string strEnglish)
        : m_strJapanese(strJapanese.empty() ? std::string("不明なエラー") : std::move(strJapanese)),
          m_strEnglish(std::move(strEnglish))
    {
    }

    std::string m_strJapanese;
    std::string m_strEnglish;
};

}  // namespace corvane
