#pragma once

#include "core/engine_string.h"
#include "filesystem/file_handle.h"
#include "filesystem/file_mode.h"
#include "filesystem/scheme.h"

// The file system's own operations behind the API members. Paths reaching them have
// passed the members' checks.

// The native path of the first search path, in priority order, whose back end has the
// file; its scheme in *schemeOut. "" when no search path holds it.
String QVI_FindInSearchPaths(const char* path, Scheme* schemeOut);

// Opens a path with a scheme, or an existing file along the search paths for a path
// without one. Null when nothing can be opened.
FileHandle* QVI_OpenFile(const char* path, FileMode mode);

// Creates the folder of a path with a scheme, and every folder above it below the
// scheme's root.
bool QVI_CreateDirectory(const char* path);
