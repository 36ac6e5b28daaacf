// SPDX-License-Identifier: MIT
#include "corvane_dlg_win32.h"

#include "audio/playback.h"
#include "dialog_template_win32.h"
#include "request/request_checks.h"
#include "base/wide_text.h"
#include "resource.h"
#include "base/trace.h"
#include "storage/safe_save.h"

#include <commctrl.h>
#include <commdlg.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

namespace {

// Posted to the dialog by the audio layer's threads, which may not touch a window.
constexpr UINT WM_APP_PLAY_ENDED = WM_APP + 1;
constexpr UINT WM_APP_DEVICE_CHECKED = WM_APP + 2;
constexpr UINT WM_APP_START_CHECK = WM_APP + 3;
constexpr UINT WM_APP_SHOW_DEVICE_PROBLEM = WM_APP + 4;

constexpr int kInitialAmplitudeStep = 1;  // "20%"

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

// The key of a template shortcut such as "Alt+P": the letter's virtual key, or 0.
WORD ShortcutKey(const char* pszShortcut)
{
    const std::string shortcut = pszShortcut;
    return shortcut.size() == 5 && shortcut.rfind("Alt+", 0) == 0 ? static_cast<WORD>(shortcut[4]) : 0;
}

}  // namespace

CCorvaneDlg::CCorvaneDlg() = default;

CCorvaneDlg::~CCorvaneDlg()
{
    for (HFONT hFont : {m_hStatusFont, m_hNumberFont}) {
        if (hFont != nullptr)
            DeleteObject(hFont);
    }
    if (m_hShortcuts != nullptr)
        DestroyAcceleratorTable(m_hShortcuts);
}

int CCorvaneDlg::DoModal(HINSTANCE hInstance)
{
    m_hIcon = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    m_hSmallIcon = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    m_hPlayIcon = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(IDI_PLAY), IMAGE_ICON, 32, 32, 0));
    // Alt and a letter choose a mode or press a button from anywhere, as the Linux dialog's do.
    std::vector<ACCEL> shortcuts;
    for (const Win32Control& control : MainDialogTemplate().controls) {
        if (const WORD key = ShortcutKey(control.shortcut))
            shortcuts.push_back({FALT | FVIRTKEY, key, static_cast<WORD>(control.id)});
    }
    m_hShortcuts = CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size()));

    const std::vector<DWORD> dialogTemplate = BuildDialogTemplate(MainDialogTemplate());
    // Modeless with a loop of its own, so that every message passes PreTranslateMessage first.
    m_hWnd = CreateDialogIndirectParamW(hInstance, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), nullptr,
                                        DialogProc, reinterpret_cast<LPARAM>(this));
    if (m_hWnd == nullptr)
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslateMessage(msg))
            continue;
        if (!IsDialogMessageW(m_hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (HWND hFocus = GetFocus(); hFocus != nullptr && IsChild(m_hWnd, hFocus))
            m_hLastFocus = hFocus;
    }
    return 0;
}

INT_PTR CALLBACK CCorvaneDlg::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* pDlg = reinterpret_cast<CCorvaneDlg*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        pDlg->m_hWnd = hWnd;
    }
    auto* pDlg = reinterpret_cast<CCorvaneDlg*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    return pDlg != nullptr ? pDlg->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CCorvaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (OnCreate() != 0)
            return FALSE;
        return OnInitDialog();
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnHScroll(reinterpret_cast<HWND>(lParam));
        return FALSE;  // and the default scroll handling
    case WM_SETFOCUS:
        // The dialog itself gets the focus when it is activated, back from a box or the file
        // dialog too: the control that had it gets it again. The default would give it to
        // the first control, or, while Play is parked, to the next button.
        if (m_hLastFocus == nullptr)
            return FALSE;
        if (IsWindow(m_hLastFocus) && IsWindowEnabled(m_hLastFocus))
            SetFocus(m_hLastFocus);
        return TRUE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_APP_PLAY_ENDED: {
        Status outcome;
        if (wParam != 0) {
            std::lock_guard lock(m_reportMutex);
            outcome = m_playOutcome;
        }
        OnPlayEnded(outcome);
        return TRUE;
    }
    case WM_APP_DEVICE_CHECKED: {
        Status device;
        {
            std::lock_guard lock(m_reportMutex);
            device = m_deviceReport;
        }
        OnDeviceChecked(device);
        return TRUE;
    }
    case WM_APP_START_CHECK:
        CheckPlaybackDevice([hWnd = m_hWnd, this](const Status& device) {
            {
                std::lock_guard lock(m_reportMutex);
                m_deviceReport = device;
            }
            PostMessageW(hWnd, WM_APP_DEVICE_CHECKED, 0, 0);
        });
        return TRUE;
    case WM_APP_SHOW_DEVICE_PROBLEM:
        ShowFailure(m_deviceStatus.Message() + "\n再生はできません。Wave保存はできます。");
        return TRUE;
    default:
        return FALSE;
    }
}

