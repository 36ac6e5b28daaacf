// SPDX-License-Identifier: MIT
// A picture of a decoded frame: the recording's envelope, the bit cells, each byte's value under
// its cells, the frame's fields, and every fault at its place in red.
#pragma once

#include "cli_common.h"
#include "frame_report.h"
#include "line_report.h"
#include "receive/frame_reader.h"

#include <string>
#include <vector>

namespace corvane::cli {

// The recording's envelope as a decode keeps it for a picture: the largest magnitude in each
// millisecond, for the first kEnvelopeSeconds of the recording (memory stays small).
class Envelope {
public:
    static constexpr double kEnvelopeSeconds = 600;

    // Takes the next samples (full-scale fractions) of a recording at rate.
    void Take(const std::vector<float>& samples, int rate);
    // The peaks, one a millisecond from the recording's start.
    const std::vector<float>& Peaks() const { return m_peaks; }

private:
    std::vector<float> m_peaks;
    long long m_n = 0;  // samples taken
};

// Draws the index-th frame found over envelope, its cells baud a second, into path (.png or .svg)
// by the safe save, with its signal's measurements (in dBm too with calDbm), those outside limits
// in red.
std::optional<Failure> DrawFramePicture(int index, const ReportedFrame& reported, const Envelope& envelope, double baud,
                                        const std::string& path, const std::optional<double>& calDbm,
                                        const LineLimits& limits);

}  // namespace corvane::cli
