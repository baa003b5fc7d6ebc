#pragma once

#include "core/engine_string.h"

// The Windows layer's string commands: mouse helpers, the clipboard, URLs and mail links,
// path conversions, the user-generated-content folder, region and user name, the file
// dialogs, the value-editing dialog and the accounts requests. The engine's dispatcher
// (PlatformCommand) offers every command here once its first handlers have passed it on.
//
// Answers that are not literals live in buffers of the calling thread, valid until the
// same command runs again on that thread. The dialogs and the mouse helpers are meant for
// the main thread, the thread of the main window.

// The answer of a Windows command, or null for a command this layer does not know (the
// dispatcher then goes on). A null name answers null.
const char* QVI_WindowsPlatformCommand(const char* name, const char* argument);

// What the commands need of the file system, which sits above this layer: the engine
// installs the file system's functions here at pre-initialisation. While a member is null
// its commands answer as for a path that converts to nothing.
struct WindowsPathServices {
    // An engine path ("res://a.png") as a native path with '/' separators; "" when the
    // path has no scheme or its scheme has no folder.
    String (*convertStaticToNative)(const char* path);
    // The engine path of a native path; "" when no scheme's folder holds it.
    String (*convertNativeToStatic)(const char* nativePath);
    // Makes a copy of folder (a native folder, as the game gave it) the root of ugc://.
    void (*setUgcRoot)(const char* folder);
};

void QVI_SetWindowsPathServices(const WindowsPathServices& services);