bool CCorvaneDlg::PreTranslateMessage(MSG& msg)
{
    // Enter presses no default button and Escape does not close the dialog. Only keys meant
    // for this window: a dropped list or a message box keeps its own.
    const bool bOurs = msg.hwnd == m_hWnd || IsChild(m_hWnd, msg.hwnd);
    if (!bOurs)
        return false;
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE))
        return true;
    return TranslateAcceleratorW(m_hWnd, m_hShortcuts, &msg) != 0;
}

void CCorvaneDlg::DoDataExchange(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_nInfoKind = IsDlgButtonChecked(m_hWnd, IDC_RADIO_NUMBER) == BST_CHECKED   ? 0
                      : IsDlgButtonChecked(m_hWnd, IDC_RADIO_REASON) == BST_CHECKED ? 1
                                                                                    : -1;
        m_nReason = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_REASON, CB_GETCURSEL, 0, 0));
        m_nAmplitude = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_AMPLITUDE, CB_GETCURSEL, 0, 0));
        return;
    }
    CheckDlgButton(m_hWnd, IDC_RADIO_NUMBER, m_nInfoKind == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_RADIO_REASON, m_nInfoKind == 1 ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(m_hWnd, IDC_REASON, CB_SETCURSEL, static_cast<WPARAM>(m_nReason), 0);
    SendDlgItemMessageW(m_hWnd, IDC_AMPLITUDE, CB_SETCURSEL, static_cast<WPARAM>(m_nAmplitude), 0);
}

int CCorvaneDlg::OnCreate()
{
    CORVANE_TRACE("WM_CREATE");
    // The completion notice comes on an audio thread: it only posts, and not at all once the
    // reset of the dialog's destruction has begun (dwUser 1). The device is checked once the
    // window is up, so that a slow sound driver never keeps the operator waiting for it.
    m_deviceStatus = OpenPlaybackUnchecked([hWnd = m_hWnd, this](long dwUser, const Status& outcome) {
        if (dwUser != 0)
            return;
        if (!outcome.IsOk()) {  // only from the watchdog's thread; winmm's gives success
            std::lock_guard lock(m_reportMutex);
            m_playOutcome = outcome;
        }
        PostMessageW(hWnd, WM_APP_PLAY_ENDED, outcome.IsOk() ? 0 : 1, 0);
    });
    m_bDeviceChecked = !m_deviceStatus.IsOk();  // no buffer: nothing to check
    return 0;
}

bool CCorvaneDlg::OnInitDialog()
{
    for (const Win32List& list : MainDialogTemplate().lists) {
        for (const wchar_t* pszItem : list.items)
            SendDlgItemMessageW(m_hWnd, list.id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszItem));
    }
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    SendDlgItemMessageW(m_hWnd, IDC_PLAY, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_hPlayIcon));
    SetDlgItemTextW(m_hWnd, IDC_NUMBER, L"");

    m_ctlVolume = GetDlgItem(m_hWnd, IDC_VOLUME);
    SendMessageW(m_ctlVolume, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    SendMessageW(m_ctlVolume, TBM_SETPOS, TRUE, kInitialVolume);
    ApplyVolume(kInitialVolume);

    m_nReason = 0;
    m_nInfoKind = 0;
    m_nAmplitude = kInitialAmplitudeStep;
    DoDataExchange(false);
    UpdateInputEnables();
    FitTextToControls();
    AddTooltips();
    AnnotateAccessibility(m_hWnd, MainDialogTemplate());
    SetPlayState(m_bDeviceChecked ? PlayState::NoDevice : PlayState::Checking);
    PostMessageW(m_hWnd, m_bDeviceChecked ? WM_APP_SHOW_DEVICE_PROBLEM : WM_APP_START_CHECK, 0, 0);
    SetFocus(GetDlgItem(m_hWnd, IDC_NUMBER));  // the first tab stop
    return FALSE;
}

void CCorvaneDlg::OnPaint()
{
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(m_hWnd, &paint);
    if (IsIconic(m_hWnd)) {
        SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
        RECT client;
        GetClientRect(m_hWnd, &client);
        const int cx = GetSystemMetrics(SM_CXICON);
        const int cy = GetSystemMetrics(SM_CYICON);
        DrawIcon(hdc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, m_hIcon);
    }
    EndPaint(m_hWnd, &paint);
}

