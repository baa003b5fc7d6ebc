#pragma once

#include "quaven/program.h"

struct OsLibrary;

// The program library "prog.dll": the game, which hands the engine its ProgramInterface
// record through the export QV_GetProgramInterface (or the older QV_GetInterface).

// The engine's copy of the process command line, handed to the program in its record.
// QVI_KeepCommandLine keeps a heap copy of text (an empty text for null), replacing any
// earlier copy; QVI_GetCommandLineCopy answers it, or null before; shutdown frees it.
void QVI_KeepCommandLine(const char* text);
char* QVI_GetCommandLineCopy();
void QVI_FreeCommandLine();

// Ends the process at once with the exit code, as start-up does when it cannot go on.
// Global destructors and exit handlers do not run (other code may still hold what they
// would free); the log file is first brought to a whole line.
[[noreturn]] void QVI_EndProcess(int exitCode);

// Loads "prog.dll" from the library search path, creates the program and checks its
// interface version. On success the current record is the program's record, carrying the
// API table, the command line and the configuration's developer mode. False (after telling
// the user) when the library has neither export or cannot create the program. Does not
// return when the library is missing (exit code 1) or built for another interface version
// (exit code 0; the current record is then a placeholder whose callbacks do nothing).
bool QVI_LoadProgramLibrary();

// Logs "Unloading ProgImp Library.", releases the library when one is loaded and forgets
// the current record. Settings that pointed at that record fall back to the engine's own
// record, whose texts stay valid.
void QVI_UnloadProgramLibrary();

// The record the engine drives the program through: the program's record from loading to
// unloading (the placeholder record after a version mismatch), else null.
ProgramInterface* QVI_GetProgramRecord();

// The loaded library, or null.
OsLibrary* QVI_GetProgramLibraryModule();

// True once the version-mismatch path has released the library: the single-instance exit
// and shutdown must not release it again.
bool QVI_IsProgramLibraryReleased();

// Puts the engine's configuration into the program's record once the library is loaded:
// the whole default record is copied over it, and only the program's interface version
// and its five callbacks are kept (its developer-mode byte goes into the default record
// first). The record becomes the settings in force, and its command line is the engine's
// copy again. Null does nothing.
void QVI_AdoptProgramConfiguration(ProgramInterface* record);

// Offers the program its video parameters before the resolution is chosen: logs
// "Checking parameters with the program before video init." and, when the record has an
// OnEvent, sends it one EVENT_VIDEO_PARAMETERS event carrying the API table and the
// record's VideoParameters, which the program may change in place. Start-up copies the
// record's parameters into its video state before, and reads them back after.
void QVI_OfferVideoParameters(ProgramInterface* record);
