#include "filesystem/open_files.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/array.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "filesystem/filesystem_api.h"

namespace {

// Constant-initialised and never destroyed by the C runtime: the list is released
// explicitly at process exit.
Array<FileHandle*>* g_openFiles = nullptr;

} // namespace

bool QVI_IsEngineLogPath(const char* path)
{
    if (!qv || !g_core.api || !g_core.coreInitialized)
        return true;
    if (!path)
        return false;
    return strstr(path, "quaven-") != nullptr || strstr(path, ".log") != nullptr;
}

int QVI_TrackOpenFile(FileHandle* handle)
{
    EngineLockHold hold(MUTEX_CORE_VARIABLE);
    if (!g_openFiles)
        g_openFiles = new Array<FileHandle*>();
    g_openFiles->Add(handle);
    return g_openFiles->count;
}

void QVI_UntrackOpenFile(FileHandle* handle)
{
    EngineLockHold hold(MUTEX_CORE_VARIABLE);
    if (g_openFiles)
        g_openFiles->Remove(handle);
}

int QVI_GetOpenFileCount()
{
    EngineLockHold hold(MUTEX_CORE_VARIABLE);
    return g_openFiles ? g_openFiles->count : 0;
}

void QVI_ReportOpenFiles()
{
    EngineLockHold hold(MUTEX_CORE_VARIABLE);
    int count = g_openFiles ? g_openFiles->count : 0;
    if (qv && qv->Log)
        qv->Log("%d files left open..", count);
    for (int i = 0; i < count; ++i) {
        FileHandle* handle = g_openFiles->data[i];
        QVI_Report(QV_LOG_WARNING, "File '%s' left open.", handle && handle->path ? handle->path : "");
    }
}

void QVI_FreeOpenFileList()
{
    EngineLockHold hold(MUTEX_CORE_VARIABLE);
    delete g_openFiles;
    g_openFiles = nullptr;
}

uint8_t* QVI_ReadWholeFile(FileHandle* handle, uint64_t* size)
{
    *size = 0;
    QV_FileSystem_Seek(handle, 0, QV_SEEK_END);
    const int length = QV_FileSystem_GetFilePosition(handle);
    QV_FileSystem_Seek(handle, 0, QV_SEEK_SET);
    if (length < 0 || QV_FileSystem_GetFilePosition(handle) != 0)
        return nullptr;
    uint8_t* data = static_cast<uint8_t*>(malloc(length > 0 ? static_cast<size_t>(length) : 1));
    if (!data || (length > 0 && QV_FileSystem_Read(data, length, handle) != length)) {
        free(data);
        return nullptr;
    }
    *size = static_cast<uint64_t>(length);
    return data;
}
