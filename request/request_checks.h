// SPDX-License-Identifier: MIT
// The checks a request passes before anything is composed, the same for every front end.
#pragma once

#include "signal/request.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace corvane {

// The most bytes a caller number may have, and the most that are read of what was typed.
inline constexpr std::size_t kMaxNumberDigits = 20;
inline constexpr std::size_t kMaxNumberFieldBytes = 255;

// What is wrong with a request; each front end words it for its operator.
enum class RequestProblem {
    None,
    EmptyNumber,      // "番号を入力してください"
    NumberTooLong,    // "番号は20桁まで設定できます"
    UnknownReason,    // not one of P, O, C, S
    UnknownAmplitude, // not one of 10 %, 20 %, ..., 100 %
};

// Sets request to the caller number typed as utf8, in code page 932 (the first
// kMaxNumberFieldBytes bytes), and returns None; or returns EmptyNumber or NumberTooLong
// (more than kMaxNumberDigits bytes) and leaves request alone. Only the length is checked.
RequestProblem MakeNumberRequest(std::string_view utf8, NotificationRequest& request);

// Sets request to the absence reason letter (one of "POCS", upper case) and returns None, or
// returns UnknownReason and leaves request alone.
RequestProblem MakeReasonRequest(char letter, NotificationRequest& request);

// The amplitude list's step (0 to 9) for percent 10, 20, ..., 100; nullopt for anything else.
std::optional<int> AmplitudeStepFromPercent(int percent);

}  // namespace corvane
