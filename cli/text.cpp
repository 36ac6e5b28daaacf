// SPDX-License-Identifier: MIT
#include "text.h"

#include "system.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <libintl.h>
// On Windows libintl replaces the printf family by its own; numbers here need only the C library's.
#undef snprintf

namespace corvane::cli {

namespace {

constexpr const char* kDomain = "corvane-cli";
// Translated by each catalog into its own language tag ("messages: ja"): whether a catalog was found, by gettext's
// own choice among LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
constexpr const char* kLanguageTag = TrNoop("messages: en");

}  // namespace

const char* Version()
{
    return CORVANE_VERSION;
}

std::filesystem::path BesideProgram(const char* relative, std::error_code& error)
{
    return (ProgramFolder(error) / relative).lexically_normal();
}

void SetUpMessages()
{
    // Only the messages and the character set follow the locale: numbers keep their "." always,
    // as scripts reading them expect.
    // Unqualified: on Windows libintl puts its own setlocale in the C library's place, which
    // knows LC_MESSAGES.
    setlocale(LC_CTYPE, "");
    setlocale(LC_MESSAGES, "");
    std::error_code error;
    const std::filesystem::path catalogs = BesideProgram(CORVANE_LOCALE_DIR, error);
    // On Windows the folder's name is UTF-16, which the ANSI code page might not hold.
#ifdef _WIN32
    if (!error)
        wbindtextdomain(kDomain, catalogs.c_str());
#else
    if (!error)
        bindtextdomain(kDomain, catalogs.c_str());
#endif
    // Every text this program writes is UTF-8, whatever the locale's encoding.
    bind_textdomain_codeset(kDomain, "UTF-8");
}

std::string Tr(const char* pszText)
{
    return dgettext(kDomain, pszText);
}

bool MessagesInJapanese()
{
    return std::strcmp(dgettext(kDomain, kLanguageTag), "messages: ja") == 0;
}

std::string Format(std::string_view text, std::initializer_list<std::string_view> args)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t index = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : args.size();
        if (text[i] == '%' && index < args.size()) {
            result += args.begin()[index];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string Number(double value)
{
    std::array<char, 32> buffer{};
    const auto [pEnd, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? std::string(buffer.data(), pEnd) : std::string();
}

std::string Fixed(double value, int digits)
{
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*f", digits, value);
    return buffer.data();
}

std::string Trimmed(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlanks);
    return first == std::string_view::npos
               ? std::string()
               : std::string(text.substr(first, text.find_last_not_of(kBlanks) + 1 - first));
}

std::string Hex(int value, int digits)
{
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "0x%0*X", digits, static_cast<unsigned>(value));
    return buffer.data();
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char ch : text)
        quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return quoted + "\"";
}

std::string MarkupEscaped(const std::string& text)
{
    std::string escaped;
    for (const char ch : text) {
        switch (ch) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += ch;
        }
    }
    return escaped;
}

}  // namespace corvane::cli
