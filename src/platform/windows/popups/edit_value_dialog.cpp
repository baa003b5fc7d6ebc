#include "platform/windows/popups/edit_value_dialog.h"

#include "core/core_state.h"
#include "platform/windows/resources/resource.h"

char g_editValueBuffer[kEditValueBufferSize] = "";
char g_editValueTitle[kEditValueTitleSize] = "Edit value";

namespace {

// What OK may read back: the control's text and its terminator in 2047 bytes.
constexpr int kEditReadCapacity = kEditValueBufferSize - 1;

void OnInitDialog(HWND dialog) {
    // The buffers are written by other code: never let a missing terminator run past them.
    g_editValueBuffer[kEditValueBufferSize - 1] = '\0';
    g_editValueTitle[kEditValueTitleSize - 1] = '\0';
    SetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, g_editValueBuffer);
    SetWindowTextA(dialog, g_editValueTitle);
    SetFocus(GetDlgItem(dialog, IDC_EDIT_VALUE_TEXT));
}

void ReadEditedText(HWND dialog) {
    if (GetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, g_editValueBuffer, kEditReadCapacity) == 0)
        g_editValueBuffer[0] = '\0';
}

}  // namespace

INT_PTR CALLBACK QVI_EditValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;  // the focus is set already
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            ReadEditedText(dialog);
            EndDialog(dialog, static_cast<INT_PTR>(wParam));
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, static_cast<INT_PTR>(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR QVI_RunEditValueDialog(HINSTANCE instance, bool multiline) {
    if (!instance) instance = GetModuleHandleA(nullptr);
    const int templateId = multiline ? IDD_EDIT_VALUE_MULTILINE : IDD_EDIT_VALUE;
    HWND owner = g_core.mainWindow;
    if (owner && !IsWindow(owner)) owner = nullptr;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, QVI_EditValueDialogProc, 0);
}
