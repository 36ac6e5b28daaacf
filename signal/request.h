// SPDX-License-Identifier: MIT
// What one notification announces: the caller's number, or why it is absent.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// The frame's parameter type byte.
enum class InformationKind : std::uint8_t {
    CallerNumber = 0x02,   // text: the caller's number, as typed
    AbsenceReason = 0x04,  // text: one letter of "POCS"
};

// The letters of the absence reasons, in the order the dialog lists them:
// P the caller refused, O not available, C public telephone, S service conflict.
inline constexpr char kReasonLetters[] = "POCS";

struct NotificationRequest {
    InformationKind kind = InformationKind::CallerNumber;
    // Code page 932 bytes, framed as they stand; no terminator is counted.
    std::string text;
};

}  // namespace corvane
