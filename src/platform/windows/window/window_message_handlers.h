#pragma once

#include <windows.h>
#include <shellapi.h>

// The window procedure's handlers, one family of messages each. Every handler answers
// the message's result; the ones that pass a message on call DefWindowProcA themselves.

// Keyboard.
LRESULT QVI_OnKeyMessage(UINT message, WPARAM wParam);
LRESULT QVI_OnCharacterMessage(WPARAM wParam);
LRESULT QVI_OnSystemKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Mouse.
void QVI_OnMouseMove(LPARAM lParam);
void QVI_OnMouseButton(UINT message, WPARAM wParam, LPARAM lParam);
void QVI_OnMouseWheel(WPARAM wParam);

// Focus and window state.
void QVI_OnActivate(WPARAM wParam);
LRESULT QVI_OnClose();
// WM_DESTROY: posts WM_QUIT; a main window that goes without the engine asking ends the run.
LRESULT QVI_OnDestroy(HWND window);
// A maximised window is restored and asks for full screen at its size instead.
void QVI_OnMaximize(HWND window, LPARAM lParam);

// Asks the API member ReinitializeWithParameters for the current video parameters with
// the windowed byte set to windowed.
void QVI_RequestWindowedMode(bool windowed);
// The windowed byte of the current video parameters.
bool QVI_IsCurrentModeWindowed();

// A file dropped on the window (developer mode only).
LRESULT QVI_OnDropFiles(HDROP drop);
