// SPDX-License-Identifier: MIT
// The main dialog on Windows: what to announce, the amplitude and the volume; Play, Save, the
// frame in hexadecimal, and leaving through a confirmation. Built from the same template as
// the Linux dialog, with user32's own controls, message boxes and file dialog.
#pragma once

#include "signal/compose.h"
#include "base/status.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace corvane {

class CCorvaneDlg {
public:
    CCorvaneDlg();
    ~CCorvaneDlg();
    CCorvaneDlg(const CCorvaneDlg&) = delete;
    CCorvaneDlg& operator=(const CCorvaneDlg&) = delete;

    // Shows the dialog and runs its messages until it ends; the exit code for the process.
    int DoModal(HINSTANCE hInstance);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool PreTranslateMessage(MSG& msg);
    void DoDataExchange(bool bSaveAndValidate);

    int OnCreate();
    bool OnInitDialog();
    void OnPaint();
    void OnDestroy();
    void OnCommand(int id, int code);
    void OnPlay();
    void OnSaveWave();
    void OnHScroll(HWND hControl);
    void OnExit();
    void OnClose();
    void OnShortcut(int id);
    void OnPlayEnded(const Status& outcome);
    void OnDeviceChecked(const Status& device);

    enum class PlayState { Ready, Playing, Checking, NoDevice };
    void SetPlayState(PlayState state);
    void UpdateInputEnables();
    void SendSignal(ComposeMode mode);
    void PlayRequest(const NotificationRequest& request);
    void SaveRequest(const NotificationRequest& request);
    SampleBuffer* BufferForSave();
    void SetFrameText(const std::string& text);
    void FitTextToControls();
    void AddTooltips();
    void SetTooltip(int id, const std::wstring& text);

    void ShowMessage(const std::wstring& text, UINT icon);
    void ShowFailure(const std::string& utf8);
    bool AskExit();

    HWND m_hWnd = nullptr;
    HWND m_ctlVolume = nullptr;
    HWND m_hLastFocus = nullptr;  // the control that last had the focus
    int m_nInfoKind = -1;
    int m_nReason = -1;
    int m_nAmplitude = -1;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    HICON m_hPlayIcon = nullptr;
    HACCEL m_hShortcuts = nullptr;
    HWND m_hTooltips = nullptr;
    std::map<int, std::wstring> m_shortcutTips;  // tooltips naming the shortcut, by control id
    std::map<int, std::wstring> m_tips;          // the text each tooltip shows now
    HFONT m_hStatusFont = nullptr;
    HFONT m_hNumberFont = nullptr;

    Status m_deviceStatus;
    bool m_bDeviceChecked = false;
    bool m_bPlayPending = false;
    bool m_bPlayHadFocus = false;
    bool m_bEnding = false;
    std::wstring m_strSaveFolder;  // where the last save went, for the next file dialog
    std::unique_ptr<SampleBuffer> m_pSaveBuffer;
    // What the audio layer's threads hand over with their posted messages.
    std::mutex m_reportMutex;
    Status m_playOutcome;
    Status m_deviceReport;
};

}  // namespace corvane
