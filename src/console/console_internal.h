#pragma once

#include "core/logging/console.h"

// What the console's input handling and drawing share: the text tests of completion and
// the filter, the lock, and the geometry of the line list.

// Whether text begins with prefix, the letters A to Z matching either case and every other
// byte exactly.
bool QVI_ConsoleStartsWithFolded(const char* text, const char* prefix);

// Whether text contains part, the letters A to Z matching either case; only the first 4095
// characters of each take part.
bool QVI_ConsoleContainsFolded(const char* text, const char* part);

// The console lock "QV_CONSOLE" (nothing while it does not exist).
void QVI_LockConsole();
void QVI_UnlockConsole();

// The fully open console's height in pixels (0.8 of the drawn screen's height), and the
// step from one line to the next in the console's font (16 without a font).
int QVI_ConsoleHeight();
int QVI_ConsoleLineSpacing(const Console& console);

// Whether a line is shown: every line while the input is empty, else those containing it.
bool QVI_ConsoleShowsLine(const Console& console, const LogLine& line);