void CCorvaneDlg::OnDestroy()
{
    CORVANE_TRACE("WM_DESTROY");
    ClosePlayback();
    PostQuitMessage(0);
}

void CCorvaneDlg::OnCommand(int id, int code)
{
    // A command from the keyboard shortcuts arrives with code 1.
    if (code == 1) {
        OnShortcut(id);
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_PLAY:
        OnPlay();
        break;
    case IDC_RADIO_NUMBER:
    case IDC_RADIO_REASON:
        UpdateInputEnables();
        break;
    case IDC_SAVE_WAVE:
        OnSaveWave();
        break;
    case IDC_EXIT:
        OnExit();
        break;
    default:  // IDOK and IDCANCEL, which Enter and Escape would give, do nothing
        break;
    }
}

void CCorvaneDlg::OnPlay()
{
    SendSignal(ComposeMode::Play);
}

void CCorvaneDlg::OnSaveWave()
{
    SendSignal(ComposeMode::Save);
}

void CCorvaneDlg::OnHScroll(HWND hControl)
{
    if (hControl == m_ctlVolume)
        ApplyVolume(static_cast<int>(SendMessageW(m_ctlVolume, TBM_GETPOS, 0, 0)));
}

void CCorvaneDlg::OnShortcut(int id)
{
    HWND hControl = GetDlgItem(m_hWnd, id);
    if (!IsWindowEnabled(hControl))
        return;
    if (id == IDC_RADIO_NUMBER || id == IDC_RADIO_REASON) {
        // A mode chosen from the keyboard takes the keyboard on to its input.
        CheckRadioButton(m_hWnd, IDC_RADIO_NUMBER, IDC_RADIO_REASON, id);
        UpdateInputEnables();
        SetFocus(GetDlgItem(m_hWnd, id == IDC_RADIO_NUMBER ? IDC_NUMBER : IDC_REASON));
        return;
    }
    // As a click, but without the click's moving the focus to the button.
    OnCommand(id, BN_CLICKED);
}

void CCorvaneDlg::OnExit()
{
    if (!AskExit())
        return;
    m_bEnding = true;
    DestroyWindow(m_hWnd);
}

void CCorvaneDlg::OnClose()
{
    if (m_bEnding || AskExit()) {
        m_bEnding = true;
        DestroyWindow(m_hWnd);
    }
}

void CCorvaneDlg::OnPlayEnded(const Status& outcome)
{
    SetPlayState(PlayState::Ready);
    // A play that did not go out whole must never pass for one that did.
    if (!outcome.IsOk())
        ShowFailure(outcome.Message());
}

void CCorvaneDlg::OnDeviceChecked(const Status& device)
{
    m_deviceStatus = device;
    m_bDeviceChecked = true;
    SetPlayState(device.IsOk() ? PlayState::Ready : PlayState::NoDevice);
    if (!device.IsOk())
        PostMessageW(m_hWnd, WM_APP_SHOW_DEVICE_PROBLEM, 0, 0);
}

void CCorvaneDlg::SetPlayState(PlayState state)
{
    HWND hPlay = GetDlgItem(m_hWnd, IDC_PLAY);
    m_bPlayPending = state == PlayState::Playing;
    switch (state) {
    case PlayState::Ready:
        SetTooltip(IDC_PLAY, L"");
        EnableWindow(hPlay, TRUE);
        // A keyboard Play parked the focus on the dialog; give it back unless the operator moved on.
        if (m_bPlayHadFocus && (GetFocus() == nullptr || GetFocus() == m_hWnd))
            SetFocus(hPlay);
        m_bPlayHadFocus = false;
        return;
    case PlayState::Playing:
        SetTooltip(IDC_PLAY, L"再生中です。終わるとまた押せます。");
        break;
    case PlayState::Checking:
        SetTooltip(IDC_PLAY, L"音声出力デバイスを確かめています。");
        break;
    case PlayState::NoDevice:
        SetTooltip(IDC_PLAY, L"音声出力デバイスを開けないため、再生できません。");
        break;
    }
    // The dialog itself holds the focus meanwhile, where keys do nothing: handed on, it would
    // reach Wave保存, and the next Space would open the save dialog.
    m_bPlayHadFocus = GetFocus() == hPlay;
    EnableWindow(hPlay, FALSE);
    if (m_bPlayHadFocus)
        SetFocus(m_hWnd);
}

