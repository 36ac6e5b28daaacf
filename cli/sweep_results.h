// SPDX-License-Identifier: MIT
// A sweep's results as they come, signal by signal: a line on standard output for each point, and
// at the end a row for each signal as CSV, the points and the signals as JSON, and the pass rate
// drawn. A point's share counts the signals judged (passed or failed), not those skipped.
#pragma once

#include "operator_judge.h"
#include "plot.h"
#include "sweep_axes.h"

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace corvane::cli {

// One signal's result: the point's values (the second 0 with one axis), its seed, its verdict
// ("pass", "fail" or "skip"), who judged it, and when (ISO 8601).
struct SignalResult {
    double first = 0;
    double second = 0;
    long long seed = 0;
    std::string result;
    std::string judge;
    std::string time;
};

class SweepResults {
public:
    // For a sweep over axes (one or two); title names the receiver on the plot.
    SweepResults(const std::vector<Axis>& axes, std::string title);

    // Starts the curve of the second axis's value second (ignored with one axis).
    void BeginCurve(double second);
    // Records one signal of the current point.
    void Add(const SignalResult& signal);
    // Ends the point at first (and the curve's second), of nSeeds signals, and says on standard
    // output at once how many of those judged passed.
    void EndPoint(double first, double second, long long nSeeds);

    // Every point so far, as JSON objects: each axis's value, "passed", "judged", "seeds" and
    // "share" (null when none was judged).
    const nlohmann::json& Points() const { return m_points; }
    // Every signal so far, as JSON objects: each axis's value, "seed", "result", "judge", "time".
    const nlohmann::json& Signals() const { return m_signals; }
    // The signals as CSV: a header line, then one line a signal.
    std::string Csv() const { return m_table.str(); }
    // The pass rate in percent against the first axis, one curve for each value of the second.
    const Plot& Picture() const { return m_picture; }

private:
    std::vector<Axis> m_axes;
    std::ostringstream m_table;
    nlohmann::json m_points = nlohmann::json::array();
    nlohmann::json m_signals = nlohmann::json::array();
    int m_nPassed = 0;  // of the current point
    int m_nJudged = 0;
    Plot m_picture;
};

// The signals that a sweep's earlier JSON results (text) recorded, to be carried into a resumed
// sweep; a failure when text is not such results.
std::optional<Failure> ReadSignalResults(const std::string& text, const std::vector<Axis>& axes,
                                         std::vector<SignalResult>& signals);

}  // namespace corvane::cli
