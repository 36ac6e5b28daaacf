// SPDX-License-Identifier: MIT
// corvane-cli: the dialog's signal for scripts and test benches, and the stress signals of a
// test set: the commands and their dispatch. Exit status: 0 done, 1 failed (a save, a play, a
// batch line), 2 bad usage or request, 3 no frame decoded, 130 interrupted.
#include "audio/playback.h"
#include "cli_common.h"
#include "commands.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace corvane::cli {

namespace {

int Run(QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Tr("Makes the Japanese caller ID signal: the frame, a WAVE file, a play on the default output.\n\n"
           "Commands:\n"
           "  frame    print the frame as the dialog's status line shows it\n"
           "  save     write the signal as a WAVE file (-o FILE)\n"
           "  play     play the signal once on the default output\n"
           "  batch    save or play one request per line of a file\n"
           "  decode   find and check every frame in a WAVE file or a recording\n"
           "  loopback play while recording, and check the frame, level and tones received\n\n"
           "corvane-cli COMMAND --help shows the options of a command."));
    parser.addPositionalArgument("command", Tr("frame, save, play, batch, decode or loopback"));
    parser.addVersionOption();
    parser.addOption(HelpOption());
    parser.parse(app.arguments());
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.isEmpty() ? QString() : positional.first();
    static const std::pair<const char*, Command> kCommands[] = {
        {"frame", RunFrame}, {"save", RunSave}, {"play", RunPlay}, {"batch", RunBatch}, {"decode", RunDecode}, {"loopback", RunLoopback}};
    for (const auto& [name, run] : kCommands) {
        if (command == name) {
            QCommandLineParser commandParser;
            commandParser.addPositionalArgument(name, Tr("the command"));
            return run(commandParser, app.arguments());
        }
    }
    if (parser.isSet("version")) {
        PrintOut(QStringLiteral("corvane-cli %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (parser.isSet("help")) {
        PrintOut(HelpText(parser));
        return 0;
    }
    PrintError(command.isEmpty() ? Tr("Give a command: frame, save, play, batch, decode or loopback.")
                                 : Tr("Unknown command \"%1\".").arg(command));
    PrintError(Tr("corvane-cli --help lists the commands."));
    return kExitUsage;
}

}  // namespace

}  // namespace corvane::cli

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    corvane::cli::LoadTranslations(app);
    // A pipe whose reader went away, or a file size limit, fails the write instead of killing
    // the command: each has its message and exit status.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    int status = corvane::cli::Run(app);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        corvane::cli::PrintError(corvane::cli::Tr("Cannot write to standard output."));
        status = status == 0 ? corvane::cli::kExitFailed : status;
    }
    if (corvane::PlaybackLeftStuck()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
