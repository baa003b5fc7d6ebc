#include "filesystem/folder_system.h"

#include <cstring>

#include "core/cstring_utils.h"
#include "platform/native_files.h"

namespace QVFileSystem {

namespace {

bool GrantsEveryone(Scheme scheme)
{
    return scheme == SCHEME_DOCS || scheme == SCHEME_SAVE || scheme == SCHEME_USER;
}

bool IsDotEntry(const char* name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

bool IsArchiveFileName(const char* nativePath)
{
    return QVI_EndsWith(nativePath, ".obb") || QVI_EndsWith(nativePath, ".pak");
}

// The part of nativePath below root ("a/b" of "C:/root/a/b"), or null when nativePath
// does not lie below root at a folder boundary.
const char* PartBelowRoot(const char* nativePath, const char* root)
{
    size_t rootLength = strlen(root);
    if (strncmp(nativePath, root, rootLength) != 0)
        return nullptr;
    const char* rest = nativePath + rootLength;
    if (rootLength > 0 && root[rootLength - 1] == '/')
        return rest;
    if (rest[0] == '/')
        return rest + 1;
    return rest[0] == '\0' ? rest : nullptr;
}

const char* StdioMode(FileMode mode)
{
    switch (mode) {
    case FILE_MODE_APPEND:
        return "ab";
    case FILE_MODE_READ:
        return "rb";
    case FILE_MODE_WRITE:
        return "wb";
    }
    return nullptr;
}

// The file's size on disk, 0 when it cannot be had (or does not fit 32 bits).
uint32_t NativeFileSize(const char* nativePath)
{
    OsFileStatus status;
    if (!QVI_OsFileStatus(nativePath, &status) || status.size < 0)
        return 0;
    return static_cast<uint32_t>(status.size);
}

// Creates one native folder. docs, save and user folders grant Everyone full access,
// inherited by what they will hold, so that every account of the machine can use
// them. True when the folder was created or already was a folder; a file of that name
// is a failure.
bool CreateNativeDirectory(const String& nativePath, Scheme scheme)
{
    if (!nativePath.text || nativePath.text[0] == '\0')
        return false;
    OsFolderCreation creation = QVI_OsCreateFolder(nativePath.text, GrantsEveryone(scheme));
    if (creation == OS_FOLDER_CREATED)
        return true;
    // An existing folder is success; an existing file of that name is not a folder.
    return creation == OS_FOLDER_NAME_TAKEN && QVI_OsIsFolder(nativePath.text);
}

void ListDirectoryPattern(Scheme scheme, const String& relativeDir, const String& nativeDir, int patternIndex,
                              const Array<String>& patterns, Array<String>& results);

// Lists the files of nativeDir (ending in '/') that match the patterns, adding each
// as relativeDir + name. With recursive set, the files of deeper folders come first;
// within a folder the patterns keep their order.
void ListDirectory(Scheme scheme, const String& relativeDir, const String& nativeDir,
                       const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (recursive)
        ListDirectoryPattern(scheme, relativeDir, nativeDir, -1, patterns, results);
    for (int i = 0; i < patterns.count; ++i)
        ListDirectoryPattern(scheme, relativeDir, nativeDir, i, patterns, results);
}

// One pass over nativeDir: files matching patterns[patternIndex], or, for index -1,
// every sub-folder (listed recursively).
void ListDirectoryPattern(Scheme scheme, const String& relativeDir, const String& nativeDir, int patternIndex,
                              const Array<String>& patterns, Array<String>& results)
{
    if (!nativeDir.text || nativeDir.text[0] == '\0' || patternIndex >= patterns.count)
        return;
    const char* pattern = patternIndex < 0 ? "*" : patterns.data[patternIndex].text;
    if (!pattern)
        return;
    String search = String(nativeDir) + pattern;
    if (!search.text)
        return;

    // The listing refuses a search deeper than the OS's path limit, which also bounds
    // recursion through folder links that loop back on themselves.
    OsFolderEntry entry;
    OsFolderListing* listing = QVI_OsOpenFolderListing(search.text, &entry);
    if (!listing)
        return;
    do {
        if (IsDotEntry(entry.name))
            continue;
        if (patternIndex >= 0) {
            if (!entry.isFolder)
                QVI_AddUniqueFileName(results, relativeDir.text, entry.name);
            continue;
        }
        if (!entry.isFolder)
            continue;
        String subRelative = String::FromFormat("%s%s/", relativeDir.text ? relativeDir.text : "", entry.name);
        String subNative = String::FromFormat("%s%s/", nativeDir.text, entry.name);
        ListDirectory(scheme, subRelative, subNative, patterns, true, results);
    } while (QVI_OsNextFolderEntry(listing, &entry));
    QVI_OsCloseFolderListing(listing);
}

} // namespace

POSIXFile::~POSIXFile()
{
    if (stream)
        fclose(stream);
}

int POSIXFile::Flush()
{
    return stream ? fflush(stream) : 0;
}

uint32_t POSIXFile::Tell()
{
    if (!stream)
        return 0;
    long position = ftell(stream);
    return position < 0 ? 0 : static_cast<uint32_t>(position);
}

uint32_t POSIXFile::Read(void* buffer, uint32_t bytes)
{
    if (!stream || !buffer || bytes == 0)
        return 0;
    return static_cast<uint32_t>(fread(buffer, 1, bytes, stream));
}

int POSIXFile::Seek(int32_t offset, int32_t origin)
{
    // The C runtime may treat an unknown origin as a fatal invalid parameter.
    if (!stream || origin < SEEK_SET || origin > SEEK_END)
        return -1;
    return fseek(stream, offset, origin);
}

uint32_t POSIXFile::Write(const void* buffer, uint32_t bytes)
{
    if (!stream || !buffer || bytes == 0 || !writable)
        return 0;
    return static_cast<uint32_t>(fwrite(buffer, 1, bytes, stream));
}

bool POSIXSystem::CloseFile(File* file)
{
    if (!file)
        return false;
    if (file->flags & File::kArchiveEntryFlag)
        return PAKSystem::CloseFile(file);
    // Deleting the stdio file closes its stream.
    delete file;
    return true;
}

bool POSIXSystem::FileExists(Scheme scheme, const String& nativePath)
{
    if (QVI_SchemeSkipsArchives(scheme))
        return false;
    return PAKSystem::FileExists(scheme, nativePath);
}

void POSIXSystem::FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                            const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (!QVI_SchemeSkipsArchives(scheme))
        PAKSystem::FindFiles(scheme, relativePath, nativeRoot, patterns, recursive, results);
}

File* POSIXSystem::OpenFile(Scheme scheme, const String& nativePath, FileMode mode)
{
    if (!nativePath.text || nativePath.text[0] == '\0')
        return nullptr;
    if (!QVI_SchemeSkipsArchives(scheme)) {
        if (File* entry = PAKSystem::OpenFile(scheme, nativePath, mode))
            return entry;
    }
    const char* stdioMode = StdioMode(mode);
    if (!stdioMode)
        return nullptr;
    FILE* stream = fopen(nativePath.text, stdioMode);
    if (!stream)
        return nullptr;

    POSIXFile* file = new POSIXFile(stream);
    file->size = mode == FILE_MODE_WRITE ? 0 : NativeFileSize(nativePath.text);
    file->flags = 0;
    file->scheme = scheme;
    file->writable = mode != FILE_MODE_READ ? 1 : 0;
    return file;
}

bool WindowsPOSIXSystem::CreateDirectory(Scheme scheme, const String& nativePath)
{
    if (!QVI_IsServedScheme(scheme) || QVI_IsEmptyText(nativePath.text))
        return false;
    const String& root = g_currentUrlRoots[scheme];
    // Under an empty root the folders are made relative to the working folder; a path that
    // names a drive or its root is no part of that.
    const bool relative = QVI_IsEmptyText(root.text);
    const char* below = relative ? nativePath.text : PartBelowRoot(nativePath.text, root.text);
    if (!below || (relative && (below[0] == '/' || strchr(below, ':'))))
        return false;

    String folder(relative ? "" : root.text);
    if (!relative && folder.text[strlen(folder.text) - 1] == '/')
        folder.RemoveLast(1);
    const char* component = below;
    while (*component) {
        const char* end = strchr(component, '/');
        size_t length = end ? static_cast<size_t>(end - component) : strlen(component);
        if (length > 0) {
            // The first folder under an empty root begins the path: no '/' before it.
            if (!QVI_IsEmptyText(folder.text))
                folder.Append("/");
            folder.AppendFormat("%.*s", static_cast<int>(length), component);
            if (!folder.text || !CreateNativeDirectory(folder, scheme))
                return false;
        }
        component += length;
        if (*component == '/')
            ++component;
    }
    return true;
}

bool WindowsPOSIXSystem::CreateRootDirectory(Scheme scheme)
{
    if (!QVI_IsServedScheme(scheme))
        return false;
    return CreateNativeDirectory(g_currentUrlRoots[scheme], scheme);
}

bool WindowsPOSIXSystem::DeleteDirectory(Scheme scheme, const String& nativePath, bool recursive)
{
    if (QVI_IsEmptyText(nativePath.text))
        return false;
    return QVI_OsRemoveFolder(nativePath.text);
}

bool WindowsPOSIXSystem::DeleteFile(Scheme scheme, const String& nativePath)
{
    if (QVI_IsEmptyText(nativePath.text))
        return false;
    return QVI_OsDeleteFile(nativePath.text);
}

bool WindowsPOSIXSystem::FileExists(Scheme scheme, const String& nativePath)
{
    if (QVI_IsEmptyText(nativePath.text))
        return false;
    if (!QVI_SchemeSkipsArchives(scheme) && !IsArchiveFileName(nativePath.text) &&
        PAKSystem::FileExists(scheme, nativePath))
        return true;
    return QVI_OsIsFile(nativePath.text);
}

void WindowsPOSIXSystem::FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                                   const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (QVI_IsEmptyText(nativeRoot.text))
        return;
    if (!QVI_SchemeSkipsArchives(scheme))
        PAKSystem::FindFiles(scheme, relativePath, nativeRoot, patterns, recursive, results);
    ListDirectory(scheme, relativePath, nativeRoot + "/", patterns, recursive, results);
}

bool WindowsPOSIXSystem::GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info)
{
    if (QVI_IsEmptyText(nativePath.text) || !info)
        return false;
    OsFileStatus status;
    if (!QVI_OsFileStatus(nativePath.text, &status))
        return false;
    info->created = static_cast<uint32_t>(status.created);
    info->modified = static_cast<uint32_t>(status.modified);
    info->accessed = static_cast<uint32_t>(status.accessed);
    return true;
}

} // namespace QVFileSystem
