// SPDX-License-Identifier: MIT
// The names and descriptions screen readers read for the dialog's controls, as the template
// gives them, through Microsoft Active Accessibility's dynamic annotation.
#include "dialog_template_win32.h"

#include <initguid.h>  // the annotation service's class and interface ids, defined here

#include <oleacc.h>

namespace corvane {

void AnnotateAccessibility(HWND hDialog, const Win32DialogTemplate& dialog)
{
    IAccPropServices* pServices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&pServices))))
        return;  // a reader then takes each control's own text or its label's
    for (const Win32Control& control : dialog.controls) {
        HWND hControl = control.id != -1 ? GetDlgItem(hDialog, control.id) : nullptr;
        if (hControl == nullptr)
            continue;
        if (control.accessibleName != nullptr)
            pServices->SetHwndPropStr(hControl, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, control.accessibleName);
        if (control.accessibleDescription != nullptr)
            pServices->SetHwndPropStr(hControl, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                      control.accessibleDescription);
    }
    pServices->Release();
}

}  // namespace corvane
