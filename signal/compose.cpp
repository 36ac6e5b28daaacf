// SPDX-License-Identifier: MIT
#include "compose.h"

#include "frame.h"

namespace corvane {

namespace {

ComposeOutcome TooLong(std::size_t nTextBytes)
{
    return {0, Status::Failure("通知する文字列が長すぎます (" + std::to_string(nTextBytes) + " バイト)")};
}

}  // namespace

ComposeOutcome ComposeSignal(ComposeMode mode, const std::string& path, const NotificationRequest& request,
                             SampleBuffer& buffer, const StatusLineSink& setStatusLine, const FileReplacer& replaceFile)
{
    const std::optional<SignalFrame> frame = BuildFrame(request);
    // Checked before the status line changes, so a refused request leaves no trace at all.
    if (!frame || frame->bSendCnt > kMaxSynthesisFrameBytes)
        return TooLong(request.text.size());

    setStatusLine(HexFrameText(*frame));
    ComposeOutcome outcome;
    outcome.Offset = *SynthesizeSignal(*frame, buffer);
    if (mode == ComposeMode::Save)
        outcome.status = WriteWaveFile(path, buffer, replaceFile);
    return outcome;
}

}  // namespace corvane
