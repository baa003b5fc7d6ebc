// The members of the file-system sub-table: files, folders, the save mount and the
// search paths. Every member that takes a path checks it the same way (FindTarget):
// misuse is reported under the member's name, then the path is turned into the back
// end and the native path that serve it.

#include "filesystem/filesystem_api.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/cstring_utils.h"
#include "filesystem/backends.h"
#include "filesystem/open_files.h"
#include "filesystem/paths.h"
#include "filesystem/search_paths.h"

namespace {

// Texts quoted in messages may be null when the caller passed null.
const char* Printable(const char* text)
{
    return text ? text : "(null)";
}

// The common misuse report: "File System %s: path '%s' is invalid, see IsPathValid() for more info."
void ReportInvalidPath(const char* member, const char* path)
{
    QVI_ReportPopup(QV_LOG_WARNING, "File System %s: path '%s' is invalid, see IsPathValid() for more info.", member,
                    Printable(path));
}

// "File System %s: path prefix is invalid in path '%s', see %s() for more info."
void ReportInvalidPrefix(const char* member, const char* path)
{
    QVI_ReportPopup(QV_LOG_WARNING, "File System %s: path prefix is invalid in path '%s', see %s() for more info.",
                    member, Printable(path), member);
}

// "File System %s: attempted to modify path '%s', which is not writable."
void ReportNotWritable(const char* member, const char* path)
{
    QVI_ReportPopup(QV_LOG_WARNING, "File System %s: attempted to modify path '%s', which is not writable.", member,
                    Printable(path));
}

// Time stamps, listings and search paths serve docs://, res:// and ugc://, and paths
// along the search paths.
bool IsListableScheme(Scheme scheme)
{
    return scheme == SCHEME_NONE || scheme == SCHEME_DOCS || scheme == SCHEME_RES || scheme == SCHEME_UGC;
}

// What a member asks of its path beyond being valid.
enum PathRule : unsigned {
    kAnyPath = 0,
    kSchemeRequired = 1,     // a path without a scheme is invalid
    kSchemeRootAllowed = 2,  // a bare "res://" is valid (a folder to list or search)
    kListableScheme = 4,     // only docs://, res://, ugc:// or a path without a scheme
    kModifies = 8,           // refused under res:// while res:// is not writable
};

// A null path is refused silently; an invalid path, a scheme the member does not
// serve and a change under a read-only res:// are reported under the member's name.
bool IsUsablePath(const char* member, const char* path, unsigned rules)
{
    if (!path)
        return false;
    if (!QVI_IsPathValid(path, (rules & kSchemeRequired) != 0, (rules & kSchemeRootAllowed) != 0)) {
        ReportInvalidPath(member, path);
        return false;
    }
    Scheme scheme = QVI_GetPathScheme(path);
    if ((rules & kListableScheme) && !IsListableScheme(scheme)) {
        ReportInvalidPrefix(member, path);
        return false;
    }
    if ((rules & kModifies) && scheme == SCHEME_RES && !g_resWritable) {
        ReportNotWritable(member, path);
        return false;
    }
    return true;
}

// What a member works on: the path's scheme, the back end serving it and the native
// path there.
struct Target {
    Scheme scheme = SCHEME_NONE;
    QVFileSystem::System* backend = nullptr;
    String native;
};

// A path without a scheme stands for the first search path that has the file (its
// scheme becomes the target's). False when no back end or native path serves it.
bool FindTarget(const char* path, Target* target)
{
    target->scheme = QVI_GetPathScheme(path);
    target->native = target->scheme == SCHEME_NONE ? QVI_FindInSearchPaths(path, &target->scheme)
                                                   : ConvertPathToNativePath(target->scheme, path);
    target->backend = QVI_GetFileSystemBackend(target->scheme);
    return target->backend && !QVI_IsEmptyText(target->native.text);
}

// The member's check of its path, then the path's target.
bool FindTarget(const char* member, const char* path, unsigned rules, Target* target)
{
    return IsUsablePath(member, path, rules) && FindTarget(path, target);
}

// Folders are handed to the back ends without a trailing '/'.
void RemoveTrailingSlash(String& native)
{
    if (native.text[strlen(native.text) - 1] == '/')
        native.RemoveLast(1);
}

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

// Only a write can be refused for res://'s sake; reported through the log, not as a popup.
bool IsWritableScheme(const char* member, const char* path)
{
    if (QVI_GetPathScheme(path) != SCHEME_RES || g_resWritable)
        return true;
    QVI_Report(QV_LOG_WARNING, "File System %s: attempted to modify path '%s', which is not writable.", member, path);
    return false;
}

// Opens a valid path with a scheme, or an existing file along the search paths for a
// path without one. Null when nothing can be opened.
FileHandle* OpenFileHandle(const char* path, FileMode mode)
{
    if (mode != FILE_MODE_READ && !IsWritableScheme("OpenFile", path))
        return nullptr;
    // Finding the file along the search paths and opening it ask after its archive once.
    ArchiveLookupScope lookups;
    Target target;
    // A file found under res:// is as protected as one named with res://.
    if (!FindTarget(path, &target) || (mode != FILE_MODE_READ && target.scheme == SCHEME_RES && !g_resWritable))
        return nullptr;

    QVFileSystem::File* file = target.backend->OpenFile(target.scheme, target.native, mode);
    if (!file)
        return nullptr;
    char* pathCopy = QVI_StrDup(path);
    if (!pathCopy) {
        target.backend->CloseFile(file);
        return nullptr;
    }
    FileHandle* handle = new FileHandle;
    handle->path = pathCopy;
    handle->size = file->size;
    handle->file = file;
    return handle;
}

QVFileSystem::File* FileOf(FileHandle* handle)
{
    return handle ? handle->file : nullptr;
}

const int kMaxSaveUser = 3;

bool IsSaveArea(const char* name)
{
    return name && strcmp(name, "save") == 0;
}

// Beyond this many search paths every further one draws a warning.
const int kSearchPathWarningCount = 128;

String WithTrailingSlash(const char* path)
{
    String result(path);
    size_t length = result.text ? strlen(result.text) : 0;
    if (length == 0 || result.text[length - 1] != '/')
        result.Append("/");
    return result;
}

void Log(const char* format, const char* text)
{
    if (qv && qv->Log)
        qv->Log(format, text);
}

} // namespace

