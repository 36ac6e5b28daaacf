// SPDX-License-Identifier: MIT
// Frames read back from a recording, as text and as JSON.
#pragma once

#include "cli_common.h"
#include "receive/frame_reader.h"
#include "receive/line_measure.h"
#include "signal/frame.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

// One frame as the decode command prints it: where it starts, each field and every fault.
std::string FrameText(int index, const DecodedFrame& frame);

// Whether frames hold one that is valid and carries sent's bytes exactly.
bool CarriesFrame(const std::vector<DecodedFrame>& frames, const SignalFrame& sent);

// A fault in words, as text output and JSON give it ("parity error in byte 9").
std::string FaultText(const FrameFault& fault);

// A frame as decode reports it: what was read, how its signal measured, and each measurement
// outside the user's limits.
struct ReportedFrame {
    DecodedFrame frame;
    LineMeasures measures;
    std::vector<std::string> outside;
    std::string startTime;  // when it began by the clock (ISO 8601), for a capture; else empty
};

// Prints frames as they are found, numbered from 1, as text or as one JSON object a line, and
// appends one CSV row a frame to a file if asked.
class FrameReporter {
public:
    // calDbm, the input's level in dBm for a full-scale sine, adds the levels in dBm.
    explicit FrameReporter(bool bJson, std::optional<double> calDbm = std::nullopt);
    ~FrameReporter();
    FrameReporter(const FrameReporter&) = delete;
    FrameReporter& operator=(const FrameReporter&) = delete;

    // Appends each frame's row to path from now on (the columns' names first when it is empty);
    // a failure (exit 1) when it cannot be opened for appending.
    std::optional<Failure> AppendCsv(const std::string& path);
    // Prints frames, and flushes standard output (and the CSV file) when there were any; a failure
    // when a row could not be written.
    std::optional<Failure> Report(const std::vector<ReportedFrame>& frames);
    // The exit status: 0 all valid and within the limits, 1 a frame has faults or a measurement
    // outside its limits, 3 none found (said on standard error).
    int Finish() const;

private:
    bool m_bJson;
    std::optional<double> m_calDbm;
    std::FILE* m_pCsv = nullptr;
    std::string m_csvPath;
    int m_nFrames = 0;
    bool m_bAllValid = true;
};

}  // namespace corvane::cli
