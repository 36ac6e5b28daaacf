// SPDX-License-Identifier: MIT
// A run's report to hand in: one self-contained HTML document (no file, script or font from
// elsewhere) that a browser shows and prints on A4, in the language of the messages.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace corvane::cli {

// What a report holds, its texts UTF-8 and not yet escaped.
struct Report {
    std::string title;                                       // the run, "corvane-cli sweep"
    std::vector<std::pair<std::string, std::string>> facts;  // name and value: version, device, settings
    std::vector<std::string> columns;                        // the results' table: its heads
    std::vector<std::vector<std::string>> rows;              // and its rows, as many cells as columns
    std::vector<std::string> rowResults;                     // each row's "pass", "fail" or "skip", for its colour
    std::string svg;                                         // a drawing (an SVG document) or empty
    std::vector<std::string> summary;                        // sentences after the table
};

// The report as an HTML document.
std::string ReportHtml(const Report& report);

// Where the curve's points (x, share in percent) first go from below 50 % to 50 % or above, or
// back, by straight lines between them; false when they never do.
bool HalfwayPoint(const std::vector<std::pair<double, double>>& points, double& x);

}  // namespace corvane::cli
