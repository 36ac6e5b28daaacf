// SPDX-License-Identifier: MIT
// What the operator said of each line of a batch that was played and asked about: written as CSV
// (a row a line), as JSON (an object a line) and as a report to hand in.
#pragma once

#include "cli_common.h"
#include "html_report.h"
#include "operator_judge.h"

#include "signal/request.h"

#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

// One line's result: its number in the file, its request, its text (without comment), what the
// terminal should have shown, the verdict ("pass", "fail" or "skip") and when it was given.
struct LineResult {
    long long line = 0;
    NotificationRequest request;
    std::string text;
    std::string expected;
    std::string result;
    std::string time;
};

// How the batch was played, as its report states it.
struct BatchRun {
    std::string file;              // the batch file as given
    std::string device;            // the output played on
    int nVolume = 0;               // its volume, 0 to 100
    std::optional<double> calDbm;  // the output's level in dBm for a full-scale sine, if known
    bool bComplete = true;         // false when the operator stopped it or it was interrupted
};

// The lines as CSV: a header line, then one line a batch line.
std::string LinesCsv(const std::vector<LineResult>& lines);
// The lines as a JSON document: the version, the file, whether the run was complete, and "lines".
std::string LinesJson(const std::vector<LineResult>& lines, const BatchRun& run);
// The report of the lines.
Report LinesReport(const std::vector<LineResult>& lines, const BatchRun& run);

}  // namespace corvane::cli
