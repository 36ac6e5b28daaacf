// SPDX-License-Identifier: MIT
// The commands of corvane-cli as one table, from which the help, the errors and the dispatch are
// made. Each command runs on the arguments after the program's name, without the command's own,
// and returns the exit status.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace corvane::cli {

using Arguments = std::vector<std::string>;

// A command in the program itself.
using CommandEntry = int (*)(const Arguments& arguments);

struct Command {
    const char* pszName;
    const char* pszSummary;  // one line of the program's help, in English, translated when shown
    CommandEntry run;        // nullptr when the command lives in a module
    // The module that holds it, loaded for it alone with the libraries it needs, and the module's
    // extern "C" entry, which takes const Arguments*; both nullptr for a command of the program.
    const char* pszModule;
    const char* pszEntry;
};

// Every command, in the order the help lists them.
std::span<const Command> Commands();

int RunFrame(const Arguments& arguments);
int RunSave(const Arguments& arguments);
int RunPlay(const Arguments& arguments);
int RunBatch(const Arguments& arguments);
int RunTone(const Arguments& arguments);

}  // namespace corvane::cli
