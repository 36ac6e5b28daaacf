// SPDX-License-Identifier: MIT
// What the command line needs of the operating system: its arguments, its own folder, file
// names, and its standard streams. Text is UTF-8 throughout; on Windows it is converted at this
// boundary, so that no argument, file name or message passes through the ANSI code page.
#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace corvane::cli {

// The arguments after the program's name, as UTF-8: argv itself on Linux, the process's UTF-16
// command line on Windows (argv there is in the ANSI code page and is not used).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Readies the standard streams before anything is written: a pipe whose reader went away, or a
// file size limit, fails the write instead of ending the process; on Windows standard input and
// output carry bytes unchanged (no line-end translation).
void PrepareStreams();

// The folder that holds the program's own file, or error saying why it cannot be found.
std::filesystem::path ProgramFolder(std::error_code& error);

// The path that the UTF-8 name names, and the UTF-8 name of a path.
std::filesystem::path PathFromUtf8(const std::string& name);
std::string Utf8FromPath(const std::filesystem::path& path);

// Opens the file that the UTF-8 name names for reading, as a file descriptor for read(); -1
// with errno set when it cannot be opened.
int OpenForReading(const std::string& name);

// The calendar time of time, in this computer's time zone and in UTC.
std::tm LocalTime(std::time_t time);
std::tm UtcTime(std::time_t time);

// Whether the file descriptor fd has something to read (or has ended) within timeoutMs; on Windows
// always true, a read there waiting as long as it must.
bool WaitForInput(int fd, int timeoutMs);

// Whether the stream (stdout or stderr) is a terminal or a console window, where a person reads.
bool IsTerminal(std::FILE* stream);

// Writes UTF-8 text to stream (stdout or stderr): to a Windows console as its characters,
// whatever the console's code page; elsewhere as the bytes themselves.
void WriteText(std::FILE* stream, const std::string& text);

// path as one word of the system's shell (sh; cmd.exe on Windows).
std::string ShellWord(const std::string& path);

// Runs the UTF-8 command line through the system's shell, its standard error discarded and its
// standard output put into output; the command's exit status, or -1 when it could not be run or
// was ended by a signal.
int RunCommandLine(const std::string& line, std::string& output);

}  // namespace corvane::cli
