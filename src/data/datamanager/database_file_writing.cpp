// CreateDirectory and DeleteFile are <windows.h> macros as well as file-system
// members: windows.h comes first so that both spellings are renamed alike.
#include "platform/windows/win32.h"

#include "data/datamanager/database_file_writing.h"

#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/native_paths.h"
#include "filesystem/scheme.h"

#include <cstring>

namespace {

bool StartsWith(const char* text, const char* prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

void ReportCannotOpen(const char* fileName)
{
    if (StartsWith(fileName, "res://") || StartsWith(fileName, "user://"))
        qv->LogPopup(QV_LOG_WARNING, "Unable to open file '%s' for writing.", fileName);
    else
        qv->LogPopup(QV_LOG_WARNING,
                     "Unable to open file '%s' for writing. The filename needs to be absolute file system target such as res://data/file.xml.",
                     fileName);
}

// Writes everything and makes sure it left the C runtime's buffers: a full disk shows
// up as a short write or a failed flush, not as a quietly shortened file.
bool WriteAllAndClose(FileHandle* file, const uint8_t* bytes, int size)
{
    const QuavenFileSystemAPI* fs = qv->fileSystem;
    bool complete = true;
    if (size > 0)
        complete = fs->Write(bytes, size, file) == size;
    if (complete)
        complete = fs->FlushFile(file) == 0;
    fs->CloseFile(file);
    return complete;
}

// Folders on disk can take a file written beside the old one and renamed over it.
// The save area keeps its files in memory until it is unmounted, and a path without
// scheme names a file found along the search paths: both are written in place.
bool HasNativeFolder(const char* fileName)
{
    Scheme scheme = QVI_GetPathScheme(fileName);
    if (!QVI_IsServedScheme(scheme) || scheme == SCHEME_SAVE || scheme == SCHEME_HTTP)
        return false;
    String native = QV_ConvertStaticPathToNativeOSPath(fileName);
    return native.text && native.text[0];
}

bool WriteInPlace(const char* fileName, const uint8_t* bytes, int size)
{
    FileHandle* file = qv->fileSystem->OpenFile(fileName, "w");
    if (!file) {
        ReportCannotOpen(fileName);
        return false;
    }
    if (!WriteAllAndClose(file, bytes, size)) {
        qv->LogPopup(QV_LOG_WARNING, "Unable to write file '%s'.", fileName);
        return false;
    }
    return true;
}

// A read-only file refuses to be opened for writing; replacing it by renaming would
// get round that (and does, on some systems), so it is refused up front.
bool IsReadOnlyFile(const String& nativePath)
{
    DWORD attributes = GetFileAttributesA(nativePath.text);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool WriteBesideAndReplace(const char* fileName, const uint8_t* bytes, int size)
{
    const QuavenFileSystemAPI* fs = qv->fileSystem;
    String nativeTarget = QV_ConvertStaticPathToNativeOSPath(fileName);
    if (IsReadOnlyFile(nativeTarget)) {
        ReportCannotOpen(fileName);
        return false;
    }
    String temporary = String(fileName) + ".tmp";
    FileHandle* file = fs->OpenFile(temporary.text, "w");
    if (!file) {
        ReportCannotOpen(fileName);
        return false;
    }
    if (!WriteAllAndClose(file, bytes, size)) {
        fs->DeleteFile(temporary.text);
        qv->LogPopup(QV_LOG_WARNING, "Unable to write file '%s'.", fileName);
        return false;
    }
    String nativeTemporary = QV_ConvertStaticPathToNativeOSPath(temporary.text);
    if (!MoveFileExA(nativeTemporary.text, nativeTarget.text, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fs->DeleteFile(temporary.text);
        qv->LogPopup(QV_LOG_WARNING, "Unable to replace file '%s'.", fileName);
        return false;
    }
    return true;
}

} // namespace

bool QVI_WriteDataFileReplacing(const char* fileName, const uint8_t* bytes, int size)
{
    if (!fileName || size < 0 || (size > 0 && !bytes))
        return false;
    if (!qv->fileSystem)
        return false;
    if (HasNativeFolder(fileName))
        return WriteBesideAndReplace(fileName, bytes, size);
    return WriteInPlace(fileName, bytes, size);
}
