// SPDX-License-Identifier: MIT
#include "module_loader.h"

#include "base/wide_text.h"

#include <windows.h>

namespace corvane::cli {

std::string ModuleFileName(const char* module)
{
    return std::string(module) + ".dll";
}

void* LoadModuleFile(const std::filesystem::path& path, std::string& reason)
{
    // The DLLs a module needs are looked for beside it, never in the current folder.
    HMODULE hModule =
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (hModule == nullptr) {
        wchar_t* pszMessage = nullptr;
        const DWORD error = GetLastError();
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&pszMessage), 0, nullptr);
        reason = pszMessage != nullptr ? WideToUtf8(pszMessage) : "error " + std::to_string(error);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
            reason.pop_back();
        LocalFree(pszMessage);
    }
    return reinterpret_cast<void*>(hModule);
}

void* ModuleFunction(void* handle, const char* symbol)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), symbol));
}

}  // namespace corvane::cli
