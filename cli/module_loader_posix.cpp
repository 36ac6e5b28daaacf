// SPDX-License-Identifier: MIT
#include "module_loader.h"

#include <dlfcn.h>

namespace corvane::cli {

std::string ModuleFileName(const char* module)
{
    return std::string(module) + ".so";
}

void* LoadModuleFile(const std::filesystem::path& path, std::string& reason)
{
    void* const handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* pszReason = dlerror();
        reason = pszReason != nullptr ? pszReason : "";
    }
    return handle;
}

void* ModuleFunction(void* handle, const char* symbol)
{
    return dlsym(handle, symbol);
}

}  // namespace corvane::cli
