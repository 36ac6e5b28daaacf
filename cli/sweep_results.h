// SPDX-License-Identifier: MIT
// A sweep's results as they come, point by point: a line on standard output for each, and at the
// end the table as CSV, as JSON, and the pass rate drawn.
#pragma once

#include "plot.h"
#include "sweep_axes.h"

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace corvane::cli {

class SweepResults {
public:
    // For a sweep over axes (one or two); title names the receiver on the plot.
    SweepResults(const std::vector<Axis>& axes, std::string title);

    // Starts the curve of the second axis's value second (ignored with one axis).
    void BeginCurve(double second);
    // Records that nPassed of nSeeds signals passed at first (and the curve's second), and says so
    // on standard output at once.
    void Add(double first, double second, int nPassed, long long nSeeds);

    // Every point so far, as JSON objects: each axis's value, "passed" and "seeds".
    const nlohmann::json& Points() const { return m_points; }
    // The table as CSV: a header line, then one line a point.
    std::string Csv() const { return m_table.str(); }
    // The pass rate in percent against the first axis, one curve for each value of the second.
    const Plot& Picture() const { return m_picture; }

private:
    std::vector<Axis> m_axes;
    std::ostringstream m_table;
    nlohmann::json m_points = nlohmann::json::array();
    Plot m_picture;
};

}  // namespace corvane::cli
