// SPDX-License-Identifier: MIT
#include "sweep_report.h"

#include "operator_judge.h"
#include "signal_json.h"

#include <ctime>

namespace corvane::cli {

namespace {

// The judge in words, in the language of the messages.
std::string JudgeName(const std::string& judge)
{
    if (judge == "operator")
        return Tr("the operator");
    if (judge == "command")
        return Tr("a command");
    if (judge == "cable")
        return Tr("our decoder, through the cable");
    return Tr("our decoder");
}

// The signal's options as NAME=VALUE words.
std::string Settings(const stress::SignalOptions& options)
{
    std::string text;
    const nlohmann::json json = OptionsJson(options);
    for (const auto& [name, value] : json.items())
        text += (text.empty() ? "" : ", ") + name + "=" + (value.is_string() ? value.get<std::string>() : value.dump());
    return text;
}

}  // namespace

Report SweepReport(const SweepResults& results, const NotificationRequest& request,
                   const stress::SignalOptions& options, const SweepRun& run)
{
    Report report;
    report.title = Tr("corvane-cli sweep: report");
    std::string varied;
    for (const std::string& axis : run.varied)
        varied += (varied.empty() ? "" : ", ") + axis;
    report.facts = {
        {Tr("Program"), std::string("corvane-cli ") + Version()},
        {Tr("Date"), IsoTime(std::time(nullptr))},
        {Tr("Judged by"), run.judge == "command" ? JudgeName(run.judge) + ": " + run.receiver : JudgeName(run.judge)},
        {Tr("Device"), run.device.empty() ? Tr("none: nothing was played")
                                          : Format(Tr("%1, volume %2"), {run.device, Number(run.nVolume)})},
        {Tr("Calibration"),
         run.calDbm ? Format(Tr("%1 dBm for a full-scale sine"), {Fixed(*run.calDbm, 2)}) : Tr("none given")},
        {Tr("Expected on the terminal"), ExpectedOnTerminal(request)},
        {Tr("Signal"), Settings(options)},
        {Tr("Varied"), varied},
        {Tr("Seeds at each point"), Number(run.nSeeds)},
        {Tr("Complete"), run.bComplete ? Tr("yes") : Tr("no: stopped before its end")}};

    const std::vector<std::string> names = {run.varied[0].substr(0, run.varied[0].find('=')),
                                            run.varied.size() == 2 ? run.varied[1].substr(0, run.varied[1].find('='))
                                                                   : std::string()};
    report.columns = {names[0]};
    if (!names[1].empty())
        report.columns.push_back(names[1]);
    report.columns.insert(report.columns.end(),
                          {Tr("passed"), Tr("judged"), Tr("seeds"), Tr("pass rate"), Tr("judge")});
    long long nPassed = 0;
    long long nJudged = 0;
    for (const nlohmann::json& point : results.Points()) {
        std::vector<std::string> row = {Fixed(point[names[0]].get<double>(), 2)};
        if (!names[1].empty())
            row.push_back(Fixed(point[names[1]].get<double>(), 2));
        const int passed = point["passed"].get<int>();
        const int judged = point["judged"].get<int>();
        nPassed += passed;
        nJudged += judged;
        row.insert(row.end(),
                   {Number(passed), Number(judged), Number(point["seeds"].get<long long>()),
                    point["share"].is_null() ? std::string("-") : Fixed(100 * point["share"].get<double>(), 1) + " %",
                    JudgeName(run.judge)});
        report.rows.push_back(row);
        report.rowResults.push_back(judged == 0 ? "skip" : passed == judged ? "pass" : passed == 0 ? "fail" : "");
    }
    report.summary.push_back(
        Format(Tr("%1 of %2 signals judged passed; %3 skipped."),
               {Number(nPassed), Number(nJudged), Number(static_cast<long long>(results.Signals().size()) - nJudged)}));
    const bool bCurves = results.Picture().series.size() > 1;
    for (const PlotSeries& curve : results.Picture().series) {
        double x = 0;
        const bool bCrosses = HalfwayPoint(curve.points, x);
        if (bCurves)
            report.summary.push_back(bCrosses ? Format(Tr("%1: the pass rate crosses 50 % at %2 = %3."),
                                                       {curve.label, names[0], Fixed(x, 2)})
                                              : Format(Tr("%1: the pass rate does not cross 50 %."), {curve.label}));
        else
            report.summary.push_back(bCrosses
                                         ? Format(Tr("The pass rate crosses 50 % at %1 = %2."), {names[0], Fixed(x, 2)})
                                         : Tr("The pass rate does not cross 50 %."));
    }
    return report;
}

}  // namespace corvane::cli
