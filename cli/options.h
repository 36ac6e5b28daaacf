// SPDX-License-Identifier: MIT
// A command's options as the user gives them (GNU style: long and short names, values after a
// space or "=", options and arguments in any order), and its help in the program's layout.
#pragma once

#include <initializer_list>
#include <span>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::cli {

// One option: a long name (without dashes), perhaps a one-letter short name, and a value's name
// in the help when it takes a value.
struct Option {
    Option(std::string optionName, std::string optionHelp, std::string optionValueName = {},
           char optionShortName = '\0')
        : name(std::move(optionName)), help(std::move(optionHelp)), valueName(std::move(optionValueName)),
          shortName(optionShortName)
    {
    }

    std::string name;
    std::string help;
    std::string valueName;  // empty: a switch that takes no value
    char shortName;
    // The value may be left out (then it reads as empty): it is taken after "=", or from the next
    // argument when that is no option.
    bool bValueOptional = false;
    // A number's value: the range it must lie in, low to high, and whether it must be whole.
    // Read by ReadNumber and ReadWhole, which name the option and its range in a refusal.
    double low = 0;
    double high = 0;
    bool bWhole = false;

    // This option with a decimal number from rangeLow to rangeHigh for its value.
    Option Takes(double rangeLow, double rangeHigh) const
    {
        Option ranged = *this;
        ranged.low = rangeLow;
        ranged.high = rangeHigh;
        return ranged;
    }
    // This option with a whole number from rangeLow to rangeHigh for its value.
    Option TakesWhole(long long rangeLow, long long rangeHigh) const
    {
        Option ranged = Takes(static_cast<double>(rangeLow), static_cast<double>(rangeHigh));
        ranged.bWhole = true;
        return ranged;
    }
};

// What was given on the command line.
class ParsedOptions {
public:
    bool IsSet(const Option& option) const { return m_values.count(option.name) != 0; }
    // The value given last for option; empty when it was not given.
    std::string Value(const Option& option) const;
    // Every value given for option, in order.
    std::vector<std::string> Values(const Option& option) const;
    // Every value given for any of options, with its option's name, in the order given.
    std::vector<std::pair<std::string, std::string>> InOrder(std::span<const Option* const> options) const;
    // The arguments that are no options, in order.
    const std::vector<std::string>& Positional() const { return m_positional; }

private:
    friend class CommandLine;
    std::map<std::string, std::vector<std::string>> m_values;
    std::vector<std::pair<std::string, std::string>> m_given;  // every option with its value, in order
    std::vector<std::string> m_positional;
};

// A command's options, its arguments and its description, and how they are read.
class CommandLine {
public:
    // usage is what follows "corvane-cli [options]" ("save", "decode FILE"); description its help's
    // text (one line, an empty line, an example).
    CommandLine(std::string usage, std::string description);

    void Add(const Option& option) { m_options.push_back(option); }
    void Add(std::initializer_list<Option> options) { m_options.insert(m_options.end(), options); }
    // An argument's name and meaning, for the help only.
    void AddArgument(std::string name, std::string help) { m_arguments.emplace_back(std::move(name), std::move(help)); }

    // Reads arguments (without the program's name) into parsed, or says what is wrong.
    std::optional<std::string> Parse(const std::vector<std::string>& arguments, ParsedOptions& parsed) const;
    // The help: usage line, description, options and arguments, wrapped at 80 columns.
    std::string Help() const;

private:
    std::string m_usage;
    std::string m_description;
    std::vector<Option> m_options;
    std::vector<std::pair<std::string, std::string>> m_arguments;
};

// The option -h, --help that every command has.
Option HelpOption();

// Parses arguments for a command that takes at most nMaxArguments arguments besides its own
// name: nullopt to go on, else the exit status: 0 after printing the help, 2 after a message for
// a bad option or an extra argument.
std::optional<int> ParseOrExit(CommandLine& line, const std::vector<std::string>& arguments, std::size_t nMaxArguments,
                               ParsedOptions& parsed);

}  // namespace corvane::cli
