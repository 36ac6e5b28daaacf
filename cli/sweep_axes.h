// SPDX-License-Identifier: MIT
// The stress parameters a sweep varies: read from --vary, set in a signal's options, named on a
// plot's axis.
#pragma once

#include "cli_common.h"
#include "stress/stress_signal.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

// Points on one axis at most, and trials in all: a sweep that would take hours is a typing error.
inline constexpr std::size_t kMaxPoints = 1000;
inline constexpr std::size_t kMaxTrials = 200000;

// A parameter varied over values, named as the command line names it.
struct Axis {
    std::string name;
    std::vector<double> values;
};

// Reads text, NAME=FROM:TO:STEP, into axis: FROM and TO included, STEP positive (the values go
// down when TO is below FROM), at most kMaxPoints of them; or says why it cannot.
std::optional<Failure> ReadAxis(const std::string& text, Axis& axis);

// Sets the parameter name to value in options, or says why its value cannot be.
std::optional<Failure> Apply(const std::string& name, double value, stress::SignalOptions& options);

// A parameter's name on a plot's axis, with its unit, in the language of the messages.
std::string AxisName(const std::string& name);

}  // namespace corvane::cli
