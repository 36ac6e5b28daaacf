// SPDX-License-Identifier: MIT
// The dialog's template as the Windows build carries it: a table made at build time from
// res/main_dialog.json, turned into a DLGTEMPLATEEX in memory when the dialog is created.
#pragma once

#include <windows.h>

#include <vector>

namespace corvane {

struct Win32Control {
    int id;            // -1 for a control without id
    const char* kind;  // radio, groupbox, edit, droplist, iconbutton, button, trackbar, static, statusline
    const wchar_t* text;
    const char* icon;  // an IDI_ name for an iconbutton, else ""
    RECT rect;         // left, top, width, height in dialog units
    bool bGroup;
    bool bTabStop;
    // What assistive technologies read out for the control, in the dialog's language.
    const wchar_t* accessibleName;
    const wchar_t* accessibleDescription;
    const char* shortcut;  // such as "Alt+P", or ""
    const char* buddy;     // for a label: the IDC_ name of the control it names, or ""
};

struct Win32List {
    int id;
    std::vector<const wchar_t*> items;
};

struct Win32DialogTemplate {
    const wchar_t* caption;
    const wchar_t* fontFace;
    int fontPoints;
    int cx;  // client area, dialog units
    int cy;
    std::vector<Win32Control> controls;  // template and tab order
    std::vector<Win32List> lists;        // initial items by control id
};

// The main dialog's template.
const Win32DialogTemplate& MainDialogTemplate();

// The template as DialogBoxIndirect and CreateDialogIndirect take it: a DLGTEMPLATEEX with one
// DLGITEMTEMPLATEEX for each control, in DWORD-aligned storage.
std::vector<DWORD> BuildDialogTemplate(const Win32DialogTemplate& dialog);

// Gives each of the dialog's controls with an id the accessible name and description of its
// template, where the system offers dynamic annotation (not under wine); call once it exists.
void AnnotateAccessibility(HWND hDialog, const Win32DialogTemplate& dialog);

}  // namespace corvane
