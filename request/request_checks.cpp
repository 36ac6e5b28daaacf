// SPDX-License-Identifier: MIT
#include "request_checks.h"

#include "code_page_932.h"

#include <cstring>

namespace corvane {

RequestProblem MakeNumberRequest(std::string_view utf8, NotificationRequest& request)
{
    std::string text = ToCodePage932(utf8, kMaxNumberFieldBytes);
    if (text.empty())
        return RequestProblem::EmptyNumber;
    if (text.size() > kMaxNumberDigits)
        return RequestProblem::NumberTooLong;
    request = {InformationKind::CallerNumber, std::move(text)};
    return RequestProblem::None;
}

RequestProblem MakeReasonRequest(char letter, NotificationRequest& request)
{
    if (letter == '\0' || std::strchr(kReasonLetters, letter) == nullptr)
        return RequestProblem::UnknownReason;
    request = {InformationKind::AbsenceReason, std::string(1, letter)};
    return RequestProblem::None;
}

RequestProblem MakeDialogRequest(int infoKind, std::string_view numberUtf8, int reasonIndex,
                                 NotificationRequest& request)
{
    if (infoKind == 0)
        return MakeNumberRequest(numberUtf8, request);
    if (infoKind != 1 || reasonIndex < 0 || reasonIndex > 3)
        return RequestProblem::UnknownReason;
    return MakeReasonRequest(kReasonLetters[reasonIndex], request);
}

std::string DialogMessage(RequestProblem problem)
{
    switch (problem) {
    case RequestProblem::EmptyNumber:
        return "番号を入力してください";
    case RequestProblem::NumberTooLong:
        return "番号は" + std::to_string(kMaxNumberDigits) + "桁まで設定できます";
    default:
        return {};
    }
}

std::optional<int> AmplitudeStepFromPercent(int percent)
{
    if (percent < 10 || percent > 100 || percent % 10 != 0)
        return std::nullopt;
    return percent / 10 - 1;
}

}  // namespace corvane
