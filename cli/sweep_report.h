// SPDX-License-Identifier: MIT
// A sweep's report to hand in: how it was run, its points, its plot and where each curve's pass
// rate crosses 50 %.
#pragma once

#include "html_report.h"
#include "sweep_results.h"

#include "signal/request.h"
#include "stress/stress_signal.h"

#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

// How a sweep was run, as its report states it.
struct SweepRun {
    std::string judge;                // "decoder", "command", "cable" or "operator"
    std::string receiver;             // the receiver in words: a command line, "corvane-cli decode", ...
    std::string device;               // the output played on, empty when nothing was played
    int nVolume = 0;                  // its volume, 0 to 100
    std::optional<double> calDbm;     // the output's level in dBm for a full-scale sine, if known
    std::vector<std::string> varied;  // the --vary values
    long long nSeeds = 0;
    bool bComplete = true;  // false when the operator stopped it or it was interrupted
};

// The report of results of a sweep of request with options, run as run says.
Report SweepReport(const SweepResults& results, const NotificationRequest& request,
                   const stress::SignalOptions& options, const SweepRun& run);

}  // namespace corvane::cli
