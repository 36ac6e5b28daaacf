// SPDX-License-Identifier: MIT
// Recordings read block by block for decoding: WAVE files and raw samples by our own reader,
// which takes what recorders stream (lengths they did not know, inputs that never end); every
// other sound file by libsndfile; and for an input that is no recording, what it holds.
#pragma once

#include "cli_common.h"

#include "receive/wave_reader.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace corvane::cli {

// A recording's samples, one block a call.
class SampleSource {
public:
    virtual ~SampleSource() = default;
    // Samples per second, 8000 to 96000.
    virtual int Rate() const = 0;
    // Replaces samples with the next block of one channel, as full-scale fractions; false at
    // the end of the recording.
    virtual bool Next(std::vector<float>& samples) = 0;
    // After the end: why the recording ended early, if it did.
    virtual std::optional<Failure> Problem() const { return std::nullopt; }
    // After the end: what of the input was passed over, in words, if anything was.
    virtual std::optional<std::string> Note() const { return std::nullopt; }
};

// What the WAVE reader found wrong with the recording name, as a refusal.
Failure WaveFailure(WaveProblem problem, const std::string& name);

// Opens the recording name ("-" for standard input), channel (from 1) of it: raw samples when
// raw is given, else a WAVE file by our reader, or another sound file by libsndfile (by name
// only: standard input takes WAVE or raw samples). A failure says what is wrong, and for an
// input that is no recording, what it holds.
std::variant<std::unique_ptr<SampleSource>, Failure> OpenSampleSource(const std::string& name, int channel,
                                                                      const std::optional<WaveLayout>& raw);

}  // namespace corvane::cli
