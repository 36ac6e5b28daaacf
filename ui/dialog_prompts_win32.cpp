// SPDX-License-Identifier: MIT
// The Windows dialog's questions and messages: Windows' own message boxes and save dialog, each
// captioned with the application's name and giving the focus back where it was.
#include "corvane_dlg_win32.h"

#include "resource.h"

#include "base/wide_text.h"

#include <commdlg.h>

#include <cwchar>

namespace corvane {

namespace {

// Every box is captioned with the application's name, as on Linux.
const wchar_t* Caption()
{
    static const std::wstring caption = Utf8ToWide(kApplicationName);
    return caption.c_str();
}

// Gives the focus back, when a box or the file dialog closes, to the control that had it: the
// window may hand it to its first control instead, where typing goes nowhere.
class FocusKeeper {
public:
    FocusKeeper() : m_hFocus(GetFocus()) {}
    ~FocusKeeper()
    {
        if (m_hFocus != nullptr && IsWindow(m_hFocus) && IsWindowEnabled(m_hFocus))
            SetFocus(m_hFocus);
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    HWND m_hFocus;
};

}  // namespace

void CCorvaneDlg::ShowMessage(const std::string& text)
{
    MessageBoxOver(Utf8ToWide(text), 0);
}

void CCorvaneDlg::ShowFailure(const std::string& text)
{
    MessageBoxOver(Utf8ToWide(text), MB_ICONWARNING);
}

void CCorvaneDlg::MessageBoxOver(const std::wstring& text, UINT icon)
{
    const FocusKeeper focus;
    MessageBoxW(m_hWnd, text.c_str(), Caption(), MB_OK | icon);
}

bool CCorvaneDlg::AskExit()
{
    const FocusKeeper focus;
    return MessageBoxW(m_hWnd, L"終了しますか?", Caption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDNO;
}

std::optional<SaveChoice> CCorvaneDlg::AskSavePath(const std::string& folder)
{
    // Room for paths longer than MAX_PATH, which the save takes.
    std::wstring path(32768, L'\0');
    const std::wstring initial = Utf8ToWide(folder);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = L"Wave File(*.wav)\0*.wav\0All files(*.*)\0*.*\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_NOCHANGEDIR;
    bool bChosen = false;
    {
        const FocusKeeper focus;
        bChosen = GetSaveFileNameW(&dialog) != FALSE;
    }
    if (!bChosen)
        return std::nullopt;
    path.resize(std::wcslen(path.c_str()));
    return SaveChoice{WideToUtf8(path), WideToUtf8(path.substr(0, dialog.nFileOffset))};
}

}  // namespace corvane
