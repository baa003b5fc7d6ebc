#pragma once

#include "platform/windows/win32.h"

// State of the Windows host that the message loop and the window procedure share.

// Whether the main window is active (shown, focused and not minimised). Written only by
// the window procedure's activation handling; clear until the first activation, so the
// message loop idles until the window has really come to the front.
bool QVI_IsMainWindowActive();
void QVI_SetMainWindowActive(bool active);

// The module instance WinMain received; the dialogs of the platform commands are created
// from it. Null until WinMain keeps it.
void QVI_SetPlatformInstance(HINSTANCE instance);
HINSTANCE QVI_GetPlatformInstance();
