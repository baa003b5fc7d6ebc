#include "filesystem/backends.h"

#include "core/engine_log.h"
#include "filesystem/folder_system.h"
#include "filesystem/http_system.h"
#include "filesystem/mount_system.h"
#include "filesystem/open_files.h"
#include "filesystem/search_paths.h"
#include "quaven/types.h"

namespace QVFileSystem {

bool System::FileExists(Scheme scheme, const String& nativePath)
{
    File* file = OpenFile(scheme, nativePath, FILE_MODE_READ);
    if (!file)
        return false;
    CloseFile(file);
    return true;
}

} // namespace QVFileSystem

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

void QVI_FreeFileSystemGlobals()
{
    QVI_FreeSearchPaths();
    QVI_FreeOpenFileList();
}
