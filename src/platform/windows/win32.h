#pragma once

// The one way into <windows.h>. Only files that call Win32 include this. The macros undone
// below would otherwise rename engine functions and API members that share a Win32 name
// (CreateMutex, DrawText, PlaySound, CreateDirectory, DeleteFile, LoadBitmap, LoadImage) in every file
// that sees them, so that one class or table would carry two spellings across the engine.
// Win32 calls of those names spell out their A form.
#include <windows.h>

#undef CreateMutex
#undef DrawText
#undef PlaySound
#undef CreateDirectory
#undef DeleteFile
#undef LoadBitmap
#undef LoadImage
