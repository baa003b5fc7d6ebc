// File-system members that test, list, create and delete files and folders.

#include "filesystem/filesystem_members.h"

#include <cstring>

#include "filesystem/backends.h"
#include "filesystem/file_system_messages.h"
#include "filesystem/find_files.h"
#include "filesystem/native_paths.h"
#include "filesystem/path_validity.h"
#include "filesystem/string_list.h"
#include "filesystem/vfs_operations.h"

namespace {

bool IsEmpty(const String& text)
{
    return !text.text || text.text[0] == '\0';
}

bool IsListableScheme(Scheme scheme)
{
    return scheme == SCHEME_NONE || scheme == SCHEME_DOCS || scheme == SCHEME_RES || scheme == SCHEME_UGC;
}

} // namespace

bool QV_FileSystem_CreateDirectory(const char* path)
{
    if (!path)
        return false;
    if (!QVI_IsPathValid(path, true, false)) {
        QVI_ReportInvalidPath("CreateDirectory", path);
        return false;
    }
    return QVI_CreateDirectory(path);
}

bool QV_FileSystem_DeleteDirectory(const char* path, bool recursive)
{
    if (recursive) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "File System DeleteDirectory: deleting directory '%s' with existing files is not allowed.",
                        path ? path : "(null)");
        return false;
    }
    if (!path)
        return false;
    if (!QVI_IsPathValid(path, true, false)) {
        QVI_ReportInvalidPath("DeleteDirectory", path);
        return false;
    }
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme == SCHEME_RES && !g_resWritable) {
        QVI_ReportNotWritable("DeleteDirectory", path);
        return false;
    }
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    String native = ConvertPathToNativePath(scheme, path);
    if (!backend || IsEmpty(native))
        return false;
    if (native.text[strlen(native.text) - 1] == '/')
        native.RemoveLast(1);
    return backend->DeleteDirectory(scheme, native, false);
}

bool QV_FileSystem_DeleteFile(const char* path)
{
    if (!path)
        return false;
    if (!QVI_IsPathValid(path, true, false)) {
        QVI_ReportInvalidPath("DeleteFile", path);
        return false;
    }
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme == SCHEME_RES && !g_resWritable) {
        QVI_ReportNotWritable("DeleteFile", path);
        return false;
    }
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    String native = ConvertPathToNativePath(scheme, path);
    if (!backend || IsEmpty(native))
        return false;
    return backend->DeleteFile(scheme, native);
}

bool QV_FileSystem_FileExists(const char* path)
{
    if (!path)
        return false;
    if (!QVI_IsPathValid(path, false, false)) {
        QVI_ReportInvalidPath("FileExists", path);
        return false;
    }
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme == SCHEME_NONE)
        return !IsEmpty(QVI_FindInSearchPaths(path, nullptr));
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    String native = ConvertPathToNativePath(scheme, path);
    return backend && !IsEmpty(native) && backend->FileExists(scheme, native);
}

bool QV_FileSystem_GetFileInfo(const char* path, FileInfo* info)
{
    if (!path || !info)
        return false;
    if (!QVI_IsPathValid(path, false, false)) {
        QVI_ReportInvalidPath("GetFileInfo", path);
        return false;
    }
    Scheme scheme = QVI_GetPathScheme(path);
    if (!IsListableScheme(scheme)) {
        QVI_ReportInvalidPrefix("GetFileInfo", path);
        return false;
    }
    String native = scheme == SCHEME_NONE ? QVI_FindInSearchPaths(path, &scheme) : ConvertPathToNativePath(scheme, path);
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    return backend && !IsEmpty(native) && backend->GetFileInfo(scheme, native, info);
}

bool QV_FileSystem_IsPathValid(const char* path)
{
    return QVI_IsPathValid(path, false, false);
}

StringList* QV_FileSystem_FindFiles(const char* path, const char* wildcards, bool recursive)
{
    Array<String> found;
    if (!path || !wildcards)
        return QVI_NewStringList(found);
    // "" stands for every search path; it is never a valid path itself.
    if (path[0] != '\0') {
        if (!QVI_IsPathValid(path, false, true)) {
            QVI_ReportInvalidPath("FindFiles", path);
            return QVI_NewStringList(found);
        }
        if (!IsListableScheme(QVI_GetPathScheme(path))) {
            QVI_ReportInvalidPrefix("FindFiles", path);
            return QVI_NewStringList(found);
        }
    }
    Array<String> patterns;
    if (!QVI_ParseWildcards(wildcards, patterns)) {
        QVI_ReportPopup(QV_LOG_WARNING, "File System FindFiles: wildcards (%s) are invalid, see FindFiles() for more info.",
                        wildcards);
        return QVI_NewStringList(found);
    }
    QVI_FindFiles(found, path, patterns, recursive);
    return QVI_NewStringList(found);
}
