// SPDX-License-Identifier: MIT
// The request and the signal as JSON, for frame --json and the reports that name a signal.
#pragma once

#include "signal_options.h"
#include "request/request_checks.h"

#include <nlohmann/json.hpp>

namespace corvane::cli {

// The request as JSON: "kind" (number or reason) and "text".
nlohmann::json RequestJson(const NotificationRequest& request);

// The signal's options as JSON: the waveform, rate, level and what the stress options change.
nlohmann::json OptionsJson(const SignalOptions& options);

// The request, frame, check and options as JSON.
nlohmann::json SignalJson(const NotificationRequest& request, const SignalOptions& options, const StressSignal& signal);

}  // namespace corvane::cli
