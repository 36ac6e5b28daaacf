// SPDX-License-Identifier: MIT
// The request of the commands that send a signal (--number or --reason), its problems in the
// language of the messages, and the signal composed from it under the signal options.
#pragma once

#include "cli_common.h"
#include "signal_options.h"
#include "request/request_checks.h"

namespace corvane::cli {

// Why the dialog would refuse a request, in the language of the messages.
std::string ProblemText(RequestProblem problem);

// Reads the request of --number or --reason (exactly one of them given).
std::optional<Failure> ReadRequest(const std::string& number, bool bNumber, const std::string& reason, bool bReason,
                                   NotificationRequest& request);

// Composes request under options, or says why it cannot be.
std::optional<Failure> Compose(const NotificationRequest& request, const SignalOptions& options, StressSignal& signal);

// The request and signal that the command line asks for.
struct RequestedSignal {
    NotificationRequest request;
    SignalOptions options;
    StressSignal signal;
};

// Reads the request and the signal options, and composes the signal.
std::optional<Failure> ReadSignal(const ParsedOptions& parser, const SignalOptionSet& set, RequestedSignal& requested);

// Parses the arguments of a command that sends a signal and takes no argument (line), then reads
// its signal as ReadSignal does: nullopt to go on, else the exit status, after the help or a
// refusal.
std::optional<int> ParseSignalCommand(CommandLine& line, const std::vector<std::string>& arguments,
                                      const SignalOptionSet& set, ParsedOptions& parsed, RequestedSignal& requested);

}  // namespace corvane::cli
