#pragma once

#include "platform/windows/win32.h"

// The main window's procedure: turns keyboard, mouse, wheel, activation, size, close and
// file-drop messages into engine events and key-state updates. Runs on the main thread
// inside the message pump, between frames, outside the MAIN_LOOP lock.
LRESULT CALLBACK QVI_WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
