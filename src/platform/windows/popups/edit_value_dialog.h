#pragma once
// The modal value-editing dialog (templates IDD_EDIT_VALUE and IDD_EDIT_VALUE_MULTILINE):
// the value-editing platform commands fill the edit and title buffers, run the dialog,
// and read the edited text back from the edit buffer. Main thread only.

#include "platform/windows/win32.h"

constexpr int kEditValueBufferSize = 2048;
constexpr int kEditValueTitleSize = 512;

// The text shown in the edit control and, after OK, the text the person entered.
extern char g_editValueBuffer[kEditValueBufferSize];
// The dialog's title; "Edit value" until a command sets it.
extern char g_editValueTitle[kEditValueTitleSize];

// The dialog procedure of both templates. OK copies the edit control into the edit buffer;
// Cancel (also Esc and the close box) leaves the buffer as it was.
INT_PTR CALLBACK QVI_EditValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally, owned by the main window. instance is the module holding the
// templates (null: the executable). Answers the dialog's result: 1 OK, 2 Cancel, -1 when
// it could not be shown.
INT_PTR QVI_RunEditValueDialog(HINSTANCE instance, bool multiline);
