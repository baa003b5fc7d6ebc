#pragma once

#include <cstdint>

#include "filesystem/backend_system.h"
#include "filesystem/scheme.h"

// The back end serving each of the eight schemes. Filled once by QVI_InitFileSystem;
// three objects serve all schemes (folders, http://, save://).
extern QVFileSystem::System* g_fileSystemBackends[kSchemeCount];

// When clear, every operation that would modify a res:// path is refused.
extern uint8_t g_resWritable;
// Set once the first successful mount of the save area has created its root folder.
extern uint8_t g_saveRootCreated;

// The back end of a scheme, null for SCHEME_NONE, SCHEME_UNKNOWN or before start-up.
QVFileSystem::System* QVI_GetFileSystemBackend(Scheme scheme);

// Pre-initialisation: sets up the base paths (reporting "File System: failed to
// initialize one or more critical base paths." when the per-user folder is unknown)
// and creates the back ends on the first call. Always true.
bool QVI_InitFileSystem();

// Shutdown: deletes the three back ends and clears the table. Files still open can
// be closed afterwards; their handles are then released without a back end.
void QVI_DeleteFileSystemBackends();
