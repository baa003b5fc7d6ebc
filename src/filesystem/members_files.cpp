// File-system members that open, close, read, write and position files.

#include "filesystem/filesystem_members.h"

#include <cstdlib>

#include "filesystem/backends.h"
#include "filesystem/file_handle.h"
#include "filesystem/file_system_messages.h"
#include "filesystem/open_files.h"
#include "filesystem/path_validity.h"
#include "filesystem/vfs_operations.h"

namespace {

bool ParseMode(const char* mode, FileMode* out)
{
    if (!mode)
        return false;
    switch (mode[0]) {
    case 'a':
        *out = FILE_MODE_APPEND;
        return true;
    case 'r':
        *out = FILE_MODE_READ;
        return true;
    case 'w':
        *out = FILE_MODE_WRITE;
        return true;
    }
    return false;
}

QVFileSystem::File* FileOf(FileHandle* handle)
{
    return handle ? handle->file : nullptr;
}

} // namespace

FileHandle* QV_FileSystem_OpenFile(const char* path, const char* mode)
{
    if (!path)
        return nullptr;
    if (!QVI_IsPathValid(path, false, false)) {
        QVI_ReportInvalidPath("OpenFile", path);
        return nullptr;
    }
    FileMode fileMode;
    if (!ParseMode(mode, &fileMode)) {
        QVI_ReportPopup(QV_LOG_WARNING, "File System OpenFile: mode is invalid, see OpenFile() for more info.");
        return nullptr;
    }
    FileHandle* handle = QVI_OpenFile(path, fileMode);
    if (!handle || QVI_IsEngineLogPath(path))
        return handle;
    int openCount = QVI_TrackOpenFile(handle);
    if (openCount >= kOpenFileWarningCount)
        QVI_ReportPopup(QV_LOG_WARNING,
                        "File System OpenFile: %i files are open at the same time, last file opened is '%s'.",
                        openCount, path);
    return handle;
}

void QV_FileSystem_CloseFile(FileHandle* handle)
{
    if (!handle)
        return;
    if (!QVI_IsEngineLogPath(handle->path))
        QVI_UntrackOpenFile(handle);
    if (QVFileSystem::File* file = handle->file) {
        QVFileSystem::System* backend = QVI_GetFileSystemBackend(file->scheme);
        // The back end closes and deletes its file; after shutdown has released the
        // back ends, the file is released directly.
        if (backend)
            backend->CloseFile(file);
        else
            delete file;
    }
    free(handle->path);
    delete handle;
}

int QV_FileSystem_Read(void* buffer, int size, FileHandle* handle)
{
    QVFileSystem::File* file = FileOf(handle);
    if (!buffer || !file || size <= 0)
        return 0;
    return static_cast<int>(file->Read(buffer, static_cast<uint32_t>(size)));
}

int QV_FileSystem_Write(const void* buffer, int size, FileHandle* handle)
{
    QVFileSystem::File* file = FileOf(handle);
    if (!buffer || !file || size <= 0)
        return 0;
    return static_cast<int>(file->Write(buffer, static_cast<uint32_t>(size)));
}

int QV_FileSystem_Seek(FileHandle* handle, int offset, int origin)
{
    QVFileSystem::File* file = FileOf(handle);
    return file ? file->Seek(offset, origin) : 0;
}

int QV_FileSystem_FlushFile(FileHandle* handle)
{
    QVFileSystem::File* file = FileOf(handle);
    return file ? file->Flush() : 0;
}

int QV_FileSystem_GetFilePosition(FileHandle* handle)
{
    QVFileSystem::File* file = FileOf(handle);
    return file ? static_cast<int>(file->Tell()) : 0;
}
