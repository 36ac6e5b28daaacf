// SPDX-License-Identifier: MIT
// Receivers nobody here wrote, for checking our signals: spandsp's JCLIP demodulator (receive
// side only) and minimodem's 1200 baud FSK demodulator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

// What spandsp's JCLIP receiver made of a signal: how many messages passed its parity and
// check, and the first message's type, first parameter's type and text.
struct JclipMessage {
    int nMessages = 0;
    std::uint8_t messageType = 0;
    std::uint8_t parameterType = 0;
    std::string text;
};

// Feeds 16-bit samples at 8000 Hz, followed by 100 ms of silence, to a new JCLIP receiver.
JclipMessage JclipReceive(std::vector<std::int16_t> samples8k);

// Converts full-scale samples from one rate to another with libsoxr's high-quality filter.
std::vector<float> Resampled(const std::vector<float>& samples, int from, int to);

// Converts samples at rate to 8000 Hz with libsoxr's high-quality filter.
std::vector<std::int16_t> ResampleTo8k(const std::vector<std::int16_t>& samples, int rate);

// The bytes minimodem receives from a WAVE file, set up for markHz, spaceHz and baud (the dialog's
// unless a test knows the sender's others), parity bits kept; nullopt when it could not run.
std::optional<std::vector<std::uint8_t>> MinimodemReceive(const std::string& path, double markHz = 1300,
                                                          double spaceHz = 2100, double baud = 1200);

}  // namespace corvane::test
