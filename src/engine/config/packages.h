#pragma once

#include "core/engine_string.h"

// Packages: folders or .pak archives under res:// that become search paths of the file
// system. A list is comma-separated; an entry is a name, or "@condition:name" which is
// added only when the condition holds.

// A package entry "@C:N" splits into its condition C and its name N.
struct PackageEntry {
    bool conditional;
    const char* condition;  // inside the caller's buffer; null for a plain entry
    const char* name;       // inside the caller's buffer
};

// Splits entry (changed in place: the ':' after the condition becomes a terminator).
// False for an entry that starts with '@' but has no ':'.
bool QVI_SplitPackageEntry(char* entry, PackageEntry* parts);

// Whether a package condition holds, against the width and height of the record in force:
//   "res" OP W "x" H   OP "==", "=" or none (equal), ">=", "<="; a lone '>' or '<' is
//                      reported and read as ">=" or "<="; "*" for W or H matches any;
//   "resolution" ["="] W "x" H   the size in either orientation;
//   "feature=" NAME    the feature is set;
//   "open"             always.
// Conditions of 64 characters or more hold never.
bool QVI_IsPackageConditionTrue(const char* condition);

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

// Manifests: databases that describe resources (drawing sizes, pack modes). The bitmap
// search consults the first array of each, newest manifest first.

// Registers the manifest file at path once: an existing file is loaded through DataManager
// and, when it has an array, put in front of the manifest lists; "Added manifest '%s'." is
// logged for every existing file. A missing file or one registered before does nothing.
// Also the file system's registrar for the manifest of every search path it adds.
void QVI_AddManifest(const char* path);

// Registers each piece of a comma-separated manifest list, with "res://" in front.
void QVI_AddManifestList(const char* list);
