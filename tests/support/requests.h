// SPDX-License-Identifier: MIT
// The requests tests send, and names for them in test lists.
#pragma once

#include "signal/request.h"

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::test {

// The caller number "1234567890123..." of the given length.
std::string Digits(std::size_t length);

// A request for a caller number or for one absence reason letter.
NotificationRequest Number(std::string text);
NotificationRequest Reason(char letter);

// Every request the dialog can make up to its text: the four reasons, and numbers of 1 to 20
// digits (14 and 16 among them, which get an inserted DLE).
std::vector<NotificationRequest> DialogRequests();

// "ReasonP", "Number12": a request as a test name.
std::string RequestName(const NotificationRequest& request);

}  // namespace corvane::test
