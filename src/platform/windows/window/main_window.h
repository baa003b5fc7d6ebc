#pragma once

#include "platform/windows/win32.h"

#include <cstdint>

// The engine's one top-level window, of the class "QuavenWindowClass", its procedure and the
// main thread's loop between the window and the engine. Its handle is g_core.mainWindow,
// null while there is none. Main thread only.

extern const char kMainWindowClassName[];

// Creates and shows the window for the window video mode, titled with the program's
// title. True when the window exists afterwards (also when it already existed); false,
// after logging "! Quaven FAILED to Create Window.", when it could not be made.
bool QVI_CreateMainWindow();

// Destroys the window, if any, after clearing its handle. The window procedure then posts
// WM_QUIT, which ends the current pass of message pumping.
void QVI_DestroyMainWindow();

// Where the main window goes and how it looks for a client area of a given size.
struct WindowPlacement {
    int x;        // outer top-left corner, screen pixels
    int y;
    int width;    // outer size
    int height;
    uint32_t style;
    uint32_t extendedStyle;
};

// Full screen: a popup at (0, 0). Windowed: a captioned window centred on the screen, or
// a popup when the client area would not fit inside the desktop (desktop size from the
// window's video mode). The outer size is the client size grown by the frame. Answers out.
WindowPlacement* QVI_CalcWindowPlacement(int clientWidth, int clientHeight, WindowPlacement* out, bool windowed);

// Whether the main window is active (shown, focused and not minimised). Written only by
// the window procedure's activation handling; clear until the first activation, so the
// message loop idles until the window has really come to the front.
bool QVI_IsMainWindowActive();
void QVI_SetMainWindowActive(bool active);

// The module instance WinMain received; the dialogs of the platform commands are created
// from it. Null until WinMain keeps it.
void QVI_SetPlatformInstance(HINSTANCE instance);
HINSTANCE QVI_GetPlatformInstance();

// The main window's procedure: turns keyboard, mouse, wheel, activation, size, close and
// file-drop messages into engine events and key-state updates. Runs on the main thread
// inside the message pump, between frames, outside the MAIN_LOOP lock.
LRESULT CALLBACK QVI_WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Takes and dispatches the messages waiting for this thread's windows without ever
// waiting for one. A WM_QUIT (or a failing GetMessageA) ends this pass of pumping; the
// messages still waiting are taken by the next pass.
void QVI_PumpWindowMessages();

// Until the quit flag is found set after a frame: pump the messages, run one engine frame
// (the engine's frame function, given by the entry point that composes the engine), and idle
// 15 ms when the window is not active.
void QVI_RunMessageLoop(void (*runFrame)());
