// SPDX-License-Identifier: MIT
// corvane-cli frame: the frame in hexadecimal, as the status line shows it, or as JSON.
#include "commands.h"

#include "signal/frame.h"
#include "signal_json.h"
#include "signal_request.h"

namespace corvane::cli {

int RunFrame(const Arguments& arguments)
{
    CommandLine line("frame", Tr("Prints the frame in hexadecimal, as the dialog's status line shows it, or as "
                                 "JSON.\n\nExample: corvane-cli frame --number 0312345678"));
    const SignalOptionSet set;
    set.AddTo(line, true);
    const Option json{"json", Tr("Print one JSON object instead of the status line's text.")};
    line.Add(json);
    ParsedOptions parsed;
    RequestedSignal requested;
    if (auto status = ParseSignalCommand(line, arguments, set, parsed, requested))
        return *status;
    const auto& [request, options, signal] = requested;
    PrintOut((parsed.IsSet(json) ? SignalJson(request, options, signal).dump() : HexFrameText(signal.frame)) + "\n");
    return 0;
}

}  // namespace corvane::cli
