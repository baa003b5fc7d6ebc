#include "filesystem/backends.h"

#include "filesystem/base_paths.h"
#include "filesystem/file_system_messages.h"
#include "filesystem/http_system.h"
#include "filesystem/mount_system.h"
#include "filesystem/windows_posix_system.h"
#include "quaven/types.h"

QVFileSystem::System* g_fileSystemBackends[kSchemeCount] = {};
uint8_t g_resWritable = 0;
uint8_t g_saveRootCreated = 0;

QVFileSystem::System* QVI_GetFileSystemBackend(Scheme scheme)
{
    return QVI_IsServedScheme(scheme) ? g_fileSystemBackends[scheme] : nullptr;
}

bool QVI_InitFileSystem()
{
    if (!QVI_InitBasePaths())
        QVI_ReportPopup(QV_LOG_ERROR, "File System: failed to initialize one or more critical base paths.");

    if (!g_fileSystemBackends[SCHEME_RES]) {
        QVFileSystem::WindowsPOSIXSystem* folders = new QVFileSystem::WindowsPOSIXSystem();
        g_fileSystemBackends[SCHEME_CACHE] = folders;
        g_fileSystemBackends[SCHEME_DOCS] = folders;
        g_fileSystemBackends[SCHEME_LOGS] = folders;
        g_fileSystemBackends[SCHEME_RES] = folders;
        g_fileSystemBackends[SCHEME_USER] = folders;
        g_fileSystemBackends[SCHEME_UGC] = folders;
        g_fileSystemBackends[SCHEME_HTTP] = new QVFileSystem::HTTPSystem(folders);
        g_fileSystemBackends[SCHEME_SAVE] = new QVFileSystem::MountSystem(folders);
    }
    g_resWritable = 1;
    return true;
}

void QVI_DeleteFileSystemBackends()
{
    delete g_fileSystemBackends[SCHEME_SAVE];
    delete g_fileSystemBackends[SCHEME_HTTP];
    delete g_fileSystemBackends[SCHEME_CACHE];
    for (int i = 0; i < kSchemeCount; ++i)
        g_fileSystemBackends[i] = nullptr;
}
