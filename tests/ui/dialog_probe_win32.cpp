// SPDX-License-Identifier: MIT
// Reads the running dialog from another process, for the test that drives the real program:
//   dialog_probe play   prints the centre of the dialog's Play button on the screen: "X Y"
//   dialog_probe tip    prints the text of the tooltip on the screen in UTF-8; exits 1 if none shows
#include "ui/resource.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

// The main dialog, told from the message boxes of the same title by its Play button.
BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam)
{
    if (!IsWindowVisible(hWnd) || GetDlgItem(hWnd, corvane::IDC_PLAY) == nullptr)
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

BOOL CALLBACK FindShownTooltip(HWND hWnd, LPARAM lParam)
{
    wchar_t className[64] = {};
    GetClassNameW(hWnd, className, 64);
    if (!IsWindowVisible(hWnd) || std::wstring(className) != TOOLTIPS_CLASSW)
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

int PrintPlayCentre()
{
    HWND hDialog = nullptr;
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&hDialog));
    RECT rect{};
    if (hDialog == nullptr || !GetWindowRect(GetDlgItem(hDialog, corvane::IDC_PLAY), &rect))
        return 1;
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}

int PrintShownTip()
{
    HWND hTip = nullptr;
    EnumWindows(FindShownTooltip, reinterpret_cast<LPARAM>(&hTip));
    if (hTip == nullptr)
        return 1;
    wchar_t text[512] = {};
    const int nChars = static_cast<int>(SendMessageW(hTip, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text)));
    char utf8[2048] = {};
    const int nBytes = WideCharToMultiByte(CP_UTF8, 0, text, nChars, utf8, sizeof utf8, nullptr, nullptr);
    std::fwrite(utf8, 1, static_cast<std::size_t>(nBytes), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc == 2 ? argv[1] : "";
    if (command == "play")
        return PrintPlayCentre();
    if (command == "tip")
        return PrintShownTip();
    std::fputs("usage: dialog_probe play|tip\n", stderr);
    return 2;
}
