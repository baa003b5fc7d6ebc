#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "filesystem/paths.h"

// The ordered search-path list (index 0 has the highest priority). Each entry is a
// docs://, res:// or ugc:// path ending in '/'.
//
// Any thread may change the list while others resolve files, so the list is kept
// under a reader-writer lock and readers work on a snapshot: they see the whole old
// list or the whole new one. Entry texts are interned for the life of the process,
// so a text handed out (GetSearchPath, a snapshot) stays valid after its entry is
// removed; the store grows only with distinct paths ever added.

// A copy of the list as it is now; its texts stay valid.
using SearchPathSnapshot = Array<const char*>;
SearchPathSnapshot QVI_GetSearchPathSnapshot();

int QVI_GetSearchPathListCount();
// Null outside 0 to count - 1.
const char* QVI_GetSearchPathAt(int index);
// The 0-based index of the first entry equal to path, or -1.
int QVI_FindSearchPath(const char* path);

// Removes the first entry equal to path, then inserts path first or appends it.
// *countBefore receives the number of entries after the removal, before the insertion;
// *after the list as it is once the change is made.
void QVI_InsertSearchPath(const char* path, bool first, int* countBefore, SearchPathSnapshot* after);
// Removes the first entry equal to path; its 0-based index, or -1 when none.
int QVI_RemoveSearchPathEntry(const char* path);

// Process exit: releases the list and the interned texts.
void QVI_FreeSearchPaths();

// The native path of the first search path, in priority order, whose back end has the
// file; its scheme in *schemeOut. "" when no search path holds it.
String QVI_FindInSearchPaths(const char* path, Scheme* schemeOut);

// Lists files matching the patterns below a docs://, res:// or ugc:// path (names
// carry that path's scheme and folder), or, for a path without a scheme ("" too),
// below every search path but a bare "res://" (names relative to the search paths;
// the first search path that has a name wins).
void QVI_FindFiles(Array<String>& out, const char* path, const Array<String>& patterns, bool recursive);

// Every search path but a bare scheme root ("res://") brings its manifest, a database
// named after the path: the scheme prefix, "manifest-", the rest of the path without
// its trailing '/' and with every '/' made '-', and ".xml" (res://data/dlc1/ gives
// res://manifest-data-dlc1.xml). "" for a bare scheme root or a path without a scheme.
String QVI_GetSearchPathManifestName(const char* searchPath);

// Seam: the configuration reader registers manifests (it loads and keeps them). Until
// it installs its registrar here, manifests are named but not registered.
using SearchPathManifestRegistrar = void (*)(const char* manifestName);
void QVI_SetSearchPathManifestRegistrar(SearchPathManifestRegistrar registrar);

// Hands the search path's manifest name to the registrar, when there is one.
void QVI_RegisterSearchPathManifest(const char* searchPath);
