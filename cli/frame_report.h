// SPDX-License-Identifier: MIT
// Frames read back from a recording, as text and as JSON.
#pragma once

#include "receive/frame_reader.h"
#include "signal/frame.h"

#include <string>
#include <vector>

namespace corvane::cli {

// One frame as the decode command prints it: where it starts, each field and every fault.
std::string FrameText(int index, const DecodedFrame& frame);

// Whether frames hold one that is valid and carries sent's bytes exactly.
bool CarriesFrame(const std::vector<DecodedFrame>& frames, const SignalFrame& sent);

// A fault in words, as text output and JSON give it ("parity error in byte 9").
std::string FaultText(const FrameFault& fault);

// Prints frames as they are found, numbered from 1, as text or as one JSON object a line.
class FrameReporter {
public:
    explicit FrameReporter(bool bJson) : m_bJson(bJson) {}
    // Prints frames, and flushes standard output when there were any.
    void Report(const std::vector<DecodedFrame>& frames);
    // The exit status: 0 all valid, 1 a frame has faults, 3 none found (said on standard error).
    int Finish() const;

private:
    bool m_bJson;
    int m_nFrames = 0;
    bool m_bAllValid = true;
};

}  // namespace corvane::cli
