// SPDX-License-Identifier: MIT
// corvane-cli: the dialog's signal for scripts and test benches, and the stress signals of a
// test set: the commands and their dispatch. Exit status: 0 done, 1 failed (a save, a play, a
// batch line), 2 bad usage or request, 3 no frame decoded, 128 and the signal when interrupted.
#include "cli_common.h"
#include "commands.h"
#include "module.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace corvane::cli {

namespace {

int RunProgram(Arguments arguments)
{
    static const std::pair<const char*, int (*)(const Arguments&)> kCommands[] = {
        {"frame", RunFrame}, {"save", RunSave}, {"play", RunPlay}, {"batch", RunBatch}, {"tone", RunTone}, {"decode", RunDecode}, {"loopback", RunLoopback}, {"sweep", RunSweep}, {"devices", RunDevices}};
    // The command is the first word that is no option; options may come before it.
    const auto word = std::find_if(arguments.begin(), arguments.end(), [](const std::string& a) { return !a.starts_with('-'); });
    const std::string command = word != arguments.end() ? *word : std::string();
    for (const auto& [name, run] : kCommands) {
        if (command == name) {
            arguments.erase(word);
            return run(arguments);
        }
    }
    CommandLine line("command", Tr("Makes the Japanese caller ID signal: the frame, a WAVE file, a play on the default output.\n\n"
                                   "Commands:\n"
                                   "  frame    print the frame as the dialog's status line shows it\n"
                                   "  save     write the signal as a WAVE file (-o FILE)\n"
                                   "  play     play the signal once on the default output\n"
                                   "  batch    save or play one request per line of a file\n"
                                   "  tone     play or save a steady tone, to calibrate a level meter\n"
                                   "  decode   find and check every frame in a WAVE file or a recording\n"
                                   "  loopback play while recording, and check the frame, level and tones received\n"
                                   "  sweep    measure a receiver's tolerance over one or two stress parameters\n"
                                   "  devices  list the sound outputs and inputs that --device may name\n\n"
                                   "corvane-cli COMMAND --help shows the options of a command."));
    const Option version{"version", Tr("Displays version information."), "", 'v'};
    line.Add(version);
    line.AddArgument("command", Tr("frame, save, play, batch, tone, decode, loopback, sweep or devices"));
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 1, parsed))
        return *status;
    if (parsed.IsSet(version)) {
        PrintOut(Format("corvane-cli %1\n", {Version()}));
        return 0;
    }
    PrintError(command.empty() ? Tr("Give a command: frame, save, play, batch, tone, decode, loopback, sweep or devices.")
                               : Format(Tr("Unknown command \"%1\"."), {command}));
    PrintError(Tr("corvane-cli --help lists the commands."));
    return kExitUsage;
}

}  // namespace

}  // namespace corvane::cli

int main(int argc, char** argv)
{
    corvane::cli::SetUpMessages();
    // A pipe whose reader went away, or a file size limit, fails the write instead of killing
    // the command: each has its message and exit status.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    int status = corvane::cli::RunProgram(corvane::cli::Arguments(argv + std::min(argc, 1), argv + argc));
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        corvane::cli::PrintError(corvane::cli::Tr("Cannot write to standard output."));
        status = status == 0 ? corvane::cli::kExitFailed : status;
    }
    // A play's session that did not end is not waited for.
    if (corvane::cli::LoadedModulesLeftPlaybackStuck()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
