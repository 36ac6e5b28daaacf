// SPDX-License-Identifier: MIT
// The checks a request passes before anything is composed, the same for every front end.
#pragma once

#include "signal/request.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The most bytes a caller number may have, and the most that are read of what was typed.
inline constexpr std::size_t kMaxNumberDigits = 20;
inline constexpr std::size_t kMaxNumberFieldBytes = 255;
// The longest frame the dialog composes: 13 bytes of framing around the longest number.
inline constexpr int kLongestNumberFrameBytes = 13 + static_cast<int>(kMaxNumberDigits);

// What is wrong with a request; each front end words it for its operator.
enum class RequestProblem {
    None,
    EmptyNumber,       // "番号を入力してください"
    NumberTooLong,     // "番号は20桁まで設定できます"
    UnknownReason,     // not one of P, O, C, S
    UnknownAmplitude,  // not one of 10 %, 20 %, ..., 100 %
};

// Sets request to the caller number typed as utf8, in code page 932 (the first
// kMaxNumberFieldBytes bytes), and returns None; or returns EmptyNumber or NumberTooLong
// (more than kMaxNumberDigits bytes) and leaves request alone. Only the length is checked.
RequestProblem MakeNumberRequest(std::string_view utf8, NotificationRequest& request);

// Sets request to the absence reason letter (one of "POCS", upper case) and returns None, or
// returns UnknownReason and leaves request alone.
RequestProblem MakeReasonRequest(char letter, NotificationRequest& request);

// The dialog's request from its fields: with infoKind 0 the caller number typed as numberUtf8
// (as MakeNumberRequest takes it), with 1 the reason at reasonIndex (0 to 3) of "POCS". Returns
// None with request set; EmptyNumber or NumberTooLong, told with DialogMessage; or UnknownReason
// for any other kind or index, which the dialog lets pass in silence. Leaves request alone
// unless None.
RequestProblem MakeDialogRequest(int infoKind, std::string_view numberUtf8, int reasonIndex,
                                 NotificationRequest& request);

// What the dialog's message box says, in UTF-8, for EmptyNumber ("番号を入力してください") and
// NumberTooLong ("番号は20桁まで設定できます"); empty for any other problem.
std::string DialogMessage(RequestProblem problem);

// The amplitude list's step (0 to 9) for percent 10, 20, ..., 100; nullopt for anything else.
std::optional<int> AmplitudeStepFromPercent(int percent);

}  // namespace corvane
