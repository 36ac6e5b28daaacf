// SPDX-License-Identifier: MIT
// corvane-cli batch: one request a line, each saved or played.
#include "commands.h"

#include "batch_results.h"
#include "named_parameters.h"
#include "operator_judge.h"
#include "player.h"
#include "signal_output.h"
#include "signal_request.h"
#include "system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

namespace corvane::cli {

namespace {

// One line of a batch: "number N" or "reason P", then amplitude=PERCENT and name=NAME fields, and
// further parameters as on the command line (datetime=MMDDhhmm, called=N, number-ext=HEX,
// called-ext=HEX, param=TYPE:TEXT), after those the command line gives.
struct BatchLine {
    NotificationRequest request;
    SignalOptions options;
    std::string name;
};

// A file name made of text from a line: a slash would make it a path.
std::string FileNameOf(std::string text)
{
    std::replace(text.begin(), text.end(), '/', '_');
    return text;
}

// Whether name is that of a further parameter's option.
bool IsParameterName(const SignalOptionSet& set, const std::string& name)
{
    const auto parameters = set.Parameters();
    return std::any_of(parameters.begin(), parameters.end(),
                       [&name](const Option* pOption) { return pOption->name == name; });
}

std::optional<Failure> ParseBatchLine(const std::string& line, const SignalOptionSet& set,
                                      const SignalOptions& defaults, BatchLine& parsed)
{
    std::vector<std::string> fields;
    std::istringstream words(line);  // split on spaces and tabs alike
    for (std::string word; words >> word;)
        fields.push_back(word);
    if (fields.size() < 2 || (fields[0] != "number" && fields[0] != "reason"))
        return Failure{kExitFailed, Tr("expected \"number N\" or \"reason P\"")};
    const bool bNumber = fields[0] == "number";
    if (auto failure = ReadRequest(fields[1], bNumber, fields[1], !bNumber, parsed.request))
        return failure;
    parsed.options = defaults;
    parsed.name = FileNameOf((bNumber ? "number_" : "reason_") + fields[1]);
    for (auto field = fields.begin() + 2; field != fields.end(); ++field) {
        if (field->starts_with(set.amplitude.name + "=")) {
            if (auto failure = ReadAmplitude(field->substr(set.amplitude.name.size() + 1), set.amplitude,
                                             parsed.options.amplitudePercent))
                return Failure{kExitFailed, failure->message};
            parsed.options.levelDbfs.reset();
        } else if (field->starts_with("name=") && field->size() > 5 && field->find('/') == std::string::npos) {
            parsed.name = field->substr(5);
        } else if (const std::size_t equals = field->find('=');
                   equals != std::string::npos && IsParameterName(set, field->substr(0, equals))) {
            FrameParameter parameter;
            if (std::optional<std::string> problem =
                    ReadNamedParameter(field->substr(0, equals), field->substr(equals + 1), parameter))
                return Failure{kExitFailed, *problem};
            parsed.options.extraParameters.push_back(parameter);
        } else {
            return Failure{kExitFailed, Format(Tr("unknown field \"%1\""), {*field})};
        }
    }
    if (!parsed.name.ends_with(".wav"))
        parsed.name += ".wav";
    return std::nullopt;
}

// The first control character in line, which is never taken for text (a NUL would end it early).
std::optional<unsigned char> ControlCharacter(const std::string& line)
{
    const auto control = std::find_if(line.begin(), line.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F;
    });
    return control == line.end() ? std::nullopt : std::optional(static_cast<unsigned char>(*control));
}

// Writes the operator's answers to the files that the options csv, json and report name.
std::optional<Failure> WriteAnswers(const ParsedOptions& parsed, const Option& csv, const Option& json,
                                    const Option& report, const std::vector<LineResult>& judged, const BatchRun& run)
{
    const auto write = [&parsed](const Option& option, const std::string& text) -> std::optional<Failure> {
        if (!parsed.IsSet(option))
            return std::nullopt;
        return WriteOutput(parsed.Value(option), {text.begin(), text.end()});
    };
    if (auto failure = write(csv, LinesCsv(judged)))
        return failure;
    if (auto failure = write(json, LinesJson(judged, run)))
        return failure;
    return write(report, ReportHtml(LinesReport(judged, run)));
}

}  // namespace

