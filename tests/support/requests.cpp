// SPDX-License-Identifier: MIT
#include "requests.h"

namespace corvane::test {

std::string Digits(std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<char>('0' + (i + 1) % 10);
    return text;
}

NotificationRequest Number(std::string text)
{
    return {InformationKind::CallerNumber, std::move(text)};
}

NotificationRequest Reason(char letter)
{
    return {InformationKind::AbsenceReason, std::string(1, letter)};
}

std::vector<NotificationRequest> DialogRequests()
{
    std::vector<NotificationRequest> requests;
    for (const char letter : std::string(kReasonLetters))
        requests.push_back(Reason(letter));
    for (std::size_t n = 1; n <= 20; ++n)
        requests.push_back(Number(Digits(n)));
    return requests;
}

std::string RequestName(const NotificationRequest& request)
{
    return request.kind == InformationKind::AbsenceReason ? "Reason" + request.text
                                                          : "Number" + std::to_string(request.text.size());
}

}  // namespace corvane::test
