// SPDX-License-Identifier: MIT
#include "batch_results.h"

#include "signal_json.h"

#include <nlohmann/json.hpp>

#include <ctime>

namespace corvane::cli {

namespace {

// The verdict in the language of the messages.
std::string ResultName(const std::string& result)
{
    return result == "pass" ? Tr("shown correctly") : result == "fail" ? Tr("not shown or wrong") : Tr("skipped");
}

}  // namespace

std::string LinesCsv(const std::vector<LineResult>& lines)
{
    std::string csv = "line,text,expected,result,judge,time\n";
    for (const LineResult& line : lines)
        csv += Number(line.line) + "," + CsvField(line.text) + "," + CsvField(line.expected) + "," + line.result +
               ",operator," + line.time + "\n";
    return csv;
}

std::string LinesJson(const std::vector<LineResult>& lines, const BatchRun& run)
{
    nlohmann::json entries = nlohmann::json::array();
    for (const LineResult& line : lines)
        entries.push_back({{"line", line.line},
                           {"request", RequestJson(line.request)},
                           {"text", line.text},
                           {"expected", line.expected},
                           {"result", line.result},
                           {"judge", "operator"},
                           {"time", line.time}});
    const nlohmann::json json{
        {"version", Version()}, {"file", run.file}, {"complete", run.bComplete}, {"lines", entries}};
    return json.dump() + "\n";
}

Report LinesReport(const std::vector<LineResult>& lines, const BatchRun& run)
{
    Report report;
    report.title = Tr("corvane-cli batch: report");
    report.facts = {{Tr("Program"), std::string("corvane-cli ") + Version()},
                    {Tr("Date"), IsoTime(std::time(nullptr))},
                    {Tr("Judged by"), Tr("the operator")},
                    {Tr("Device"), Format(Tr("%1, volume %2"), {run.device, Number(run.nVolume)})},
                    {Tr("Calibration"), run.calDbm ? Format(Tr("%1 dBm for a full-scale sine"), {Fixed(*run.calDbm, 2)})
                                                   : Tr("none given")},
                    {Tr("Batch file"), run.file},
                    {Tr("Complete"), run.bComplete ? Tr("yes") : Tr("no: stopped before its end")}};
    report.columns = {Tr("line"), Tr("request"), Tr("expected on the terminal"), Tr("result"), Tr("judge"), Tr("time")};
    long long nPassed = 0;
    long long nJudged = 0;
    for (const LineResult& line : lines) {
        report.rows.push_back(
            {Number(line.line), line.text, line.expected, ResultName(line.result), Tr("the operator"), line.time});
        report.rowResults.push_back(line.result);
        nPassed += line.result == "pass" ? 1 : 0;
        nJudged += line.result != "skip" ? 1 : 0;
    }
    report.summary.push_back(
        Format(Tr("%1 of %2 lines judged were shown correctly; %3 skipped."),
               {Number(nPassed), Number(nJudged), Number(static_cast<long long>(lines.size()) - nJudged)}));
    return report;
}

}  // namespace corvane::cli
