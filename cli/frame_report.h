// SPDX-License-Identifier: MIT
// Frames read back from a recording, as text and as JSON.
#pragma once

#include "receive/frame_reader.h"

#include <QString>

#include <vector>

namespace corvane::cli {

// One frame as the decode command prints it: where it starts, each field and every fault.
QString FrameText(int index, const DecodedFrame& frame);

// Prints frames and returns the status: 0 all valid, 1 a frame has faults, 3 none found.
int ReportFrames(const std::vector<DecodedFrame>& frames, bool bJson);

}  // namespace corvane::cli
