#pragma once

#include "core/array.h"

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
