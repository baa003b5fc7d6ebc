#pragma once

// The engine's one top-level window, of the class "QuavenWindowClass". Its handle is
// g_core.mainWindow, null while there is none. Main thread only.

// Creates and shows the window for the window video mode, titled with the program's
// title. True when the window exists afterwards (also when it already existed); false,
// after logging "! Quaven FAILED to Create Window.", when it could not be made.
bool QVI_CreateMainWindow();

// Destroys the window, if any, after clearing its handle. The window procedure then posts
// WM_QUIT, which ends the current pass of message pumping.
void QVI_DestroyMainWindow();

extern const char kMainWindowClassName[];
