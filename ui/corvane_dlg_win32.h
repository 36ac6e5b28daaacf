// SPDX-License-Identifier: MIT
// The main dialog on Windows: what to announce, the amplitude and the volume; Play, Save, the
// frame in hexadecimal, and leaving through a confirmation. Built from the same template as
// the Linux dialog, with user32's own controls, message boxes and file dialog.
#pragma once

#include "dialog_controller.h"

#include "base/status.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace corvane {

class CCorvaneDlg : private CDialogView {
public:
    CCorvaneDlg();
    ~CCorvaneDlg() override;
    CCorvaneDlg(const CCorvaneDlg&) = delete;
    CCorvaneDlg& operator=(const CCorvaneDlg&) = delete;

    // Shows the dialog and runs its messages until it ends; the exit code for the process.
    int DoModal(HINSTANCE hInstance);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool PreTranslateMessage(MSG& msg);

    int OnCreate();
    bool OnInitDialog();
    void OnPaint();
    void OnDestroy();
    void OnCommand(int id, int code);
    void OnHScroll(HWND hControl);
    void OnClose();
    void FitTextToControls();

    // The controls, as the controller asks: user32's messages to each.
    void DoDataExchange(bool bSaveAndValidate, DialogFields& fields) override;
    std::string NumberText() const override;
    void SetText(int id, const std::string& text) override;
    void SetVolume(int position) override;
    void Enable(int id, bool bEnabled, bool bParkFocus) override;
    // Tooltips: a tool for each control with a shortcut, and Play's also over its place in the
    // dialog, where the mouse goes while Play is disabled.
    void AddTooltips();
    void SetTip(int id, const std::string& text) override;
    bool HasFocus(int id) const override;
    bool FocusIsParked() const override;
    void Focus(int id, bool bByShortcut) override;
    // Message boxes and the common file dialog, each giving the focus back where it was.
    void MessageBoxOver(const std::wstring& text, UINT icon);
    void ShowMessage(const std::string& text) override;
    void ShowFailure(const std::string& text) override;
    bool AskExit() override;
    std::optional<SaveChoice> AskSavePath(const std::string& folder) override;
    void Close() override;
    // Queued under m_postedMutex, then run by WM_APP_RUN on the dialog's thread.
    void Post(std::function<void()> task) override;

    HWND m_hWnd = nullptr;
    HWND m_ctlVolume = nullptr;
    HWND m_hLastFocus = nullptr;  // the control that last had the focus
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    HICON m_hPlayIcon = nullptr;
    HACCEL m_hShortcuts = nullptr;
    HWND m_hTooltips = nullptr;
    std::map<int, std::wstring> m_shortcutTips;  // tooltips naming the shortcut, by control id
    std::map<int, std::wstring> m_tips;          // the text each tooltip shows now
    HFONT m_hStatusFont = nullptr;
    HFONT m_hNumberFont = nullptr;
    // What other threads posted for the dialog's thread, run in order.
    std::mutex m_postedMutex;
    std::deque<std::function<void()>> m_posted;
    CDialogController m_controller;
};

}  // namespace corvane
