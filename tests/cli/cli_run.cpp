// SPDX-License-Identifier: MIT
#include "cli_run.h"

#include "signal/compose.h"

#include <csignal>
#include <cstdlib>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {

CliRun RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
              const std::string& input, std::chrono::milliseconds interruptAfter, int interruptSignal)
{
    // The same tables can run against another build of the program, such as the Windows one
    // under wine, through a script that runs it.
    const char* pszProgram = std::getenv("CORVANE_CLI_UNDER_TEST");
    return RunProgram(pszProgram != nullptr ? pszProgram : CORVANE_CLI, arguments, environment, input, interruptAfter,
                      interruptSignal);
}

bool ShellIsCmd()
{
    const char* pszShell = std::getenv("CORVANE_CLI_SHELL");
    return pszShell != nullptr && std::string(pszShell) == "cmd";
}

CliRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment, const std::string& input,
                  std::chrono::milliseconds interruptAfter, int interruptSignal)
{
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        // The language is the test's alone, whatever the locale of the shell that runs the tests.
        for (const char* pszName : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            unsetenv(pszName);
        for (const std::string& setting : environment)
            putenv(const_cast<char*>(setting.c_str()));
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    [[maybe_unused]] const ssize_t sent = write(inPipe[1], input.data(), input.size());
    close(inPipe[1]);
    CliRun run;
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(30);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    bool bInterrupted = false;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (interruptAfter.count() > 0 && !bInterrupted && std::chrono::steady_clock::now() - start >= interruptAfter) {
            kill(child, interruptSignal);
            bInterrupted = true;
        }
        if (poll(fds, 2, 100) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0)
                continue;
            char chunk[65536];
            const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                (i == 0 ? run.out : run.err).append(chunk, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (open > 0)
        kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = open == 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::unique_ptr<SampleBuffer> DialogBuffer(const NotificationRequest& request, int percent)
{
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = *AmplitudeFromStep(percent / 10 - 1);
    ComposeSignal(ComposeMode::Play, {}, request, *buffer, [](const std::string&) {});
    return buffer;
}

}  // namespace corvane::test
