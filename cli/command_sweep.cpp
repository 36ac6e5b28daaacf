// SPDX-License-Identifier: MIT
// corvane-cli sweep: a receiver's tolerance as the share of frames it decodes exactly, over one or
// two stress parameters, with several seeds at each point. In the decoding module, whose decoder is
// the receiver unless a command is given.
#include "commands.h"

#include "signal_json.h"
#include "signal_output.h"
#include "signal_request.h"
#include "sweep_axes.h"
#include "sweep_receivers.h"
#include "sweep_report.h"
#include "sweep_results.h"

#include "request/code_page_932.h"

#include <filesystem>
#include <map>
#include <tuple>

namespace corvane::cli {

namespace {

// An earlier run's results by point and seed. The values are those this run computes from the
// same --vary, read back from JSON that wrote them exactly, so they are equal, not merely close.
using EarlierResults = std::map<std::tuple<double, double, long long>, SignalResult>;

// Reads the results of an earlier run of the same sweep from path, or says why they cannot be
// carried on: another request, other parameters or another number of seeds.
std::optional<Failure> ReadEarlierResults(const std::string& path, const nlohmann::json& request,
                                          const std::string& receiver, const std::vector<std::string>& varied,
                                          long long nSeeds, const std::vector<Axis>& axes, EarlierResults& earlier)
{
    InputFile input;
    if (auto failure = input.Open(path))
        return failure;
    std::vector<char> bytes;
    constexpr std::size_t kMaxBytes = 64 * 1024 * 1024;  // far more than kMaxTrials signals take
    while (bytes.size() <= kMaxBytes && input.Read(bytes, 64 * 1024)) {
    }
    if (!input.Error().empty())
        return Failure{kExitUsage, Format(Tr("Cannot read %1: %2"), {path, input.Error()})};
    const std::string text(bytes.begin(), bytes.end());
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (bytes.size() > kMaxBytes || !json.is_object() || json.value("request", nlohmann::json()) != request ||
        json.value("receiver", nlohmann::json()) != nlohmann::json(receiver) ||
        json.value("vary", nlohmann::json()) != nlohmann::json(varied) ||
        json.value("seeds", nlohmann::json()) != nlohmann::json(nSeeds))
        return Failure{
            kExitUsage,
            Format(Tr("%1 holds the results of another sweep: give the same request, receiver, --vary and --seeds."),
                   {path})};
    std::vector<SignalResult> signals;
    if (auto failure = ReadSignalResults(text, axes, signals))
        return Failure{kExitUsage, path + ": " + failure->message};
    for (const SignalResult& signal : signals)
        earlier[{signal.first, signal.second, signal.seed}] = signal;
    return std::nullopt;
}

// Tries every signal of the sweep over axes (the second's values second) with nSeeds seeds each
// on judge, those in earlier taken from there, into results; bStopped when the operator stopped.
std::optional<Failure> Run(const std::vector<Axis>& axes, const std::vector<double>& second, long long nSeeds,
                           const RequestedSignal& base, SweepReceiver& judge, const EarlierResults& earlier,
                           SweepResults& results, bool& bStopped)
{
    for (const double secondValue : second) {
        results.BeginCurve(secondValue);
        for (const double firstValue : axes[0].values) {
            SignalOptions options = base.options;
            std::optional<Failure> failure = Apply(axes[0].name, firstValue, options);
            if (!failure && axes.size() == 2)
                failure = Apply(axes[1].name, secondValue, options);
            if (failure)
                return failure;
            std::string point = axes[0].name + "=" + Fixed(firstValue, 2);
            if (axes.size() == 2)
                point += " " + axes[1].name + "=" + Fixed(secondValue, 2);
            int nTried = 0;
            for (long long seed = 1; seed <= nSeeds && !bStopped && !failure; ++seed) {
                if (const auto found = earlier.find({firstValue, secondValue, seed}); found != earlier.end()) {
                    results.Add(found->second);
                    ++nTried;
                    continue;
                }
                options.seed = static_cast<std::uint32_t>(seed);
                StressSignal signal;
                Judgement judgement;
                if ((failure = Compose(base.request, options, signal)) ||
                    (failure = judge.Receive(signal, Format(Tr("%1, seed %2"), {point, Number(seed)}), judgement)))
                    break;
                bStopped = judgement.verdict == Verdict::kStop;
                if (!bStopped) {
                    results.Add({firstValue, secondValue, seed, VerdictName(judgement.verdict), judge.Judge(),
                                 IsoTime(judgement.time)});
                    ++nTried;
                }
            }
            if (nTried > 0)
                results.EndPoint(firstValue, secondValue, nSeeds);
            if (failure || bStopped)
                return failure;
        }
    }
    return std::nullopt;
}

int Sweep(const Arguments& arguments)
{
    CommandLine line("sweep", Tr("Measures a receiver's tolerance: the share of frames it decodes exactly over one or "
                                 "two stress parameters.\n\nExample: corvane-cli sweep --number 0312345678 --vary "
                                 "snr=-2:8:0.5 --seeds 40 --csv snr.csv"));
    const SignalOptionSet set;
    set.AddTo(line, true);
    const Option vary{"vary",
                      Tr("A parameter and its values, NAME=FROM:TO:STEP (once or twice): level-dbfs, snr, "
                         "tone-offset-pct, baud-offset-pct or stop-bits."),
                      "PARAM"};
    const Option seeds =
        Option{"seeds", Tr("Seeds of the noise at each point, 1 to 1000 (default 10)."), "N"}.TakesWhole(1, 1000);
    const Option csv{"csv", Tr("Also write the results as CSV to this file."), "FILE"};
    const Option json{"json", Tr("Also write the results as JSON to this file."), "FILE"};
    const Option receiver{"receiver",
                          Tr("A command that receives instead of our decoder; {} is the WAVE file. It passes when it "
                             "exits 0 and prints the number (or the reason)."),
                          "COMMAND"};
    const Option plot{"plot",
                      Tr("Also draw the pass rate against the first parameter, one curve for each value of the second, "
                         "into FILE.png or FILE.svg."),
                      "FILE"};
    const Option loopback{"loopback", Tr("Play each signal and record it back through a cable from the output to the "
                                         "input, and decode what comes back.")};
    const Option ask{"ask", Tr("Play each signal and ask the operator what the terminal under test showed (answers "
                               "from standard input: y, n, r to play again, s to skip, q to stop).")};
    const Option resume{"resume",
                        Tr("Go on with a stopped sweep: the signals that its JSON results (this file) judged are "
                           "taken from it, not tried again."),
                        "FILE"};
    const Option report{"report",
                        Tr("Also write a report to hand in: one HTML file with the settings, the points, "
                           "the plot and a summary."),
                        "FILE"};
    const PlayerOptionSet playerSet;
    line.Add(
        {vary, seeds, csv, json, plot, report, receiver, loopback, ask, resume, playerSet.volume, playerSet.device});
    ParsedOptions parsed;
    RequestedSignal base;
    if (auto status = ParseSignalCommand(line, arguments, set, parsed, base))
        return *status;
    const std::vector<std::string> varied = parsed.Values(vary);
    if (varied.empty() || varied.size() > 2)
        return Finish(Failure{kExitUsage, Tr("Give --vary once or twice.")});
    std::vector<Axis> axes(varied.size());
    for (std::size_t i = 0; i < varied.size(); ++i) {
        if (auto failure = ReadAxis(varied[i], axes[i]))
            return Finish(failure);
    }
    if (axes.size() == 2 && axes[0].name == axes[1].name)
        return Finish(Failure{kExitUsage, Tr("--vary names two different parameters.")});
    long long nSeeds = 10;
    if (auto failure = ReadWhole(parsed, seeds, nSeeds))
        return Finish(failure);
    const std::vector<double> second = axes.size() == 2 ? axes[1].values : std::vector<double>{0};
    if (axes[0].values.size() * second.size() * static_cast<std::size_t>(nSeeds) > kMaxTrials)
        return Finish(
            Failure{kExitUsage, Format(Tr("The sweep would take more than %1 signals."), {Number(kMaxTrials)})});

    const bool bExternal = parsed.IsSet(receiver);
    const bool bLoopback = parsed.IsSet(loopback);
    const bool bAsk = parsed.IsSet(ask);
    if (int(bExternal) + int(bLoopback) + int(bAsk) > 1)
        return Finish(Failure{kExitUsage, Tr("Give one of --receiver, --loopback and --ask.")});
    std::optional<double> calDbm;
    if (auto failure = ReadCalibration(parsed, set.calDbm, calDbm))
        return Finish(failure);
    const std::string receiverName = bExternal   ? parsed.Value(receiver)
                                     : bLoopback ? std::string("corvane-cli decode, through the loopback")
                                     : bAsk      ? std::string("the operator")
                                                 : std::string("corvane-cli decode");
    const nlohmann::json request = RequestJson(base.request);
    EarlierResults earlier;
    if (parsed.IsSet(resume)) {
        if (auto failure =
                ReadEarlierResults(parsed.Value(resume), request, receiverName, varied, nSeeds, axes, earlier))
            return Finish(failure);
    }
    PlayerSettings settings;
    std::unique_ptr<SignalPlayer> player;
    std::unique_ptr<SweepReceiver> judge;
    InputFile answers;
    std::unique_ptr<OperatorJudge> person;
    std::optional<Failure> failure;
    if (bLoopback || bAsk) {
        if (auto unopened = OpenPlayer(parsed, playerSet, settings, player))
            return Finish(unopened);
        if (bLoopback) {
            judge = CableReceiver(*player, settings.device);
        } else {
            if (auto unread = answers.Open("-"))
                return Finish(unread);
            person = std::make_unique<OperatorJudge>(*player, answers);
            judge = OperatorReceiver(*person, ExpectedOnTerminal(base.request));
        }
    } else if (bExternal) {
        judge = CommandReceiver(parsed.Value(receiver), FromCodePage932(base.request.text), failure);
        if (!judge)
            return Finish(failure);
    } else {
        judge = DecoderReceiver();
    }

    // The receiver by its program's name: the rest of its command line says little on a picture.
    const std::string program = parsed.Value(receiver).substr(0, parsed.Value(receiver).find(' '));
    SweepResults results(axes, bAsk ? Tr("Numbers shown by the terminal under test")
                                    : Format(Tr("Frames decoded exactly by %1"),
                                             {bExternal ? std::filesystem::path(program).filename().string()
                                                        : std::string("corvane-cli decode")}));
    bool bStopped = false;
    failure = Run(axes, second, nSeeds, base, *judge, earlier, results, bStopped);
    // The command's signals go with their folder before anything is written.
    const std::string judgeName = judge->Judge();
    judge.reset();
    // What was judged before an interruption is written all the same: an operator's answers are
    // not to be asked for twice.
    if (failure && failure->status <= 128)
        return Finish(failure);
    if (parsed.IsSet(plot)) {
        if (auto drawn = DrawPlot(results.Picture(), parsed.Value(plot)))
            return Finish(drawn);
    }
    if (parsed.IsSet(csv)) {
        const std::string text = results.Csv();
        if (auto written = WriteOutput(parsed.Value(csv), {text.begin(), text.end()}))
            return Finish(written);
    }
    if (parsed.IsSet(json)) {
        const nlohmann::json summary{{"version", Version()},
                                     {"request", RequestJson(base.request)},
                                     {"receiver", receiverName},
                                     {"seeds", nSeeds},
                                     {"vary", varied},
                                     {"complete", !bStopped && !failure},
                                     {"points", results.Points()},
                                     {"signals", results.Signals()}};
        const std::string text = summary.dump() + "\n";
        if (auto written = WriteOutput(parsed.Value(json), {text.begin(), text.end()}))
            return Finish(written);
    }
    if (parsed.IsSet(report)) {
        const SweepRun run{judgeName,
                           receiverName,
                           player ? settings.device : std::string(),
                           player ? settings.nVolume : 0,
                           calDbm,
                           varied,
                           nSeeds,
                           !bStopped && !failure};
        Report page = SweepReport(results, base.request, base.options, run);
        page.svg = PlotSvg(results.Picture());
        const std::string text = ReportHtml(page);
        if (auto written = WriteOutput(parsed.Value(report), {text.begin(), text.end()}))
            return Finish(written);
    }
    if (bStopped)
        PrintError(parsed.IsSet(json) ? Format(Tr("Stopped; --resume %1 goes on from here."), {parsed.Value(json)})
                                      : Tr("Stopped."));
    return Finish(failure);
}

}  // namespace

}  // namespace corvane::cli

extern "C" int CorvaneCliSweep(const corvane::cli::Arguments* pArguments)
{
    return corvane::cli::Sweep(*pArguments);
}
