// SPDX-License-Identifier: MIT
// The Windows program: one dialog, run until the operator leaves it.
#include "audio/playback.h"
#include "corvane_dlg_win32.h"
#include "base/trace.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int)
{
#ifndef NDEBUG
    // A Windows program has no terminal: the trace goes to the debugger's output.
    corvane::SetTraceWriter([](const char* pszLine) { OutputDebugStringA(pszLine); });
#endif
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // For the file dialog's shell parts and the accessibility annotations.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 0;
    {
        corvane::CCorvaneDlg dialog;
        result = dialog.DoModal(hInstance);
    }
    // A play stuck in a driver would hold the process's end for ever.
    if (corvane::PlaybackLeftStuck())
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
