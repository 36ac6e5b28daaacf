// SPDX-License-Identifier: MIT
// What every command shares: exit statuses, failures and their messages, number parsing, and
// reading an input as it comes.
#pragma once

#include "options.h"
#include "base/status.h"
#include "text.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoFrame = 3;

// A message for the operator, on standard error, ending the command with status.
struct Failure {
    int status;
    std::string message;
};

// A failure of the shared layers, in the language of the messages.
std::string StatusText(const Status& status);

// A message on standard error, after "corvane-cli: ".
void PrintError(const std::string& message);
// Text on standard output.
void PrintOut(const std::string& text);

// Reads a decimal number from low to high into value, or says why it cannot, naming option.
std::optional<Failure> ParseNumber(const std::string& text, double low, double high, const std::string& option,
                                   double& value);
// Reads a whole decimal number from low to high into value, or says why it cannot, naming option.
std::optional<Failure> ParseWhole(const std::string& text, long long low, long long high, const std::string& option,
                                  long long& value);

// Reads option's value, when it was given, into value as a decimal number within the option's
// range, or says why it cannot; value stays as it was when the option was not given.
std::optional<Failure> ReadNumber(const ParsedOptions& parser, const Option& option, double& value);
// The same for a whole number, within the option's range.
std::optional<Failure> ReadWhole(const ParsedOptions& parser, const Option& option, long long& value);
// The same into an int, for a range within int's.
std::optional<Failure> ReadWhole(const ParsedOptions& parser, const Option& option, int& value);

// The exit status for failure, printing its message; 0 without one.
int Finish(const std::optional<Failure>& failure);

// A file or standard input, read as its bytes come: a pipe gives a line when it is written.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();
    // Opens name for reading, standard input for "-"; the failure names the file.
    std::optional<Failure> Open(const std::string& name);
    // Appends up to nMax bytes to bytes; false at the end or on a read error (then Error says so).
    bool Read(std::vector<char>& bytes, std::size_t nMax);
    // The next line with its end, NULs and all; false when the input has ended.
    bool ReadLine(std::string& line);
    // The same, waiting for the line no longer than until stop() (asked every 100 ms) is true;
    // then false with nothing read.
    bool ReadLine(std::string& line, const std::function<bool()>& stop);
    // Why the last read failed, empty if none did.
    const std::string& Error() const { return m_error; }

private:
    // Appends up to nMax bytes read from the file itself to bytes; false at its end or an error.
    bool ReadMore(std::vector<char>& bytes, std::size_t nMax);
    // The complete line at the start of what was read ahead, moved into line; false when none,
    // with searched (the bytes known to hold no line end) moved on.
    bool TakeLine(std::string& line, std::size_t& searched);

    int m_fd = -1;
    bool m_bOwned = false;
    std::string m_error;
    std::vector<char> m_pending;  // read ahead of the current line
};

}  // namespace corvane::cli
