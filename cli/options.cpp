// SPDX-License-Identifier: MIT
#include "options.h"

#include "cli_common.h"

#include <algorithm>

#include <getopt.h>

namespace corvane::cli {

namespace {

constexpr std::size_t kLineWidth = 79;
// getopt's code for the long option at index i: above every short option's letter.
constexpr int kLongBase = 256;

// Code points in text, as its width on the terminal would be counted for wrapping.
std::size_t Width(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

// text broken at spaces into lines of at most width code points, each after indent.
std::string Wrapped(const std::string& text, std::size_t indent, std::size_t width)
{
    std::string result;
    std::string line;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && Width(line) + 1 + Width(word) > width) {
            result += line + "\n" + std::string(indent, ' ');
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    return result + line + "\n";
}

std::string Names(const Option& option)
{
    std::string names = option.shortName != '\0' ? std::string("-") + option.shortName + ", " : std::string();
    names += "--" + option.name;
    if (option.valueName.empty())
        return names;
    return option.bValueOptional ? names + " [<" + option.valueName + ">]" : names + " <" + option.valueName + ">";
}

}  // namespace

std::string ParsedOptions::Value(const Option& option) const
{
    const auto found = m_values.find(option.name);
    return found == m_values.end() || found->second.empty() ? std::string() : found->second.back();
}

std::vector<std::string> ParsedOptions::Values(const Option& option) const
{
    const auto found = m_values.find(option.name);
    return found == m_values.end() ? std::vector<std::string>() : found->second;
}

std::vector<std::pair<std::string, std::string>> ParsedOptions::InOrder(std::span<const Option* const> options) const
{
    std::vector<std::pair<std::string, std::string>> given;
    for (const auto& [name, value] : m_given) {
        if (std::any_of(options.begin(), options.end(),
                        [&name](const Option* pOption) { return pOption->name == name; }))
            given.emplace_back(name, value);
    }
    return given;
}

CommandLine::CommandLine(std::string usage, std::string description)
    : m_usage(std::move(usage)), m_description(std::move(description))
{
}

std::optional<std::string> CommandLine::Parse(const std::vector<std::string>& arguments, ParsedOptions& parsed) const
{
    std::vector<option> longOptions;
    std::string shortOptions = ":";  // a missing value is told apart from an unknown option
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        const Option& item = m_options[i];
        const int hasValue = item.valueName.empty() ? no_argument : required_argument;
        longOptions.push_back({item.name.c_str(), hasValue, nullptr, kLongBase + static_cast<int>(i)});
        if (item.shortName != '\0')
            shortOptions += std::string(1, item.shortName) + (item.valueName.empty() ? "" : ":");
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> words{"corvane-cli"};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--") {
            words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
            break;
        }
        // An optional value left out: given as empty, so that getopt does not take what follows.
        const bool bBare = std::any_of(m_options.begin(), m_options.end(),
                                       [&word](const Option& o) { return o.bValueOptional && word == "--" + o.name; });
        const bool bNextIsValue = i + 1 < arguments.size() && !arguments[i + 1].starts_with("-");
        words.push_back(bBare && !bNextIsValue ? word + "=" : word);
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());
    optind = 0;  // from the start, with getopt's state reset
    opterr = 0;  // its messages are not ours
    for (;;) {
        const int code = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (code == -1)
            break;
        const std::string given = argv[static_cast<std::size_t>(optind - 1)];
        // A value given to a switch: glibc's getopt_long says '?', the BSD one that Windows
        // builds take says ':'.
        if ((code == '?' || code == ':') && optopt >= kLongBase && given.find('=') != std::string::npos)
            return Format(Tr("Unexpected value after '%1'."), {given.substr(0, given.find('='))});
        if (code == ':')
            return Format(Tr("Missing value after '%1'."), {given});
        if (code == '?') {
            const std::string name =
                optopt != 0 ? std::string(1, static_cast<char>(optopt)) : given.substr(2, given.find('=') - 2);
            return Format(Tr("Unknown option '%1'."), {name});
        }
        const auto item = code >= kLongBase ? m_options.begin() + (code - kLongBase)
                                            : std::find_if(m_options.begin(), m_options.end(),
                                                           [code](const Option& o) { return o.shortName == code; });
        parsed.m_values[item->name].push_back(optarg != nullptr ? optarg : "");
        parsed.m_given.emplace_back(item->name, optarg != nullptr ? optarg : "");
    }
    // getopt moved the arguments that are no options behind the options, in their order.
    parsed.m_positional.assign(argv.begin() + optind, argv.end() - 1);
    return std::nullopt;
}

std::string CommandLine::Help() const
{
    std::string help = Format(Tr("Usage: %1"), {"corvane-cli [options] " + m_usage}) + "\n" + m_description + "\n";
    std::size_t column = 0;
    for (const Option& item : m_options)
        column = std::max(column, Width(Names(item)));
    for (const auto& [name, meaning] : m_arguments)
        column = std::max(column, Width(name));
    column += 4;
    const auto entry = [column](const std::string& names, const std::string& meaning) {
        return "  " + names + std::string(column - 2 - Width(names), ' ') +
               Wrapped(meaning, column, kLineWidth - column);
    };
    // Appended piece by piece: GCC 12 warns falsely about "\n" + a temporary string.
    help.append("\n").append(Tr("Options:")).append("\n");
    for (const Option& item : m_options)
        help += entry(Names(item), item.help);
    if (!m_arguments.empty()) {
        help.append("\n").append(Tr("Arguments:")).append("\n");
        for (const auto& [name, meaning] : m_arguments)
            help += entry(name, meaning);
    }
    return help;
}

Option HelpOption()
{
    return {"help", Tr("Displays help on commandline options."), "", 'h'};
}

std::optional<int> ParseOrExit(CommandLine& line, const std::vector<std::string>& arguments, std::size_t nMaxArguments,
                               ParsedOptions& parsed)
{
    const Option help = HelpOption();
    line.Add(help);
    if (const std::optional<std::string> problem = line.Parse(arguments, parsed)) {
        PrintError(*problem);
        return kExitUsage;
    }
    if (parsed.IsSet(help)) {
        PrintOut(line.Help());
        return 0;
    }
    if (parsed.Positional().size() > nMaxArguments) {
        PrintError(Format(Tr("Unexpected argument \"%1\"."), {parsed.Positional()[nMaxArguments]}));
        return kExitUsage;
    }
    return std::nullopt;
}

}  // namespace corvane::cli