FileHandle* QV_FileSystem_OpenFile(const char* path, const char* mode)
{
    if (!IsUsablePath("OpenFile", path, kAnyPath))
        return nullptr;
    FileMode fileMode;
    if (!ParseMode(mode, &fileMode)) {
        QVI_ReportPopup(QV_LOG_WARNING, "File System OpenFile: mode is invalid, see OpenFile() for more info.");
        return nullptr;
    }
    FileHandle* handle = OpenFileHandle(path, fileMode);
    if (!handle || QVI_IsEngineLogPath(path))
        return handle;
    int openCount = QVI_TrackOpenFile(handle);
    if (openCount >= kOpenFileWarningCount)
        QVI_ReportPopup(QV_LOG_WARNING,
                        "File System OpenFile: %i files are open at the same time, last file opened is '%s'.",
                        openCount, path);
    return handle;
}

bool QVI_IsWritablePath(const char* member, const char* path)
{
    return IsUsablePath(member, path, kAnyPath) && IsWritableScheme(member, path);
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

bool QV_FileSystem_CreateDirectory(const char* path)
{
    Target target;
    if (!FindTarget("CreateDirectory", path, kSchemeRequired | kModifies, &target))
        return false;
    RemoveTrailingSlash(target.native);
    return target.backend->CreateDirectory(target.scheme, target.native);
}

bool QV_FileSystem_DeleteDirectory(const char* path, bool recursive)
{
    if (recursive) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "File System DeleteDirectory: deleting directory '%s' with existing files is not allowed.",
                        path ? path : "(null)");
        return false;
    }
    Target target;
    if (!FindTarget("DeleteDirectory", path, kSchemeRequired | kModifies, &target))
        return false;
    RemoveTrailingSlash(target.native);
    return target.backend->DeleteDirectory(target.scheme, target.native, false);
}

bool QV_FileSystem_DeleteFile(const char* path)
{
    Target target;
    if (!FindTarget("DeleteFile", path, kSchemeRequired | kModifies, &target))
        return false;
    return target.backend->DeleteFile(target.scheme, target.native);
}

namespace {

// The file a path names, when it exists. Along the search paths, finding the file was the test.
bool FindExistingTarget(const char* path, Target* target)
{
    if (!FindTarget("FileExists", path, kAnyPath, target))
        return false;
    return QVI_GetPathScheme(path) == SCHEME_NONE || target->backend->FileExists(target->scheme, target->native);
}

} // namespace

bool QV_FileSystem_FileExists(const char* path)
{
    Target target;
    return FindExistingTarget(path, &target);
}

String QVI_FindExistingNativePath(const char* path)
{
    Target target;
    return FindExistingTarget(path, &target) ? target.native : String("");
}

bool QV_FileSystem_GetFileInfo(const char* path, FileInfo* info)
{
    if (!info)
        return false;
    Target target;
    return FindTarget("GetFileInfo", path, kListableScheme, &target) &&
           target.backend->GetFileInfo(target.scheme, target.native, info);
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
    if (path[0] != '\0' && !IsUsablePath("FindFiles", path, kSchemeRootAllowed | kListableScheme))
        return QVI_NewStringList(found);
    Array<String> patterns;
    if (!QVI_ParseWildcards(wildcards, patterns)) {
        QVI_ReportPopup(QV_LOG_WARNING, "File System FindFiles: wildcards (%s) are invalid, see FindFiles() for more info.",
                        wildcards);
        return QVI_NewStringList(found);
    }
    QVI_FindFiles(found, path, patterns, recursive);
    return QVI_NewStringList(found);
}

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

