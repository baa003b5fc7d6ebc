#pragma once

// The mouse cursor, chosen by name. Main thread only (the thread of the main window).

// Fills the cursor table with the named system cursors: "ARROW", "FINGER_POINT", "IBEAM",
// "WAIT", "CROSS", "UPARROW", "SIZE_DIAGONAL_DOWN", "SIZE_DIAGONAL_UP", "SIZE_HORIZONTAL",
// "SIZE_VERTICAL", "SIZE_ALL", "NO", "HELP". WinMain calls it once the core is initialised.
void QVI_InitCursors();

// API member SetMouseCursor. Null, "NULL" or the hide-cursor flag hide the cursor; a
// listed name (exact case) shows its cursor; any other name shows the arrow.
void QV_SetMouseCursor(const char* name);

// The debug feature HIDE_CURSOR, read at pre-initialisation: every cursor request then
// hides the cursor.
void QVI_SetHideCursor(bool hide);
