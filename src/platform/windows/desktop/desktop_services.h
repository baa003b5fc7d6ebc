#pragma once

#include "core/engine_string.h"

// What the desktop offers the engine beside its window: the mouse cursor, the clipboard and
// the accounts event. Main thread only (the thread of the main window), except the
// accounts event.

// Fills the cursor table with the named system cursors: "ARROW", "FINGER_POINT", "IBEAM",
// "WAIT", "CROSS", "UPARROW", "SIZE_DIAGONAL_DOWN", "SIZE_DIAGONAL_UP", "SIZE_HORIZONTAL",
// "SIZE_VERTICAL", "SIZE_ALL", "NO", "HELP", each cursor loaded when first shown. WinMain
// calls it once the core is initialised.
void QVI_InitCursors();

// API member SetMouseCursor. Null, "NULL" or the hide-cursor flag hide the cursor; a
// listed name (exact case) shows its cursor; any other name shows the arrow.
void QV_SetMouseCursor(const char* name);

// The debug feature HIDE_CURSOR, read at pre-initialisation: every cursor request then
// hides the cursor.
void QVI_SetHideCursor(bool hide);

// The clipboard's text (CF_TEXT), read for the main window; the empty text when there is
// none or the clipboard cannot be read. Never a null text (unless out of memory).
String QVI_GetClipboardText();

// Queues EVENT_ACCOUNTS with value at bytes 8-11 (1 after pairing a gamepad, 0 after
// logging out); any time, also before core initialisation has finished.
void QVI_PostAccountsEvent(int value);
