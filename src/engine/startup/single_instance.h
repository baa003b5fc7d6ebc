#pragma once

#include "platform/windows/win32.h"

#include "quaven/program.h"

// One running instance per program: the first instance holds a named mutex carrying the
// program's id; a later start that finds it, and finds a window titled like the program,
// brings that window to the front and ends with exit code 0.

// Unless the feature ALLOW_MULTIPLE_PROGRAM_INSTANCES is set: checks for another instance
// and either ends the process (after releasing the program library) or goes on, creating
// the mutex when none exists. Logs the check.
void QVI_CheckSingleInstance(const ProgramInterface* record);

// The window-enumeration callback: a top-level window whose title equals the current
// record's title exactly is brought to the front and restored, and the search stops.
BOOL CALLBACK QVI_FindProgramWindow(HWND window, LPARAM unused);

// Whether the last search found the window.
bool QVI_WasProgramWindowFound();
