// SPDX-License-Identifier: MIT
#include "system.h"

#include "base/wide_text.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include <fcntl.h>
#include <io.h>

namespace corvane::cli {

namespace {

HANDLE StreamHandle(std::FILE* stream)
{
    return GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

bool IsConsole(HANDLE hStream)
{
    DWORD mode = 0;
    return GetConsoleMode(hStream, &mode) != 0;
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**)
{
    int nArguments = 0;
    LPWSTR* ppszArguments = CommandLineToArgvW(GetCommandLineW(), &nArguments);
    std::vector<std::string> arguments;
    for (int i = 1; ppszArguments != nullptr && i < nArguments; ++i)
        arguments.push_back(WideToUtf8(ppszArguments[i]));
    LocalFree(ppszArguments);
    return arguments;
}

void PrepareStreams()
{
    // The same bytes as on Linux: a WAVE file on standard output, and "\n" at each line's end.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::filesystem::path ProgramFolder(std::error_code& error)
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD nChars = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (nChars == 0) {
            error.assign(static_cast<int>(GetLastError()), std::system_category());
            return {};
        }
        if (nChars < name.size()) {
            name.resize(nChars);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

std::filesystem::path PathFromUtf8(const std::string& name)
{
    return Utf8ToWide(name);
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    return WideToUtf8(path.wstring());
}

int OpenForReading(const std::string& name)
{
    return _wopen(Utf8ToWide(name).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

std::tm LocalTime(std::time_t time)
{
    std::tm parts{};
    localtime_s(&parts, &time);
    return parts;
}

std::tm UtcTime(std::time_t time)
{
    std::tm parts{};
    gmtime_s(&parts, &time);
    return parts;
}

bool WaitForInput(int, int)
{
    return true;
}

bool IsTerminal(std::FILE* stream)
{
    return IsConsole(StreamHandle(stream));
}

void WriteText(std::FILE* stream, const std::string& text)
{
    const HANDLE hStream = StreamHandle(stream);
    if (!IsConsole(hStream)) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    // What went to the stream's buffer before goes out first.
    std::fflush(stream);
    const std::wstring wide = Utf8ToWide(text);
    DWORD nWritten = 0;
    WriteConsoleW(hStream, wide.data(), static_cast<DWORD>(wide.size()), &nWritten, nullptr);
}

std::string ShellWord(const std::string& path)
{
    return "\"" + path + "\"";
}

int RunCommandLine(const std::string& line, std::string& output)
{
    // The wide form: the line reaches cmd.exe as the user wrote it, whatever the code page.
    std::FILE* pPipe = _wpopen(Utf8ToWide(line + " 2>NUL").c_str(), L"rb");
    if (pPipe == nullptr)
        return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pPipe)) > 0;)
        output.append(buffer, n);
    return _pclose(pPipe);
}

}  // namespace corvane::cli
