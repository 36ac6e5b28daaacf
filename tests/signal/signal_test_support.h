// SPDX-License-Identifier: MIT
// Helpers shared by the signal tests.
#pragma once

#include "signal/frame.h"
#include "signal/synthesis.h"
#include "support/requests.h"
#include "support/temp_files.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <ostream>

namespace corvane {

// Shows a request in test names and failures as its kind and text.
void PrintTo(const NotificationRequest& request, std::ostream* pOut);

}  // namespace corvane

namespace corvane::test {

// The frame's bSendCnt bytes.
std::vector<std::uint8_t> FrameBytes(const SignalFrame& frame);

// Composes request at amplitude step into a fresh heap buffer.
std::unique_ptr<SampleBuffer> Synthesize(const NotificationRequest& request, int step);

}  // namespace corvane::test
