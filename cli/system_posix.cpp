// SPDX-License-Identifier: MIT
#include "system.h"

#include <algorithm>
#include <csignal>

#include <fcntl.h>
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

bool IsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

void WriteText(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace corvane::cli
