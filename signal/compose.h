// SPDX-License-Identifier: MIT
// The one operation by which the dialog asks for a signal: frame, status line, samples, file.
#pragma once

#include "request.h"
#include "base/status.h"
#include "synthesis.h"
#include "wave_file.h"

#include <functional>
#include <string>

namespace corvane {

enum class ComposeMode {
    Play = 0,  // leave the samples in the buffer for the playback device
    Save = 1,  // also write them to a WAVE file
};

// Replaces the status line's text; given the frame in hexadecimal.
using StatusLineSink = std::function<void(const std::string&)>;

struct ComposeOutcome {
    int Offset = 0;  // the signal's length in samples; 0 when nothing was composed
    Status status;
};

// Builds the frame for request, hands its hexadecimal text to setStatusLine, synthesises the
// samples into buffer and, in Save mode, writes them to path as a WAVE file through replaceFile
// (path and replaceFile are not used in Play mode).
// A request that cannot be framed or synthesised composes nothing: Offset 0, buffer and status
// line untouched. A failed save still leaves the new text and samples, as for a play.
ComposeOutcome ComposeSignal(ComposeMode mode, const std::string& path, const NotificationRequest& request,
                             SampleBuffer& buffer, const StatusLineSink& setStatusLine,
                             const FileReplacer& replaceFile = {});

}  // namespace corvane
