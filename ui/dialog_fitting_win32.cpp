// SPDX-License-Identifier: MIT
// Text that must be read whole, and tooltips that name each control's key.
#include "corvane_dlg_win32.h"

#include "dialog_template_win32.h"
#include "request/request_checks.h"
#include "base/wide_text.h"
#include "resource.h"

#include <commctrl.h>

namespace corvane {

namespace {

constexpr double kSmallestPoints = 5.0;

// The character of chars that is widest in the font selected into hdc.
wchar_t WidestOf(HDC hdc, const wchar_t* pszChars)
{
    wchar_t widest = pszChars[0];
    int widestWidth = 0;
    for (const wchar_t* p = pszChars; *p != L'\0'; ++p) {
        SIZE size{};
        GetTextExtentPoint32W(hdc, p, 1, &size);
        if (size.cx > widestWidth) {
            widest = *p;
            widestWidth = size.cx;
        }
    }
    return widest;
}

// The dialog's face at the largest size, from its own down to 5 points in half points, for
// which fits holds (or at 5 points): text that must be read whole shrinks rather than being cut.
template <typename Fits>
HFONT LargestFittingFont(HWND hWnd, HFONT hDialogFont, double points, Fits fits)
{
    LOGFONTW face{};
    GetObjectW(hDialogFont, sizeof face, &face);
    HDC hdc = GetDC(hWnd);
    const int dpi = GetDeviceCaps(hdc, LOGPIXELSY);
    HFONT hFont = nullptr;
    for (; points >= kSmallestPoints; points -= 0.5) {
        face.lfHeight = -static_cast<LONG>(points * dpi / 72.0 + 0.5);
        hFont = CreateFontIndirectW(&face);
        HGDIOBJ hOld = SelectObject(hdc, hFont);
        const bool bFits = fits(hdc);
        SelectObject(hdc, hOld);
        if (bFits || points - 0.5 < kSmallestPoints)
            break;
        DeleteObject(hFont);
    }
    ReleaseDC(hWnd, hdc);
    return hFont;
}

// The points of the dialog's font, from its height.
double PointsOf(HWND hWnd, HFONT hFont)
{
    LOGFONTW face{};
    GetObjectW(hFont, sizeof face, &face);
    HDC hdc = GetDC(hWnd);
    const double points = -face.lfHeight * 72.0 / GetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(hWnd, hdc);
    return points;
}

}  // namespace

void CCorvaneDlg::FitTextToControls()
{
    const auto hDialogFont = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    const double points = PointsOf(m_hWnd, hDialogFont);

    // The longest frame in the status line, laid out as the edit control wraps it.
    HWND hStatus = GetDlgItem(m_hWnd, IDC_FRAME_TEXT);
    RECT text{};
    SendMessageW(hStatus, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    m_hStatusFont = LargestFittingFont(hStatus, hDialogFont, points, [&](HDC hdc) {
        const wchar_t wide = WidestOf(hdc, L"0123456789ABCDEF");
        std::wstring frame;
        for (int i = 0; i < kLongestNumberFrameBytes; ++i)
            frame += std::wstring(2, wide) + L" ";
        RECT needed{0, 0, text.right - text.left, 0};
        DrawTextW(hdc, frame.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        return needed.bottom <= text.bottom - text.top;
    });
    SendMessageW(hStatus, WM_SETFONT, reinterpret_cast<WPARAM>(m_hStatusFont), TRUE);

    // The longest number in the number field, with room for the caret.
    HWND hNumber = GetDlgItem(m_hWnd, IDC_NUMBER);
    SendMessageW(hNumber, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    m_hNumberFont = LargestFittingFont(hNumber, hDialogFont, points, [&](HDC hdc) {
        const std::wstring longest(kMaxNumberDigits, WidestOf(hdc, L"0123456789"));
        SIZE size{};
        GetTextExtentPoint32W(hdc, longest.c_str(), static_cast<int>(longest.size()), &size);
        return size.cx + 1 <= text.right - text.left;
    });
    SendMessageW(hNumber, WM_SETFONT, reinterpret_cast<WPARAM>(m_hNumberFont), TRUE);
}

void CCorvaneDlg::AddTooltips()
{
    m_hTooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr, nullptr);
    for (const Win32Control& control : MainDialogTemplate().controls) {
        if (control.shortcut[0] == '\0')
            continue;
        m_shortcutTips[control.id] = std::wstring(control.accessibleName) + L" (" + Utf8ToWide(control.shortcut) + L")";
        m_tips[control.id] = m_shortcutTips[control.id];
        HWND hControl = GetDlgItem(m_hWnd, control.id);
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(hControl);
        tool.lpszText = m_tips[control.id].data();
        SendMessageW(m_hTooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        if (control.id != IDC_PLAY)
            continue;
        // A disabled window gets no mouse messages: they go to the dialog, so Play's place in it
        // is a tool too, which says why Play cannot be pressed.
        tool.uFlags = TTF_SUBCLASS;
        tool.uId = static_cast<UINT_PTR>(control.id);
        GetWindowRect(hControl, &tool.rect);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&tool.rect), 2);
        SendMessageW(m_hTooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CCorvaneDlg::SetTip(int id, const std::string& text)
{
    if (m_hTooltips == nullptr)
        return;
    m_tips[id] = text.empty() ? m_shortcutTips[id] : Utf8ToWide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_hWnd;
    tool.lpszText = m_tips[id].data();
    for (const UINT_PTR uId : {reinterpret_cast<UINT_PTR>(GetDlgItem(m_hWnd, id)), static_cast<UINT_PTR>(id)}) {
        tool.uId = uId;
        SendMessageW(m_hTooltips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

}  // namespace corvane
