#pragma once
// Ids of the executable's resources, shared by quaven.rc and the code that loads them.
// Plain #defines only: the resource compiler reads this file too.

// The application icon group: the window's large and small icon.
#define IDI_QUAVEN_ICON 102

// The value-editing dialog: one-line template (Enter presses OK) and multi-line template
// (Enter starts a new line).
#define IDD_EDIT_VALUE 104
#define IDD_EDIT_VALUE_MULTILINE 105

// The edit control of both value-editing templates.
#define IDC_EDIT_VALUE_TEXT 1001
