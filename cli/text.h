// SPDX-License-Identifier: MIT
// The command line's messages in the user's language, the files it keeps beside itself, and the
// small formatting its texts need.
#pragma once

#include <concepts>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace corvane::cli {

// The program's version, as "1.1.0".
const char* Version();

// The path relative to the folder of the program's own file, or error saying why it has none.
std::filesystem::path BesideProgram(const char* relative, std::error_code& error);

// Chooses the messages' language from the locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG; on Windows,
// when none is set, the user's display language) and finds the message catalog relative to the
// program's own file, so the build runs as the install does.
void SetUpMessages();

// pszText in the language of the messages (Japanese under a Japanese locale, else English), as UTF-8.
std::string Tr(const char* pszText);

// Marks pszText for translation where it is written, to be given to Tr later.
constexpr const char* TrNoop(const char* pszText)
{
    return pszText;
}

// True when the messages are Japanese, so the shared layers' messages follow the same choice.
bool MessagesInJapanese();

// text with %1 to %9 replaced by args in turn: the placeholders a translation may reorder.
std::string Format(std::string_view text, std::initializer_list<std::string_view> args);

// value in the shortest decimal form that reads back as the same number ("0.5", "-90", "12000").
std::string Number(double value);
template <std::integral T>
std::string Number(T value)
{
    return std::to_string(value);
}

// value with digits decimals, in the C locale's notation ("1.250").
std::string Fixed(double value, int digits);

// text without the spaces, tabs and line ends at its start and end.
std::string Trimmed(std::string_view text);

// value as "0x" and digits upper-case hexadecimal digits.
std::string Hex(int value, int digits);

// text as one CSV field: quoted when it holds a comma, a quotation mark or a line end.
std::string CsvField(const std::string& text);

// text for HTML or XML, its &, <, > and " written as entities.
std::string MarkupEscaped(const std::string& text);

}  // namespace corvane::cli
