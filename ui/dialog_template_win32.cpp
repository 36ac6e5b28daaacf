// SPDX-License-Identifier: MIT
#include "dialog_template_win32.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <string_view>

namespace corvane {

namespace {

// Appends to a byte image that is later copied into DWORD-aligned storage.
class TemplateWriter {
public:
    void Word(WORD value) { Raw(&value, sizeof value); }
    void Dword(DWORD value) { Raw(&value, sizeof value); }
    void Text(const wchar_t* pszText)
    {
        const wchar_t* psz = pszText != nullptr ? pszText : L"";
        Raw(psz, (std::wcslen(psz) + 1) * sizeof(wchar_t));
    }
    void AlignToDword()
    {
        while (m_bytes.size() % 4 != 0)
            m_bytes.push_back(0);
    }
    std::vector<DWORD> Dwords() const
    {
        std::vector<DWORD> dwords((m_bytes.size() + 3) / 4);
        std::memcpy(dwords.data(), m_bytes.data(), m_bytes.size());
        return dwords;
    }

private:
    void Raw(const void* pData, std::size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(pData);
        m_bytes.insert(m_bytes.end(), p, p + size);
    }
    std::vector<unsigned char> m_bytes;
};

const wchar_t* ControlClass(std::string_view kind)
{
    if (kind == "edit")
        return L"EDIT";
    if (kind == "droplist")
        return L"COMBOBOX";
    if (kind == "trackbar")
        return TRACKBAR_CLASSW;
    if (kind == "static")
        return L"STATIC";
    return L"BUTTON";  // radio, groupbox, iconbutton, button; the status line is an edit of its own
}

// The window styles a control of the template is created with, beyond WS_CHILD | WS_VISIBLE.
DWORD ControlStyle(const Win32Control& control)
{
    const std::string_view kind = control.kind;
    DWORD style = (control.bGroup ? WS_GROUP : 0) | (control.bTabStop ? WS_TABSTOP : 0);
    if (kind == "radio")
        style |= BS_AUTORADIOBUTTON;
    else if (kind == "groupbox")
        style |= BS_GROUPBOX;
    else if (kind == "edit")
        style |= ES_AUTOHSCROLL | WS_BORDER;
    else if (kind == "droplist")
        style |= CBS_DROPDOWNLIST | WS_VSCROLL;
    else if (kind == "iconbutton")
        style |= BS_PUSHBUTTON | BS_ICON;
    else if (kind == "button")
        style |= BS_PUSHBUTTON;
    else if (kind == "trackbar")
        style |= TBS_HORZ | TBS_NOTICKS | TBS_BOTH;
    else if (kind == "statusline")  // read-only, so the frame can be selected and copied
        style |= ES_LEFT | ES_MULTILINE | ES_READONLY;
    else
        style |= SS_LEFT;
    return style;
}

}  // namespace

const Win32DialogTemplate& MainDialogTemplate()
{
    static const Win32DialogTemplate dialog =
#include "main_dialog_template.inc"
        ;
    return dialog;
}

std::vector<DWORD> BuildDialogTemplate(const Win32DialogTemplate& dialog)
{
    TemplateWriter out;
    // DLGTEMPLATEEX: a visible pop-up with caption, system menu, minimise box and modal frame,
    // in the task bar, in the template's face.
    out.Word(1);
    out.Word(0xFFFF);
    out.Dword(0);  // help id
    out.Dword(WS_EX_APPWINDOW);
    out.Dword(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT);
    out.Word(static_cast<WORD>(dialog.controls.size()));
    out.Word(0);
    out.Word(0);
    out.Word(static_cast<WORD>(dialog.cx));
    out.Word(static_cast<WORD>(dialog.cy));
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(dialog.caption);
    out.Word(static_cast<WORD>(dialog.fontPoints));
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, SHIFTJIS_CHARSET));  // italic, character set
    out.Text(dialog.fontFace);
    for (const Win32Control& control : dialog.controls) {
        out.AlignToDword();
        out.Dword(0);  // help id
        const bool bStatusLine = std::string_view(control.kind) == "statusline";
        out.Dword(bStatusLine ? WS_EX_STATICEDGE : 0);
        out.Dword(WS_CHILD | WS_VISIBLE | ControlStyle(control));
        out.Word(static_cast<WORD>(control.rect.left));
        out.Word(static_cast<WORD>(control.rect.top));
        out.Word(static_cast<WORD>(control.rect.right));
        out.Word(static_cast<WORD>(control.rect.bottom));
        out.Dword(static_cast<DWORD>(control.id));
        out.Text(bStatusLine ? L"EDIT" : ControlClass(control.kind));
        out.Text(control.text);
        out.Word(0);  // no creation data
    }
    return out.Dwords();
}

}  // namespace corvane
