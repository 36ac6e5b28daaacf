// SPDX-License-Identifier: MIT
// corvane-cli run as a separate process, as a script runs it.
#pragma once

#include "signal/request.h"
#include "signal/synthesis.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace corvane::test {

struct CliRun {
    int status = -1;  // the exit status, or -1 when it did not exit by itself within the limit
    std::string out;
    std::string err;
};

// Runs corvane-cli with arguments, environment additions and standard input, sending it
// interruptSignal after interruptAfter when that is positive; at most 30 s. The program is the
// build's own, or the one $CORVANE_CLI_UNDER_TEST names.
CliRun RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {"LANG=C"},
              const std::string& input = {}, std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(0),
              int interruptSignal = 2);

// Whether the program under test runs its users' commands through cmd.exe rather than sh: a
// Windows build, as $CORVANE_CLI_SHELL=cmd says.
bool ShellIsCmd();

// The same with another program file, as RunCli runs corvane-cli.
CliRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment = {"LANG=C"}, const std::string& input = {},
                  std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(0), int interruptSignal = 2);

// What the dialog makes of request at percent (10 to 100): its samples, to compare the
// command line's output with.
std::unique_ptr<SampleBuffer> DialogBuffer(const NotificationRequest& request, int percent);

}  // namespace corvane::test