int RunBatch(const Arguments& arguments)
{
    CommandLine line("batch FILE",
                     Tr("Saves or plays one request a line of FILE: \"number N\" or \"reason P\", then amplitude= and "
                        "name= fields.\n\nExample: corvane-cli batch numbers.txt --dir out"));
    const SignalOptionSet set;
    set.AddTo(line, false);
    const Option dir{"dir", Tr("Save one WAVE file per line into this folder."), "DIR"};
    const Option play{"play", Tr("Play the lines in turn instead of saving them.")};
    const Option gap =
        Option{"gap-ms", Tr("Silence between two plays in ms (default 1000)."), "MS"}.TakesWhole(0, 600000);
    const Option ask{"ask", Tr("With --play: after each line, ask the operator what the terminal under test showed "
                               "(answers from standard input: y, n, r to play again, s to skip, q to stop).")};
    const Option csv{"csv", Tr("With --ask: also write the answers as CSV to this file."), "FILE"};
    const Option json{"json", Tr("With --ask: also write the answers as JSON to this file."), "FILE"};
    const Option report{"report", Tr("With --ask: also write a report to hand in, one HTML file."), "FILE"};
    const PlayerOptionSet playerSet;
    const Option quiet{"quiet", Tr("No progress line on the terminal."), "", 'q'};
    line.Add({dir, play, gap, ask, csv, json, report, playerSet.volume, playerSet.device, quiet});
    line.AddArgument("FILE", Tr("One request a line; - for standard input."));
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 1, parsed))
        return *status;
    if (parsed.Positional().size() != 1)
        return Finish(Failure{kExitUsage, Tr("Give one batch file, or - for standard input.")});
    const bool bPlay = parsed.IsSet(play);
    if (parsed.IsSet(dir) == bPlay)
        return Finish(Failure{kExitUsage, Tr("Give either --dir DIR or --play.")});
    const bool bAsk = parsed.IsSet(ask);
    if (bAsk && !bPlay)
        return Finish(Failure{kExitUsage, Tr("--ask asks about what is played: give --play too.")});
    if (!bAsk && (parsed.IsSet(csv) || parsed.IsSet(json) || parsed.IsSet(report)))
        return Finish(
            Failure{kExitUsage, Tr("--csv, --json and --report record the operator's answers: give --ask too.")});
    if (bAsk && parsed.Positional()[0] == "-")
        return Finish(
            Failure{kExitUsage, Tr("With --ask the answers come from standard input: give the batch as a file.")});
    std::optional<double> calDbm;
    if (auto failure = ReadCalibration(parsed, set.calDbm, calDbm))
        return Finish(failure);
    SignalOptions defaults;
    if (auto failure = ReadSignalOptions(parsed, set, defaults))
        return Finish(failure);
    long long gapMs = 1000;
    if (auto failure = ReadWhole(parsed, gap, gapMs))
        return Finish(failure);
    PlayerSettings settings;
    if (auto failure = ReadPlayerSettings(parsed, playerSet, settings))
        return Finish(failure);

    // A folder that is not there fails every line alike: said once, before anything is written.
    std::error_code error;
    if (!bPlay && !std::filesystem::is_directory(PathFromUtf8(parsed.Value(dir)), error))
        return Finish(Failure{kExitUsage, Format(Tr("The folder %1 does not exist."), {parsed.Value(dir)})});
    InputFile input;
    if (auto failure = input.Open(parsed.Positional()[0]))
        return Finish(failure);
    std::unique_ptr<SignalPlayer> player;
    if (bPlay) {
        if (auto failure = LoadPlayer(settings, player))
            return Finish(failure);
    }
    const auto interrupted = [&player] { return player != nullptr ? player->InterruptSignal() : 0; };
    InputFile answers;
    std::unique_ptr<OperatorJudge> person;
    if (bAsk) {
        if (auto failure = answers.Open("-"))
            return Finish(failure);
        person = std::make_unique<OperatorJudge>(*player, answers);
    }
    std::vector<LineResult> judged;
    bool bStopped = false;

    // Where a person watches (standard error a terminal), a line that says how far the batch is.
    const bool bProgress = !parsed.IsSet(quiet) && IsTerminal(stderr);
    int nDone = 0;
    int nFailed = 0;
    long long lineNumber = 0;
    std::set<std::filesystem::path> written;  // the files of earlier lines, none of which a later line may replace
    // Standard input is a pipe as often as a file: a line is read when it comes.
    for (std::string text; !bStopped && interrupted() == 0 && input.ReadLine(text);) {
        ++lineNumber;
        const std::string number = Number(lineNumber);
        if (const std::optional<unsigned char> control = ControlCharacter(text)) {
            PrintError(Format(Tr("line %1: %2"),
                              {number, Format(Tr("the line holds a control character (%1)"), {Hex(*control, 2)})}));
            ++nFailed;
            continue;
        }
        const std::string content = Trimmed(text.substr(0, text.find('#')));  // without its comment
        if (content.empty())
            continue;
        BatchLine request;
        StressSignal signal;
        std::optional<Failure> failure = ParseBatchLine(content, set, defaults, request);
        if (!failure)
            failure = Compose(request.request, request.options, signal);
        if (!failure && bPlay) {
            if (nDone + nFailed > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
            if (person) {
                Judgement judgement;
                failure = person->Judge(signal, ExpectedOnTerminal(request.request), content, judgement);
                bStopped = !failure && judgement.verdict == Verdict::kStop;
                if (!failure && !bStopped)
                    judged.push_back({lineNumber, request.request, content, ExpectedOnTerminal(request.request),
                                      VerdictName(judgement.verdict), IsoTime(judgement.time)});
            } else {
                failure = player->Play(signal);
            }
        } else if (!failure) {
            const std::filesystem::path path =
                std::filesystem::absolute(PathFromUtf8(parsed.Value(dir)), error) / PathFromUtf8(request.name);
            if (written.count(path) != 0)
                failure = Failure{kExitFailed,
                                  Format(Tr("%1 was written by an earlier line; nothing is replaced"), {request.name})};
            else if (!(failure = WriteOutput(Utf8FromPath(path), OutputBytes(signal, false))))
                written.insert(path);
        }
        if (failure && interrupted() != 0)
            break;
        if (bStopped)
            break;
        if (bProgress)
            WriteText(stderr, "\r\x1b[K");  // the progress line gives way to what follows
        if (failure) {
            PrintError(Format(Tr("line %1: %2"), {number, failure->message}));
            ++nFailed;
        } else {
            ++nDone;
        }
        if (bProgress) {
            const std::string progress =
                Format(bPlay ? Tr("batch: line %1, %2 played, %3 failed") : Tr("batch: line %1, %2 written, %3 failed"),
                       {number, Number(nDone), Number(nFailed)});
            WriteText(stderr, progress);
            std::fflush(stderr);
        }
    }
    if (bProgress)
        WriteText(stderr, "\r\x1b[K");
    // The answers given before an interruption are written all the same.
    if (bAsk) {
        const BatchRun run{parsed.Positional()[0], settings.device, settings.nVolume, calDbm,
                           !bStopped && interrupted() == 0};
        if (auto failure = WriteAnswers(parsed, csv, json, report, judged, run))
            return Finish(failure);
    }
    if (interrupted() != 0)
        return Finish(Failure{InterruptedStatus(interrupted()), Tr("Interrupted.")});
    if (bStopped)
        PrintError(Tr("Stopped."));
    if (!input.Error().empty())
        return Finish(Failure{kExitFailed, Format(Tr("Cannot read %1: %2"), {parsed.Positional()[0], input.Error()})});
    PrintOut(Format(bPlay ? Tr("batch: %1 played, %2 failed") : Tr("batch: %1 written, %2 failed"),
                    {Number(nDone), Number(nFailed)}) +
             "\n");
    return nFailed == 0 ? 0 : kExitFailed;
}

}  // namespace corvane::cli
