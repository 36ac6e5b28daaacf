// SPDX-License-Identifier: MIT
// Line plots as PNG or SVG pictures, drawn by cairo: for the commands that draw, which load it.
#pragma once

#include "cli_common.h"

#include <string>
#include <utility>
#include <vector>

namespace corvane::cli {

// One curve: its name in the legend and its points (x, y).
struct PlotSeries {
    std::string label;
    std::vector<std::pair<double, double>> points;
};

// What a plot shows: its title, each axis's name with its unit, the y axis's range, and the curves.
struct Plot {
    std::string title;
    std::string xLabel;
    std::string yLabel;
    double yLow = 0;
    double yHigh = 100;
    std::vector<PlotSeries> series;
};

// Draws plot into path, a PNG picture (path ending in .png) or an SVG drawing (.svg), by the safe
// save; a failure for any other name or when the file cannot be written.
std::optional<Failure> DrawPlot(const Plot& plot, const std::string& path);

}  // namespace corvane::cli
