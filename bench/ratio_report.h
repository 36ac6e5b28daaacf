// SPDX-License-Identifier: MIT
// Runs the registered benchmarks as usual, then prints each figure that has a target on one
// line beside it: a benchmark's time against a floor measured in the same run, or per unit.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace corvane::bench {

struct Target {
    std::string label;
    std::string measured;  // the benchmark's name
    std::string floor;     // the floor's name, or empty for a time per unit
    double units = 1;      // what the measured time is divided by, without a floor
    std::string unit;      // "ns a byte", for a time per unit
    double target = 1;
};

// Keeps the median (or the only) real time of each benchmark, in nanoseconds.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool bMedian = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (bMedian || (run.run_type == Run::RT_Iteration && !m_medians.count(run.run_name.str())))
                m_times[run.run_name.str()] = run.GetAdjustedRealTime() * Scale(run.time_unit);
            if (bMedian)
                m_medians[run.run_name.str()] = true;
        }
    }

    // Prints each target's line; returns false when a figure is missing.
    bool PrintTargets(const std::vector<Target>& targets) const
    {
        bool bComplete = true;
        for (const Target& target : targets) {
            const auto measured = m_times.find(target.measured);
            const auto floor = m_times.find(target.floor);
            if (measured == m_times.end() || (!target.floor.empty() && floor == m_times.end())) {
                std::printf("%s: not measured\n", target.label.c_str());
                bComplete = false;
            } else if (target.floor.empty()) {
                const double value = measured->second / target.units;
                std::printf("%s: %.2f %s (target %.2f %s)%s\n", target.label.c_str(), value, target.unit.c_str(),
                            target.target, target.unit.c_str(), value <= target.target ? "" : "  MISSED");
            } else {
                const double ratio = measured->second / floor->second;
                std::printf("%s: %.2fx (target %.2fx)%s\n", target.label.c_str(), ratio, target.target,
                            ratio <= target.target ? "" : "  MISSED");
            }
        }
        return bComplete;
    }

private:
    static double Scale(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        default:
            return 1;
        }
    }

    std::map<std::string, double> m_times;
    std::map<std::string, bool> m_medians;
};

// The main of a benchmark program: runs them all and prints the targets' lines.
inline int RunWithTargets(int argc, char** argv, const std::vector<Target>& targets)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.PrintTargets(targets) ? 0 : 1;
}

}  // namespace corvane::bench
