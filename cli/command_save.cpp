// SPDX-License-Identifier: MIT
// corvane-cli save: the signal as a WAVE file, or bare samples, by the safe save.
#include "commands.h"

#include "signal_output.h"
#include "signal_request.h"

namespace corvane::cli {

int RunSave(const Arguments& arguments)
{
    CommandLine line("save", Tr("Writes the signal as a WAVE file, replacing an existing file whole or not at "
                                "all.\n\nExample: corvane-cli save --reason P --amplitude 50 -o refused.wav"));
    const SignalOptionSet set;
    set.AddTo(line, true);
    const Option output{"output", Tr("The file to write; - for standard output."), "FILE", 'o'};
    const Option raw{"raw", Tr("Bare 16-bit little-endian samples, no WAVE header.")};
    line.Add({output, raw});
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 0, parsed))
        return *status;
    if (!parsed.IsSet(output))
        return Finish(Failure{kExitUsage, Tr("Give the file to write with -o FILE (- for standard output).")});
    RequestedSignal requested;
    if (auto failure = ReadSignal(parsed, set, requested))
        return Finish(failure);
    return Finish(WriteOutput(parsed.Value(output), OutputBytes(requested.signal, parsed.IsSet(raw))));
}

}  // namespace corvane::cli
