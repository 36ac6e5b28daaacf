// SPDX-License-Identifier: MIT
// The program's modules: the commands that play or decode keep the sound and recording libraries
// in modules of their own, so the other commands start without loading them.
#pragma once

#include "cli_common.h"
#include "commands.h"

#include <optional>

namespace corvane::cli {

// The function symbol of module ("corvane-cli-play", "corvane-cli-decode"), loaded on first use
// from the folder of modules beside the program; nullptr with failure saying why.
void* ModuleSymbol(const char* module, const char* symbol, std::optional<Failure>& failure);

// Runs the command whose extern "C" entry is entry in module, on arguments; its exit status, or
// the failure's when the module or its entry cannot be loaded.
int RunInModule(const char* module, const char* entry, const Arguments& arguments);

// True when a module that was loaded left a play's session that did not end.
bool LoadedModulesLeftPlaybackStuck();

}  // namespace corvane::cli
