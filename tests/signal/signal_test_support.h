// Helpers shared by the signal tests.
#pragma once

#include "signal/frame.h"
#include "signal/synthesis.h"
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

// The caller number "1234567890123..." of the given length.
std::string Digits(std::size_t length);

// A request for a caller number or for one absence reason letter.
NotificationRequest Number(std::string text);
NotificationRequest Reason(char letter);

// Composes request at amplitude step into a fresh heap buffer.
std::unique_ptr<SampleBuffer> Synthesize(const NotificationRequest& request, int step);

}  // namespace corvane::test
