// SPDX-License-Identifier: MIT
// Loading a module's file and finding its functions: the system's dynamic loader.
#pragma once

#include <filesystem>
#include <string>

namespace corvane::cli {

// The name of module's file: "corvane-cli-play.so" on Linux, "corvane-cli-play.dll" on Windows.
std::string ModuleFileName(const char* module);

// Loads the module file at path, keeping its symbols to itself; nullptr with reason set when
// it cannot be loaded.
void* LoadModuleFile(const std::filesystem::path& path, std::string& reason);

// The address of the exported function symbol in a loaded module, nullptr when it has none.
void* ModuleFunction(void* handle, const char* symbol);

}  // namespace corvane::cli
