// SPDX-License-Identifier: MIT
// corvane-cli batch: one request a line, each saved or played.
#include "commands.h"

#include "player.h"
#include "signal_request.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <thread>

#include <unistd.h>

namespace corvane::cli {

namespace {

// One line of a batch: "number N" or "reason P", then amplitude=PERCENT and name=NAME fields.
struct BatchLine {
    NotificationRequest request;
    SignalOptions options;
    QString name;
};

// A file name made of text from a line: a slash would make it a path.
QString FileNameOf(QString text)
{
    return text.replace(QLatin1Char('/'), QLatin1Char('_'));
}

std::optional<Failure> ParseBatchLine(const QString& line, const SignalOptions& defaults, BatchLine& parsed)
{
    static const QRegularExpression kSeparators(QStringLiteral("[ \t]+"));
    const QStringList fields = line.split(kSeparators, Qt::SkipEmptyParts);
    if (fields.size() < 2 || (fields[0] != "number" && fields[0] != "reason"))
        return Failure{kExitFailed, Tr("expected \"number N\" or \"reason P\"")};
    const bool bNumber = fields[0] == "number";
    if (auto failure = ReadRequest(fields[1], bNumber, fields[1], !bNumber, parsed.request))
        return failure;
    parsed.options = defaults;
    parsed.name = FileNameOf((bNumber ? "number_" : "reason_") + fields[1]);
    for (const QString& field : fields.mid(2)) {
        if (field.startsWith("amplitude=")) {
            long long percent = 0;
            if (auto failure = ParseWhole(field.mid(10), 10, 100, "amplitude", percent))
                return Failure{kExitFailed, failure->message};
            const std::optional<int> step = AmplitudeStepFromPercent(static_cast<int>(percent));
            if (!step)
                return Failure{kExitFailed, ProblemText(RequestProblem::UnknownAmplitude)};
            parsed.options.amplitudePercent = (*step + 1) * 10;
            parsed.options.levelDbfs.reset();
        } else if (field.startsWith("name=") && field.size() > 5 && !field.contains('/')) {
            parsed.name = field.mid(5);
        } else {
            return Failure{kExitFailed, Tr("unknown field \"%1\"").arg(field)};
        }
    }
    if (!parsed.name.endsWith(".wav"))
        parsed.name += ".wav";
    return std::nullopt;
}

}  // namespace

int RunBatch(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, false);
    const QCommandLineOption dir("dir", Tr("Save one WAVE file per line into this folder."), "DIR");
    const QCommandLineOption play("play", Tr("Play the lines in turn instead of saving them."));
    const QCommandLineOption gap("gap-ms", Tr("Silence between two plays in ms (default 1000)."), "MS");
    const QCommandLineOption volume = VolumeOption();
    const QCommandLineOption quiet({"q", "quiet"}, Tr("No progress line on the terminal."));
    parser.addOptions({dir, play, gap, volume, quiet});
    parser.addPositionalArgument("FILE", Tr("One request a line; - for standard input."));
    if (auto status = ParseOrExit(parser, arguments,
                                      Tr("Saves or plays one request a line of FILE: \"number N\" or \"reason P\", then amplitude= and name= fields.\n\nExample: corvane-cli batch numbers.txt --dir out"), 1))
        return *status;
    const QStringList positional = parser.positionalArguments().mid(1);
    if (positional.size() != 1)
        return Finish(Failure{kExitUsage, Tr("Give one batch file, or - for standard input.")});
    if (parser.isSet(dir) == parser.isSet(play))
        return Finish(Failure{kExitUsage, Tr("Give either --dir DIR or --play.")});
    SignalOptions defaults;
    if (auto failure = ReadSignalOptions(parser, set, defaults))
        return Finish(failure);
    long long gapMs = 1000;
    int nVolume = 30;
    if (parser.isSet(gap)) {
        if (auto failure = ParseWhole(parser.value(gap), 0, 600000, "gap-ms", gapMs))
            return Finish(failure);
    }
    if (auto failure = ReadVolume(parser, volume, nVolume))
        return Finish(failure);

