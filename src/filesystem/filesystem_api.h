#pragma once

// Some member names (CreateDirectory, DeleteFile) are <windows.h> macros as well:
// the table must be seen with the same names wherever it is filled.
#include "platform/windows/win32.h"

#include "quaven/filesystem.h"

// Fills the 21 members of the file-system sub-table, in their fixed order, with
// the engine's file-system members (QV_FileSystem_AddSearchPath ...
// QV_FileSystem_Write). The API table's fileSystem pointer is pointed at the
// table filled here.
void QVI_FillFileSystemAPI(QuavenFileSystemAPI* table);
