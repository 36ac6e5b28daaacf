// The outcome of an operation that can fail: success, or a message for the operator.
#pragma once

#include <string>
#include <utility>

namespace corvane {

class Status {
public:
    Status() = default;  // success

    static Status Failure(std::string strMessage) { return Status(std::move(strMessage)); }

    bool IsOk() const { return m_strMessage.empty(); }
    // Empty on success; otherwise a sentence in the operator's language.
    const std::string& Message() const { return m_strMessage; }

private:
    explicit Status(std::string strMessage)
        : m_strMessage(strMessage.empty() ? std::string("unknown error") : std::move(strMessage))
    {
    }

    std::string m_strMessage;
};

}  // namespace corvane