    // A folder that is not there fails every line alike: said once, before anything is written.
    if (parser.isSet(dir) && !QDir(parser.value(dir)).exists())
        return Finish(Failure{kExitUsage, Tr("The folder %1 does not exist.").arg(parser.value(dir))});
    QFile input;
    if (auto failure = OpenInput(positional[0], input))
        return Finish(failure);
    Player player;
    if (parser.isSet(play)) {
        if (auto failure = player.Open(nVolume))
            return Finish(failure);
    }

    // Where a person watches (standard error a terminal), a line that says how far the batch is.
    const bool bProgress = !parser.isSet(quiet) && isatty(STDERR_FILENO) != 0;
    int nDone = 0;
    int nFailed = 0;
    int lineNumber = 0;
    QSet<QString> written;  // the files of earlier lines, none of which a later line may replace
    while (g_nInterruptSignal == 0) {
        // Standard input is a pipe as often as a file: a line is read when it comes, and only
        // an empty read is the end.
        const QByteArray bytes = input.readLine();
        if (bytes.isEmpty())
            break;
        ++lineNumber;
        // A control character (a NUL would end the text early) is never taken for text.
        const auto control = std::find_if(bytes.begin(), bytes.end(), [](char ch) {
            const auto byte = static_cast<unsigned char>(ch);
            return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F;
        });
        if (control != bytes.end()) {
            PrintError(Tr("line %1: %2")
                           .arg(lineNumber)
                           .arg(Tr("the line holds a control character (%1)").arg(Hex(static_cast<unsigned char>(*control), 2))));
            ++nFailed;
            continue;
        }
        QString line = QString::fromUtf8(bytes).trimmed();
        line = line.left(line.indexOf('#')).trimmed();
        if (line.isEmpty())
            continue;
        BatchLine parsed;
        StressSignal signal;
        std::optional<Failure> failure = ParseBatchLine(line, defaults, parsed);
        if (!failure)
            failure = Compose(parsed.request, parsed.options, signal);
        if (!failure && parser.isSet(play)) {
            if (nDone + nFailed > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
            failure = player.Play(signal);
        } else if (!failure) {
            const QString path = QDir(parser.value(dir)).absoluteFilePath(parsed.name);
            if (written.contains(path))
                failure = Failure{kExitFailed, Tr("%1 was written by an earlier line; nothing is replaced").arg(parsed.name)};
            else if (!(failure = WriteOutput(path, OutputBytes(signal, false))))
                written.insert(path);
        }
        if (failure && g_nInterruptSignal != 0)
            return Finish(failure);
        if (bProgress)
            std::fputs("\r\x1b[K", stderr);  // the progress line gives way to what follows
        if (failure) {
            PrintError(Tr("line %1: %2").arg(lineNumber).arg(failure->message));
            ++nFailed;
        } else {
            ++nDone;
        }
        if (bProgress) {
            const QString progress = (parser.isSet(play) ? Tr("batch: line %1, %2 played, %3 failed")
                                                         : Tr("batch: line %1, %2 written, %3 failed"))
                                         .arg(lineNumber)
                                         .arg(nDone)
                                         .arg(nFailed);
            std::fputs(progress.toLocal8Bit().constData(), stderr);
            std::fflush(stderr);
        }
    }
    if (bProgress)
        std::fputs("\r\x1b[K", stderr);
    if (g_nInterruptSignal != 0)
        return Finish(Failure{InterruptedStatus(), Tr("Interrupted.")});
    PrintOut((parser.isSet(play) ? Tr("batch: %1 played, %2 failed") : Tr("batch: %1 written, %2 failed"))
                 .arg(nDone)
                 .arg(nFailed) + "\n");
    return nFailed == 0 ? 0 : kExitFailed;
}

}  // namespace corvane::cli
