// SPDX-License-Identifier: MIT
#include "corvane_dlg_win32.h"

#include "dialog_template_win32.h"
#include "resource.h"

#include "base/wide_text.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace corvane {

namespace {

// Posted to the dialog: a task another thread handed over (the audio layer's threads may not
// touch a window), and the device check's start once the window is up.
constexpr UINT WM_APP_RUN = WM_APP + 1;
constexpr UINT WM_APP_START_CHECK = WM_APP + 2;

// The key of a template shortcut such as "Alt+P": the letter's virtual key, or 0.
WORD ShortcutKey(const char* pszShortcut)
{
    const std::string shortcut = pszShortcut;
    return shortcut.size() == 5 && shortcut.rfind("Alt+", 0) == 0 ? static_cast<WORD>(shortcut[4]) : 0;
}

}  // namespace

CCorvaneDlg::CCorvaneDlg() : m_controller(*this) {}

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
    case WM_APP_RUN: {
        std::function<void()> task;
        {
            std::lock_guard lock(m_postedMutex);
            if (m_posted.empty())
                return TRUE;
            task = std::move(m_posted.front());
            m_posted.pop_front();
        }
        task();
        return TRUE;
    }
    case WM_APP_START_CHECK:
        m_controller.StartDeviceCheck();
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
    if (msg.message == WM_KEYDOWN && CDialogController::SwallowsKey(msg.wParam == VK_RETURN   ? DialogKey::Enter
                                                                    : msg.wParam == VK_ESCAPE ? DialogKey::Escape
                                                                                              : DialogKey::Other))
        return true;
    return TranslateAcceleratorW(m_hWnd, m_hShortcuts, &msg) != 0;
}

void CCorvaneDlg::DoDataExchange(bool bSaveAndValidate, DialogFields& fields)
{
    if (bSaveAndValidate) {
        fields.nInfoKind = IsDlgButtonChecked(m_hWnd, IDC_RADIO_NUMBER) == BST_CHECKED   ? 0
                           : IsDlgButtonChecked(m_hWnd, IDC_RADIO_REASON) == BST_CHECKED ? 1
                                                                                         : -1;
        fields.nReason = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_REASON, CB_GETCURSEL, 0, 0));
        fields.nAmplitude = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_AMPLITUDE, CB_GETCURSEL, 0, 0));
        return;
    }
    CheckDlgButton(m_hWnd, IDC_RADIO_NUMBER, fields.nInfoKind == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_RADIO_REASON, fields.nInfoKind == 1 ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(m_hWnd, IDC_REASON, CB_SETCURSEL, static_cast<WPARAM>(fields.nReason), 0);
    SendDlgItemMessageW(m_hWnd, IDC_AMPLITUDE, CB_SETCURSEL, static_cast<WPARAM>(fields.nAmplitude), 0);
}

int CCorvaneDlg::OnCreate()
{
    return m_controller.OnCreate();
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
    m_ctlVolume = GetDlgItem(m_hWnd, IDC_VOLUME);
    FitTextToControls();
    AddTooltips();
    AnnotateAccessibility(m_hWnd, MainDialogTemplate());
    m_controller.OnInitDialog();
    // The window shows as soon as its messages run: a device problem known already is said then,
    // and otherwise the device is checked then.
    m_controller.OnShown();
    PostMessageW(m_hWnd, WM_APP_START_CHECK, 0, 0);
    return FALSE;  // the controller has set the focus
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
    m_controller.OnDestroy();
    PostQuitMessage(0);
}

void CCorvaneDlg::OnCommand(int id, int code)
{
    // A command from the keyboard shortcuts arrives with code 1.
    if (code == 1) {
        m_controller.OnShortcut(id);
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_PLAY:
        m_controller.OnPlay();
        break;
    case IDC_RADIO_NUMBER:
    case IDC_RADIO_REASON:
        m_controller.OnModeChanged();
        break;
    case IDC_SAVE_WAVE:
        m_controller.OnSaveWave();
        break;
    case IDC_EXIT:
        m_controller.OnExit();
        break;
    default:  // IDOK and IDCANCEL, which Enter and Escape would give, do nothing
        break;
    }
}

void CCorvaneDlg::OnHScroll(HWND hControl)
{
    if (hControl == m_ctlVolume)
        m_controller.OnVolume(static_cast<int>(SendMessageW(m_ctlVolume, TBM_GETPOS, 0, 0)));
}

void CCorvaneDlg::OnClose()
{
    if (m_controller.OnClose())
        DestroyWindow(m_hWnd);
}

std::string CCorvaneDlg::NumberText() const
{
    HWND hNumber = GetDlgItem(m_hWnd, IDC_NUMBER);
    std::wstring number(static_cast<std::size_t>(GetWindowTextLengthW(hNumber)) + 1, L'\0');
    number.resize(static_cast<std::size_t>(GetWindowTextW(hNumber, number.data(), static_cast<int>(number.size()))));
    // The wide text goes to code page 932 through UTF-8, as every platform's number does.
    return WideToUtf8(number);
}

void CCorvaneDlg::SetText(int id, const std::string& text)
{
    SetDlgItemTextW(m_hWnd, id, Utf8ToWide(text).c_str());
}

void CCorvaneDlg::SetVolume(int position)
{
    SendMessageW(m_ctlVolume, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    SendMessageW(m_ctlVolume, TBM_SETPOS, TRUE, position);
}

void CCorvaneDlg::Enable(int id, bool bEnabled, bool bParkFocus)
{
    EnableWindow(GetDlgItem(m_hWnd, id), bEnabled ? TRUE : FALSE);
    // Parked after: while the control is enabled the dialog would hand the focus straight back.
    if (bParkFocus)
        SetFocus(m_hWnd);
}

bool CCorvaneDlg::HasFocus(int id) const
{
    return GetFocus() == GetDlgItem(m_hWnd, id);
}

bool CCorvaneDlg::FocusIsParked() const
{
    return GetFocus() == nullptr || GetFocus() == m_hWnd;
}

void CCorvaneDlg::Focus(int id, bool)
{
    SetFocus(GetDlgItem(m_hWnd, id));
}

void CCorvaneDlg::Close()
{
    DestroyWindow(m_hWnd);
}

void CCorvaneDlg::Post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_postedMutex);
        m_posted.push_back(std::move(task));
    }
    PostMessageW(m_hWnd, WM_APP_RUN, 0, 0);
}

}  // namespace corvane
