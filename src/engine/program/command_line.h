#pragma once

// The engine's copy of the process command line, handed to the program in its record.

// Keeps a heap copy of text (an empty text for null), replacing any earlier copy.
void QVI_KeepCommandLine(const char* text);
// The copy, or null before QVI_KeepCommandLine.
char* QVI_GetCommandLineCopy();
// Shutdown: frees the copy.
void QVI_FreeCommandLine();
