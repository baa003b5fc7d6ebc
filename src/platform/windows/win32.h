#pragma once

// The one way into <windows.h>. Only files that call Win32 include this. The macros undone
// below would otherwise rename engine functions and API members that share a Win32 name
// (CreateMutex, DrawText, PlaySound) in every file that sees them.
#include <windows.h>

#undef CreateMutex
#undef DrawText
#undef PlaySound