void QV_FileSystem_AddSearchPath(const char* path, bool first)
{
    if (!IsUsablePath("AddSearchPath", path, kSchemeRequired | kSchemeRootAllowed | kListableScheme))
        return;
    String searchPath = WithTrailingSlash(path);
    if (!searchPath.text)
        return;

    int countBefore = 0;
    SearchPathSnapshot after;
    QVI_InsertSearchPath(searchPath.text, first, &countBefore, &after);

    Log("Adding search path '%s'...", searchPath.text);
    if (countBefore >= kSearchPathWarningCount)
        QVI_ReportPopup(QV_LOG_WARNING, "File System AddSearchPath: %i search paths exist.", countBefore);
    for (int32_t i = 0; i < after.count; ++i) {
        if (qv && qv->Log)
            qv->Log("Search path priority #%i: '%s'.", i + 1, after.data[i]);
    }
    QVI_RegisterSearchPathManifest(searchPath.text);
}

void QV_FileSystem_RemoveSearchPath(const char* path)
{
    if (!path)
        return;
    String searchPath = WithTrailingSlash(path);
    if (!searchPath.text)
        return;
    int index = QVI_RemoveSearchPathEntry(searchPath.text);
    if (index < 0) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "File System RemoveSearchPath: path '%s' was not found in added search paths.",
                        searchPath.text);
        return;
    }
    if (qv && qv->Log)
        qv->Log("Removed search path #%i: '%s'.", index + 1, searchPath.text);
}

bool QV_FileSystem_IsSearchPath(const char* path)
{
    if (!path)
        return false;
    String searchPath = WithTrailingSlash(path);
    return searchPath.text && QVI_FindSearchPath(searchPath.text) >= 0;
}

int QV_FileSystem_GetSearchPathCount()
{
    return QVI_GetSearchPathListCount();
}

const char* QV_FileSystem_GetSearchPath(int index)
{
    return QVI_GetSearchPathAt(index);
}

StringList* QVI_NewStringList(const Array<String>& texts)
{
    StringList* list = static_cast<StringList*>(malloc(sizeof(StringList)));
    if (!list)
        return nullptr;
    list->items = nullptr;
    list->count = 0;
    if (texts.count <= 0)
        return list;
    list->items = static_cast<char**>(calloc(static_cast<size_t>(texts.count), sizeof(char*)));
    if (!list->items)
        return list;
    for (int32_t i = 0; i < texts.count; ++i) {
        char* copy = QVI_StrDup(texts.data[i].text);
        if (!copy)
            break;
        list->items[list->count++] = copy;
    }
    return list;
}

void QV_FreeStringList(StringList* list)
{
    if (!list)
        return;
    if (list->items) {
        for (int32_t i = 0; i < list->count; ++i)
            free(list->items[i]);
        free(list->items);
    }
    list->items = nullptr;
    list->count = 0;
    free(list);
}

void QVI_FillFileSystemAPI(QuavenFileSystemAPI* table)
{
    if (!table)
        return;
    table->AddSearchPath = QV_FileSystem_AddSearchPath;
    table->CloseFile = QV_FileSystem_CloseFile;
    table->CreateDirectory = QV_FileSystem_CreateDirectory;
    table->DeleteDirectory = QV_FileSystem_DeleteDirectory;
    table->DeleteFile = QV_FileSystem_DeleteFile;
    table->FindFiles = QV_FileSystem_FindFiles;
    table->FileExists = QV_FileSystem_FileExists;
    table->FlushFile = QV_FileSystem_FlushFile;
    table->GetFileInfo = QV_FileSystem_GetFileInfo;
    table->GetFilePosition = QV_FileSystem_GetFilePosition;
    table->GetSearchPathCount = QV_FileSystem_GetSearchPathCount;
    table->GetSearchPath = QV_FileSystem_GetSearchPath;
    table->IsPathValid = QV_FileSystem_IsPathValid;
    table->Mount = QV_FileSystem_Mount;
    table->OpenFile = QV_FileSystem_OpenFile;
    table->Read = QV_FileSystem_Read;
    table->RemoveSearchPath = QV_FileSystem_RemoveSearchPath;
    table->IsSearchPath = QV_FileSystem_IsSearchPath;
    table->Seek = QV_FileSystem_Seek;
    table->Unmount = QV_FileSystem_Unmount;
    table->Write = QV_FileSystem_Write;
}
