// File-system members that mount and unmount the save area.

#include "filesystem/filesystem_members.h"

#include <cstring>

#include "filesystem/backends.h"

namespace {

const int kMaxSaveUser = 3;

bool IsSaveArea(const char* name)
{
    return name && strcmp(name, "save") == 0;
}

} // namespace

bool QV_FileSystem_Mount(const char* name, int user)
{
    if (!IsSaveArea(name) || user < 0 || user > kMaxSaveUser)
        return false;
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(SCHEME_SAVE);
    if (!backend || !backend->mountable)
        return false;
    if (!backend->Mount(user))
        return false;
    if (g_saveRootCreated)
        return true;
    // The save folder is made on the first mount; a failure is retried on the next.
    if (!backend->CreateRootDirectory(SCHEME_SAVE))
        return false;
    g_saveRootCreated = 1;
    return true;
}

void QV_FileSystem_Unmount(const char* name)
{
    if (!IsSaveArea(name))
        return;
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(SCHEME_SAVE);
    if (backend && backend->mountable)
        backend->Unmount();
}
