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
#include "sweep_results.h"

#include "request/code_page_932.h"

#include <filesystem>

namespace corvane::cli {

namespace {

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
    const PlayerOptionSet playerSet;
    line.Add({vary, seeds, csv, json, plot, receiver, loopback, playerSet.volume, playerSet.device});
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
    if (bExternal && bLoopback)
        return Finish(Failure{kExitUsage, Tr("Give --receiver or --loopback, not both.")});
    std::unique_ptr<SignalPlayer> player;
    std::unique_ptr<SweepReceiver> judge;
    std::optional<Failure> failure;
    if (bLoopback) {
        PlayerSettings settings;
        if (auto unopened = OpenPlayer(parsed, playerSet, settings, player))
            return Finish(unopened);
        judge = CableReceiver(*player, settings.device);
    } else if (bExternal) {
        judge = CommandReceiver(parsed.Value(receiver), FromCodePage932(base.request.text), failure);
        if (!judge)
            return Finish(failure);
    } else {
        judge = DecoderReceiver();
    }

    // The receiver by its program's name: the rest of its command line says little on a picture.
    const std::string program = parsed.Value(receiver).substr(0, parsed.Value(receiver).find(' '));
    SweepResults results(
        axes, Format(Tr("Frames decoded exactly by %1"), {bExternal ? std::filesystem::path(program).filename().string()
                                                                    : std::string("corvane-cli decode")}));
    for (const double secondValue : second) {
        results.BeginCurve(secondValue);
        for (const double firstValue : axes[0].values) {
            SignalOptions options = base.options;
            failure = Apply(axes[0].name, firstValue, options);
            if (!failure && axes.size() == 2)
                failure = Apply(axes[1].name, secondValue, options);
            if (failure)
                break;
            int nPassed = 0;
            for (long long seed = 1; seed <= nSeeds; ++seed) {
                options.seed = static_cast<std::uint32_t>(seed);
                StressSignal signal;
                bool bPassed = false;
                if ((failure = Compose(base.request, options, signal)) || (failure = judge->Receive(signal, bPassed)))
                    break;
                nPassed += bPassed ? 1 : 0;
            }
            if (failure)
                break;
            results.Add(firstValue, secondValue, nPassed, nSeeds);
        }
        if (failure)
            break;
    }
    // The command's signals go with their folder before anything is written.
    judge.reset();
    if (failure)
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
                                     {"receiver", bExternal   ? parsed.Value(receiver)
                                                  : bLoopback ? std::string("corvane-cli decode, through the loopback")
                                                              : std::string("corvane-cli decode")},
                                     {"seeds", nSeeds},
                                     {"vary", varied},
                                     {"points", results.Points()}};
        const std::string text = summary.dump() + "\n";
        if (auto written = WriteOutput(parsed.Value(json), {text.begin(), text.end()}))
            return Finish(written);
    }
    return Finish(std::nullopt);
}

}  // namespace

}  // namespace corvane::cli

extern "C" int CorvaneCliSweep(const corvane::cli::Arguments* pArguments)
{
    return corvane::cli::Sweep(*pArguments);
}
