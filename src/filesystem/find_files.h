#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "filesystem/scheme.h"

// Lists files matching the patterns below a docs://, res:// or ugc:// path (names
// carry that path's scheme and folder), or, for a path without a scheme ("" too),
// below every search path but a bare "res://" (names relative to the search paths;
// the first search path that has a name wins).
void QVI_FindFiles(Array<String>& out, const char* path, const Array<String>& patterns, bool recursive);

// One back end's listing of nativeRoot, names prefixed with relativePath.
void QVI_FindFilesInSystem(Scheme scheme, const Array<String>& patterns, const char* relativePath,
                           const char* nativeRoot, bool recursive, Array<String>& results);

// Appends directory + name (name alone for an empty directory) unless already listed.
void QVI_AddUniqueFileName(Array<String>& list, const char* directory, const char* name);