void CCorvaneDlg::UpdateInputEnables()
{
    DoDataExchange(true);
    EnableWindow(GetDlgItem(m_hWnd, IDC_NUMBER), m_nInfoKind == 0);
    EnableWindow(GetDlgItem(m_hWnd, IDC_REASON), m_nInfoKind != 0);
}

void CCorvaneDlg::SendSignal(ComposeMode mode)
{
    DoDataExchange(true);
    const std::optional<int> amplitude = AmplitudeFromStep(m_nAmplitude);
    if (!amplitude)
        return;
    iWaveFormValue = *amplitude;
    CORVANE_TRACE("iWaveFormValue = %d", iWaveFormValue);

    HWND hNumber = GetDlgItem(m_hWnd, IDC_NUMBER);
    std::wstring number(static_cast<std::size_t>(GetWindowTextLengthW(hNumber)) + 1, L'\0');
    number.resize(static_cast<std::size_t>(GetWindowTextW(hNumber, number.data(), static_cast<int>(number.size()))));
    // The wide text goes to code page 932 through UTF-8, as every platform's number does.
    NotificationRequest request;
    const RequestProblem problem = MakeDialogRequest(m_nInfoKind, WideToUtf8(number), m_nReason, request);
    if (problem != RequestProblem::None) {
        if (const std::string message = DialogMessage(problem); !message.empty())
            ShowMessage(Utf8ToWide(message), 0);
        return;
    }

    if (mode == ComposeMode::Save)
        SaveRequest(request);
    else
        PlayRequest(request);
}

void CCorvaneDlg::PlayRequest(const NotificationRequest& request)
{
    SampleBuffer* pBuffer = PlaybackBuffer();
    if (pBuffer == nullptr || m_bPlayPending)
        return;
    const ComposeOutcome outcome = ComposeSignal(ComposeMode::Play, {}, request, *pBuffer,
                                                 [this](const std::string& text) { SetFrameText(text); });
    if (!outcome.status.IsOk()) {
        ShowFailure(outcome.status.Message());
        return;
    }
    SetPlayState(PlayState::Playing);
    const Status status = PlaySignal(outcome.Offset);
    if (!status.IsOk())
        OnPlayEnded(status);
}

void CCorvaneDlg::SaveRequest(const NotificationRequest& request)
{
    // Room for paths longer than MAX_PATH, which the save takes.
    std::wstring path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = L"Wave File(*.wav)\0*.wav\0All files(*.*)\0*.*\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = m_strSaveFolder.empty() ? nullptr : m_strSaveFolder.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_NOCHANGEDIR;
    bool bChosen = false;
    {
        const FocusKeeper focus;
        bChosen = GetSaveFileNameW(&dialog) != FALSE;
    }
    if (!bChosen)
        return;
    path.resize(std::wcslen(path.c_str()));
    m_strSaveFolder = path.substr(0, dialog.nFileOffset);
    SampleBuffer* pBuffer = BufferForSave();
    if (pBuffer == nullptr) {
        ShowFailure("音声バッファを確保できません");
        return;
    }
    const ComposeOutcome outcome = ComposeSignal(
        ComposeMode::Save, WideToUtf8(path), request, *pBuffer, [this](const std::string& text) { SetFrameText(text); },
        SaveFileSafely);
    if (!outcome.status.IsOk())
        ShowFailure(outcome.status.Message());
}

SampleBuffer* CCorvaneDlg::BufferForSave()
{
    // While a play is pending the playback buffer belongs to the device and must not change.
    if (!m_bPlayPending && PlaybackBuffer() != nullptr)
        return PlaybackBuffer();
    if (!m_pSaveBuffer)
        m_pSaveBuffer.reset(new (std::nothrow) SampleBuffer);
    return m_pSaveBuffer.get();
}

void CCorvaneDlg::SetFrameText(const std::string& text)
{
    SetDlgItemTextA(m_hWnd, IDC_FRAME_TEXT, text.c_str());  // hexadecimal digits and spaces only
}

void CCorvaneDlg::ShowMessage(const std::wstring& text, UINT icon)
{
    const FocusKeeper focus;
    MessageBoxW(m_hWnd, text.c_str(), Caption(), MB_OK | icon);
}

void CCorvaneDlg::ShowFailure(const std::string& utf8)
{
    ShowMessage(Utf8ToWide(utf8), MB_ICONWARNING);
}

bool CCorvaneDlg::AskExit()
{
    const FocusKeeper focus;
    return MessageBoxW(m_hWnd, L"終了しますか?", Caption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDNO;
}

}  // namespace corvane
