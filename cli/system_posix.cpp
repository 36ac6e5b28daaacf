// SPDX-License-Identifier: MIT
#include "system.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void PrepareStreams()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

std::filesystem::path ProgramFolder(std::error_code& error)
{
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

std::filesystem::path PathFromUtf8(const std::string& name)
{
    return name;
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    return path.string();
}

int OpenForReading(const std::string& name)
{
    return ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
}

std::tm LocalTime(std::time_t time)
{
    std::tm parts{};
    localtime_r(&time, &parts);
    return parts;
}

std::tm UtcTime(std::time_t time)
{
    std::tm parts{};
    gmtime_r(&time, &parts);
    return parts;
}

bool WaitForInput(int fd, int timeoutMs)
{
    pollfd input{fd, POLLIN, 0};
    const int nReady = poll(&input, 1, timeoutMs);
    // Another error than an interruption is the read's to say.
    return nReady > 0 || (nReady < 0 && errno != EINTR);
}

bool IsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

void WriteText(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

std::string ShellWord(const std::string& path)
{
    return "'" + path + "'";
}

int RunCommandLine(const std::string& line, std::string& output)
{
    std::FILE* pPipe = popen((line + " 2>/dev/null").c_str(), "r");
    if (pPipe == nullptr)
        return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pPipe)) > 0;)
        output.append(buffer, n);
    const int status = pclose(pPipe);
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace corvane::cli
