// SPDX-License-Identifier: MIT
#include "module.h"

#include "module_loader.h"
#include "player.h"
#include "system.h"

#include <filesystem>
#include <map>
#include <string>
#include <system_error>

namespace corvane::cli {

namespace {

// Loaded modules by name; never unloaded, as their code may run until the process ends.
std::map<std::string, void*>& Loaded()
{
    static std::map<std::string, void*> modules;
    return modules;
}

void* Load(const char* module, std::optional<Failure>& failure)
{
    const auto loaded = Loaded().find(module);
    if (loaded != Loaded().end())
        return loaded->second;
    std::error_code error;
    const std::filesystem::path path = BesideProgram(CORVANE_MODULE_DIR, error) / ModuleFileName(module);
    std::string reason = error.message();
    void* const handle = error ? nullptr : LoadModuleFile(path, reason);
    if (handle == nullptr) {
        failure = Failure{kExitFailed, Format(Tr("Cannot load %1: %2"), {Utf8FromPath(path), reason})};
        return nullptr;
    }
    Loaded().emplace(module, handle);
    return handle;
}

}  // namespace

void* ModuleSymbol(const char* module, const char* symbol, std::optional<Failure>& failure)
{
    void* const handle = Load(module, failure);
    void* const found = handle != nullptr ? ModuleFunction(handle, symbol) : nullptr;
    if (handle != nullptr && found == nullptr)
        failure = Failure{kExitFailed, Format(Tr("Cannot load %1: %2"), {module, symbol})};
    return found;
}

int RunInModule(const char* module, const char* entry, const Arguments& arguments)
{
    std::optional<Failure> failure;
    const auto run = reinterpret_cast<int (*)(const Arguments*)>(ModuleSymbol(module, entry, failure));
    return run != nullptr ? run(&arguments) : Finish(failure);
}

bool LoadedModulesLeftPlaybackStuck()
{
    for (const auto& [name, handle] : Loaded()) {
        const auto stuck = reinterpret_cast<bool (*)()>(ModuleFunction(handle, "CorvaneCliPlaybackStuck"));
        if (stuck != nullptr && stuck())
            return true;
    }
    return false;
}

std::optional<Failure> LoadPlayer(const PlayerSettings& settings, std::unique_ptr<SignalPlayer>& player)
{
    std::optional<Failure> failure;
    const auto make =
        reinterpret_cast<SignalPlayer* (*)()>(ModuleSymbol("corvane-cli-play", "CorvaneCliNewPlayer", failure));
    if (make == nullptr)
        return failure;
    player.reset(make());
    return player->Open(settings);
}

int PlayOnce(const ParsedOptions& parser, const PlayerOptionSet& set, const stress::StressSignal& signal)
{
    PlayerSettings settings;
    if (auto failure = ReadPlayerSettings(parser, set, settings))
        return Finish(failure);
    std::unique_ptr<SignalPlayer> player;
    if (auto failure = LoadPlayer(settings, player))
        return Finish(failure);
    return Finish(player->Play(signal));
}

}  // namespace corvane::cli
