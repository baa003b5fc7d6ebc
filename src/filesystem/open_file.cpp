#include "filesystem/backends.h"
#include "filesystem/vfs_operations.h"

#include <cstring>

#include "core/cstring_utils.h"
#include "filesystem/file_system_messages.h"
#include "filesystem/native_paths.h"
#include "filesystem/search_paths.h"
#include "quaven/types.h"

String QVI_FindInSearchPaths(const char* path, Scheme* schemeOut)
{
    if (!path)
        return String("");
    SearchPathSnapshot searchPaths = QVI_GetSearchPathSnapshot();
    for (int32_t i = 0; i < searchPaths.count; ++i) {
        const char* searchPath = searchPaths.data[i];
        Scheme scheme = QVI_GetPathScheme(searchPath);
        QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
        if (!backend)
            continue;
        String native = ConvertPathToNativePath(scheme, searchPath);
        if (!native.text || native.text[0] == '\0')
            continue;
        native.Append(path);
        if (native.text && backend->FileExists(scheme, native)) {
            if (schemeOut)
                *schemeOut = scheme;
            return native;
        }
    }
    return String("");
}

FileHandle* QVI_OpenFile(const char* path, FileMode mode)
{
    if (!path)
        return nullptr;
    Scheme scheme = QVI_GetPathScheme(path);
    if (mode != FILE_MODE_READ && scheme == SCHEME_RES && !g_resWritable) {
        QVI_Report(QV_LOG_WARNING, "File System OpenFile: attempted to modify path '%s', which is not writable.",
                   path);
        return nullptr;
    }

    String native;
    if (QVI_IsServedScheme(scheme)) {
        native = ConvertPathToNativePath(scheme, path);
    } else {
        native = QVI_FindInSearchPaths(path, &scheme);
        // A file found under res:// is as protected as one named with res://.
        if (mode != FILE_MODE_READ && scheme == SCHEME_RES && !g_resWritable)
            return nullptr;
    }
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    if (!backend || !native.text || native.text[0] == '\0')
        return nullptr;

    QVFileSystem::File* file = backend->OpenFile(scheme, native, mode);
    if (!file)
        return nullptr;
    char* pathCopy = QVI_StrDup(path);
    if (!pathCopy) {
        backend->CloseFile(file);
        return nullptr;
    }
    FileHandle* handle = new FileHandle;
    handle->path = pathCopy;
    handle->size = file->size;
    handle->file = file;
    return handle;
}

bool QVI_CreateDirectory(const char* path)
{
    if (!path)
        return false;
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme == SCHEME_RES && !g_resWritable) {
        QVI_ReportNotWritable("CreateDirectory", path);
        return false;
    }
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    if (!backend)
        return false;
    String native = ConvertPathToNativePath(scheme, path);
    if (!native.text || native.text[0] == '\0')
        return false;
    size_t length = strlen(native.text);
    if (native.text[length - 1] == '/')
        native.RemoveLast(1);
    return backend->CreateDirectory(scheme, native);
}
