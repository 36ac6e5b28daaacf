// SPDX-License-Identifier: MIT
// Presses Ctrl-C on a program as a console does, for the Windows build's tests:
//   ctrl_c_probe MILLISECONDS PROGRAM ARGUMENTS...
// runs the program in a new console of this process's, sends the console Ctrl-C
// after MILLISECONDS, and prints "STATUS MS": the program's exit status and how long it went on
// after Ctrl-C. Exits 1 when the program does not end within 5 s of it, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// Ctrl-C is the program's to answer, not this process's.
BOOL WINAPI KeepRunning(DWORD)
{
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    const DWORD waitMs = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
    std::wstring commandLine;
    for (int i = 2; i < argc; ++i)
        commandLine += (i > 2 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    // A console of its own: wine's console for a program started from a pipe takes no Ctrl-C.
    FreeConsole();
    AllocConsole();
    SetConsoleCtrlHandler(KeepRunning, TRUE);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 2;
    Sleep(waitMs);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    const ULONGLONG pressed = GetTickCount64();
    const bool bEnded = WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0;
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    std::printf("%lu %llu\n", status, GetTickCount64() - pressed);
    if (!bEnded)
        TerminateProcess(process.hProcess, 1);
    return bEnded ? 0 : 1;
}
