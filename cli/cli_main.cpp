// SPDX-License-Identifier: MIT
// corvane-cli: the dialog's signal for scripts and test benches, and the stress signals of a
// test set: the commands and their dispatch. Exit status: 0 done, 1 failed (a save, a play, a
// batch line), 2 bad usage or request, 3 no frame decoded, 128 and the signal when interrupted.
#include "cli_common.h"
#include "commands.h"
#include "module.h"
#include "system.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace corvane::cli {

namespace {

// The commands' names as a list in the language of the messages: "frame, save, ... or devices".
std::string CommandNames(const char* pszLastTwo)
{
    const std::span<const Command> commands = Commands();
    std::string names;
    // TRANSLATORS: what separates the commands' names in a list, but the last two.
    const std::string separator = Tr(", ");
    for (std::size_t i = 0; i + 2 < commands.size(); ++i)
        names += commands[i].pszName + separator;
    return Format(Tr(pszLastTwo),
                  {names + commands[commands.size() - 2].pszName, commands[commands.size() - 1].pszName});
}

std::string ProgramHelp()
{
    std::string text = Tr("Makes the Japanese caller ID signal: the frame, a WAVE file, a play on the default output.");
    text += "\n\n" + Tr("Commands:") + "\n";
    for (const Command& command : Commands()) {
        std::string name = command.pszName;
        name.resize(std::max<std::size_t>(name.size(), 8), ' ');
        text += "  " + name + " " + Tr(command.pszSummary) + "\n";
    }
    return text + "\n" + Tr("corvane-cli COMMAND --help shows the options of a command.");
}

int RunProgram(Arguments arguments)
{
    // The command is the first word that is no option; options may come before it.
    const auto word =
        std::find_if(arguments.begin(), arguments.end(), [](const std::string& a) { return !a.starts_with('-'); });
    const std::string name = word != arguments.end() ? *word : std::string();
    for (const Command& command : Commands()) {
        if (name == command.pszName) {
            arguments.erase(word);
            return command.run != nullptr ? command.run(arguments)
                                          : RunInModule(command.pszModule, command.pszEntry, arguments);
        }
    }
    CommandLine line("command", ProgramHelp());
    const Option version{"version", Tr("Displays version information."), "", 'v'};
    line.Add(version);
    line.AddArgument("command", CommandNames(TrNoop("%1 or %2")));
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 1, parsed))
        return *status;
    if (parsed.IsSet(version)) {
        PrintOut(Format("corvane-cli %1\n", {Version()}));
        return 0;
    }
    PrintError(name.empty() ? CommandNames(TrNoop("Give a command: %1 or %2."))
                            : Format(Tr("Unknown command \"%1\"."), {name}));
    PrintError(Tr("corvane-cli --help lists the commands."));
    return kExitUsage;
}

}  // namespace

}  // namespace corvane::cli

int main(int argc, char** argv)
{
    corvane::cli::SetUpMessages();
    corvane::cli::PrepareStreams();
    int status = corvane::cli::RunProgram(corvane::cli::ProgramArguments(argc, argv));
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
