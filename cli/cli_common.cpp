// SPDX-License-Identifier: MIT
#include "cli_common.h"

#include "system.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace corvane::cli {

namespace {

// Where the digits start: a plus sign is allowed before them, as the C library's readers allow.
const char* DigitsOf(const std::string& text)
{
    return text.data() + (text.size() > 1 && text[0] == '+' && text[1] != '-' ? 1 : 0);
}

}  // namespace

std::string StatusText(const Status& status)
{
    return status.MessageIn(MessagesInJapanese() ? MessageLanguage::Japanese : MessageLanguage::English);
}

void PrintError(const std::string& message)
{
    WriteText(stderr, "corvane-cli: " + message + "\n");
}

void PrintOut(const std::string& text)
{
    WriteText(stdout, text);
}

std::optional<Failure> ParseNumber(const std::string& text, double low, double high, const std::string& option,
                                   double& value)
{
    // from_chars: the C locale's decimal point whatever the user's locale, and no hexadecimal.
    double parsed = 0;
    const char* const pEnd = text.data() + text.size();
    const auto [pStop, error] = std::from_chars(DigitsOf(text), pEnd, parsed);
    if (text.empty() || error != std::errc() || pStop != pEnd || !(parsed >= low && parsed <= high))
        return Failure{kExitUsage, Format(Tr("--%1 takes a number from %2 to %3, not \"%4\"."),
                                          {option, Number(low), Number(high), text})};
    value = parsed;
    return std::nullopt;
}

std::optional<Failure> ParseWhole(const std::string& text, long long low, long long high, const std::string& option,
                                  long long& value)
{
    // Decimal only: a leading zero is no octal prefix, here as in a batch line.
    long long parsed = 0;
    const char* const pEnd = text.data() + text.size();
    const auto [pStop, error] = std::from_chars(DigitsOf(text), pEnd, parsed);
    if (text.empty() || error != std::errc() || pStop != pEnd || parsed < low || parsed > high)
        return Failure{kExitUsage, Format(Tr("--%1 takes a whole number from %2 to %3, not \"%4\"."),
                                          {option, Number(low), Number(high), text})};
    value = parsed;
    return std::nullopt;
}

std::optional<Failure> ReadNumber(const ParsedOptions& parser, const Option& option, double& value)
{
    if (!parser.IsSet(option))
        return std::nullopt;
    return ParseNumber(parser.Value(option), option.low, option.high, option.name, value);
}

std::optional<Failure> ReadWhole(const ParsedOptions& parser, const Option& option, long long& value)
{
    if (!parser.IsSet(option))
        return std::nullopt;
    return ParseWhole(parser.Value(option), static_cast<long long>(option.low), static_cast<long long>(option.high),
                      option.name, value);
}

std::optional<Failure> ReadWhole(const ParsedOptions& parser, const Option& option, int& value)
{
    long long whole = value;
    if (auto failure = ReadWhole(parser, option, whole))
        return failure;
    value = static_cast<int>(whole);
    return std::nullopt;
}

int Finish(const std::optional<Failure>& failure)
{
    if (!failure)
        return 0;
    PrintError(failure->message);
    return failure->status;
}

InputFile::~InputFile()
{
    if (m_bOwned)
        ::close(m_fd);
}

std::optional<Failure> InputFile::Open(const std::string& name)
{
    m_fd = name == "-" ? STDIN_FILENO : OpenForReading(name);
    m_bOwned = name != "-" && m_fd >= 0;
    if (m_fd < 0)
        return Failure{kExitUsage, Format(Tr("Cannot read %1: %2"), {name, std::strerror(errno)})};
    return std::nullopt;
}

bool InputFile::Read(std::vector<char>& bytes, std::size_t nMax)
{
    if (!m_pending.empty()) {
        const std::size_t n = std::min(nMax, m_pending.size());
        bytes.insert(bytes.end(), m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n));
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n));
        return true;
    }
    return ReadMore(bytes, nMax);
}

bool InputFile::ReadMore(std::vector<char>& bytes, std::size_t nMax)
{
    const std::size_t had = bytes.size();
    bytes.resize(had + nMax);
    ssize_t n = 0;
    do
        n = ::read(m_fd, bytes.data() + had, nMax);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        m_error = std::strerror(errno);
    bytes.resize(had + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    return n > 0;
}

bool InputFile::TakeLine(std::string& line, std::size_t& searched)
{
    const auto end = std::find(m_pending.begin() + static_cast<std::ptrdiff_t>(searched), m_pending.end(), '\n');
    if (end == m_pending.end()) {
        searched = m_pending.size();
        return false;
    }
    line.assign(m_pending.begin(), end + 1);
    m_pending.erase(m_pending.begin(), end + 1);
    return true;
}

bool InputFile::ReadLine(std::string& line)
{
    return ReadLine(line, [] { return false; });
}

bool InputFile::ReadLine(std::string& line, const std::function<bool()>& stop)
{
    constexpr std::size_t kReadBytes = 64 * 1024;
    constexpr int kStopCheckMs = 100;
    std::size_t searched = 0;  // of the bytes read ahead, those that hold no line end
    while (!TakeLine(line, searched)) {
        while (!WaitForInput(m_fd, kStopCheckMs)) {
            if (stop())
                return false;
        }
        if (!ReadMore(m_pending, kReadBytes)) {
            line.assign(m_pending.begin(), m_pending.end());
            m_pending.clear();
            return !line.empty();
        }
    }
    return true;
}

}  // namespace corvane::cli
