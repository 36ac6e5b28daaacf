// SPDX-License-Identifier: MIT
// What every command shares: exit statuses, messages in the user's language, number parsing,
// and the command's own parsing and ending.
#pragma once

#include "signal/status.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane::cli {

inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoFrame = 3;

// pszText in the language of the messages: Japanese under a Japanese locale, else English.
QString Tr(const char* pszText);

// A message for the operator, on standard error, ending the command with status.
struct Failure {
    int status;
    QString message;
};

// A failure of the shared layers, in the language of the messages.
QString StatusText(const Status& status);

// A message on standard error, after "corvane-cli: ".
void PrintError(const QString& message);
// Text on standard output, in the locale's encoding.
void PrintOut(const QString& text);

// Installs the Japanese messages under a Japanese locale.
void LoadTranslations(QCoreApplication& app);

// Reads a decimal number from low to high into value, or says why it cannot, naming option.
std::optional<Failure> ParseNumber(const QString& text, double low, double high, const QString& option, double& value);
// Reads a whole number from low to high into value, or says why it cannot, naming option.
std::optional<Failure> ParseWhole(const QString& text, long long low, long long high, const QString& option,
                                  long long& value);

// value as "0x" and digits upper-case hexadecimal digits.
QString Hex(int value, int digits);

// One command: its options added to parser, then run on arguments; returns the exit status.
using Command = int (*)(QCommandLineParser& parser, const QStringList& arguments);

// The exit status for failure, printing its message; 0 without one.
int Finish(const std::optional<Failure>& failure);

// The help option of every command and of the program: -h and --help.
QCommandLineOption HelpOption();

// The parser's help, naming the program corvane-cli however it was started.
QString HelpText(const QCommandLineParser& parser);

// Parses arguments with the options added so far, for a command that description describes
// (one line, then an example) and that takes at most nMaxArguments arguments; nullopt to go on,
// else the exit status: 0 after --help, kExitUsage for bad options or extra arguments.
std::optional<int> ParseOrExit(QCommandLineParser& parser, const QStringList& arguments, const QString& description,
                               int nMaxArguments);

// Opens name for reading, standard input for "-".
std::optional<Failure> OpenInput(const QString& name, QFile& input);

}  // namespace corvane::cli
