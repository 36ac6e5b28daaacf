// SPDX-License-Identifier: MIT
// corvane-cli save: the signal as a WAVE file, or bare samples, by the safe save.
#include "commands.h"

#include "signal_request.h"

namespace corvane::cli {

int RunSave(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, true);
    const QCommandLineOption output({"o", "output"}, Tr("The file to write; - for standard output."), "FILE");
    const QCommandLineOption raw("raw", Tr("Bare 16-bit little-endian samples, no WAVE header."));
    parser.addOptions({output, raw});
    if (auto status = ParseOrExit(parser, arguments,
                                      Tr("Writes the signal as a WAVE file, replacing an existing file whole or not at all.\n\nExample: corvane-cli save --reason P --amplitude 50 -o refused.wav"), 0))
        return *status;
    if (!parser.isSet(output))
        return Finish(Failure{kExitUsage, Tr("Give the file to write with -o FILE (- for standard output).")});
    RequestedSignal requested;
    if (auto failure = ReadSignal(parser, set, requested))
        return Finish(failure);
    return Finish(WriteOutput(parser.value(output), OutputBytes(requested.signal, parser.isSet(raw))));
}

}  // namespace corvane::cli
