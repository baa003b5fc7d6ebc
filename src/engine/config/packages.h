#pragma once

#include "core/engine_string.h"

// Packages: folders or .pak archives under res:// that become search paths of the file
// system. A list is comma-separated; an entry is a name, or "@condition:name" which is
// added only when the condition holds (see package_condition.h).

// Adds the first 32 entries of list in order (the walk ends at a missing entry or one of
// 512 characters or more); names shorter than two characters are skipped. first puts
// each in front of the search paths, else behind them.
void QVI_AddPackages(const char* list, bool first);

// Adds "res://" + name as a search path. A name with ".pak" in it is reported and the
// ".pak" removed: search paths name the package, not its file.
void QVI_AddPackage(const char* name, bool first);

// Removes from the search paths the packages of the first 32 entries of list (the walk
// ends at a missing or empty entry); conditions are not evaluated.
void QVI_RemovePackages(const String& list);

// Puts in front of the search paths the graphics package whose number (the integer after
// its first '-' or '_') is strictly closer to the screen height than the reference height
// is, and the closest of those; the other graphics packages are removed.
void QVI_SelectGfxPackage();
