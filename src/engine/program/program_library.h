#pragma once

#include "platform/windows/win32.h"

#include "quaven/program.h"

// The program library "prog.dll": the game, which hands the engine its ProgramInterface
// record through the export QV_GetProgramInterface (or the older QV_GetInterface).

// Loads "prog.dll" from the library search path, creates the program and checks its
// interface version. On success the current record is the program's record, carrying the
// API table, the command line and the configuration's developer mode. False (after telling
// the user) when the library has neither export or cannot create the program. Does not
// return when the library is missing (exit code 1) or built for another interface version
// (exit code 0).
bool QVI_LoadProgramLibrary();

// Logs "Unloading ProgImp Library.", releases the library when one is loaded and forgets
// the current record. Settings that pointed at that record fall back to the engine's own
// record, whose texts stay valid.
void QVI_UnloadProgramLibrary();

// The record the engine drives the program through: the program's record from loading to
// unloading (the placeholder record after a version mismatch), else null.
ProgramInterface* QVI_GetProgramRecord();

// The loaded library's module, or null.
HMODULE QVI_GetProgramLibraryModule();

// True once the version-mismatch path has released the library: the single-instance exit
// and shutdown must not release it again.
bool QVI_IsProgramLibraryReleased();
