// SPDX-License-Identifier: MIT
// decode's driver: a recording's blocks through the receiver and the line meter, each frame
// reported as it ends, with what decode gives besides.
#pragma once

#include "decode_input.h"
#include "line_report.h"

#include "receive/demodulator.h"

#include <limits>
#include <optional>
#include <string>

namespace corvane::cli {

// What decode gives besides the frames on standard output, and how it judges them.
struct DecodeOutput {
    bool bJson = false;
    std::string plotPath;          // draws the first frame found there (frame_picture.h) if not empty
    std::string csvPath;           // appends one row a frame there if not empty
    LineLimits limits;             // each frame's measurements checked against these
    std::optional<double> calDbm;  // the input's level in dBm for a full-scale sine, for levels in dBm
    // How long after its signal a frame may wait for the quiet after it to end (a live input).
    double holdSeconds = std::numeric_limits<double>::infinity();
    bool bClockTimes = false;  // each frame's start by the clock too (a live input)
};

// Decodes source block by block, printing each frame with its signal's measurements as soon as
// the quiet after it has ended too (line_meter.h); returns the exit status: 0 every frame valid
// and within the limits, 1 a frame has faults, a measurement lies outside its limits, a row could
// not be written or the recording ended early, 3 none found, 2 no samples at all. What the source
// passed over (a sample frame cut short) and samples beyond full scale or not numbers are said
// once on standard error, after the frames.
int DecodeSource(SampleSource& source, const std::string& name, const FskTones& tones, const DecodeOutput& output);

}  // namespace corvane::cli
