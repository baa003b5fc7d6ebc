#include "filesystem/windows_posix_system.h"

#include <sys/stat.h>

#include <cstring>

#include "filesystem/native_directory.h"
#include "filesystem/url_roots.h"

namespace QVFileSystem {

namespace {

bool IsEmpty(const String& text)
{
    return !text.text || text.text[0] == '\0';
}

bool EndsWith(const char* text, const char* suffix)
{
    size_t length = strlen(text);
    size_t suffixLength = strlen(suffix);
    return length >= suffixLength && strcmp(text + length - suffixLength, suffix) == 0;
}

bool IsArchiveFileName(const char* nativePath)
{
    return EndsWith(nativePath, ".obb") || EndsWith(nativePath, ".pak");
}

bool IsNativeFile(const char* nativePath)
{
    DWORD attributes = GetFileAttributesA(nativePath);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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

} // namespace

bool WindowsPOSIXSystem::CreateDirectory(Scheme scheme, const String& nativePath)
{
    if (!QVI_IsServedScheme(scheme) || IsEmpty(nativePath) || IsEmpty(g_currentUrlRoots[scheme]))
        return false;
    const String& root = g_currentUrlRoots[scheme];
    const char* below = PartBelowRoot(nativePath.text, root.text);
    if (!below)
        return false;

    String folder(root);
    if (folder.text[strlen(folder.text) - 1] == '/')
        folder.RemoveLast(1);
    const char* component = below;
    while (*component) {
        const char* end = strchr(component, '/');
        size_t length = end ? static_cast<size_t>(end - component) : strlen(component);
        if (length > 0) {
            folder.AppendFormat("/%.*s", static_cast<int>(length), component);
            if (!folder.text || !QVI_CreateNativeDirectory(folder, scheme))
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
    return QVI_CreateNativeDirectory(g_currentUrlRoots[scheme], scheme);
}

bool WindowsPOSIXSystem::DeleteDirectory(Scheme scheme, const String& nativePath, bool recursive)
{
    if (IsEmpty(nativePath))
        return false;
    return RemoveDirectoryA(nativePath.text) != 0;
}

bool WindowsPOSIXSystem::DeleteFile(Scheme scheme, const String& nativePath)
{
    if (IsEmpty(nativePath))
        return false;
    return ::DeleteFileA(nativePath.text) != 0;
}

bool WindowsPOSIXSystem::FileExists(Scheme scheme, const String& nativePath)
{
    if (IsEmpty(nativePath))
        return false;
    if (!QVI_SchemeSkipsArchives(scheme) && !IsArchiveFileName(nativePath.text) &&
        PAKSystem::FileExists(scheme, nativePath))
        return true;
    return IsNativeFile(nativePath.text);
}

void WindowsPOSIXSystem::FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                                   const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (IsEmpty(nativeRoot))
        return;
    if (!QVI_SchemeSkipsArchives(scheme))
        PAKSystem::FindFiles(scheme, relativePath, nativeRoot, patterns, recursive, results);
    QVI_ListDirectory(scheme, relativePath, nativeRoot + "/", patterns, recursive, results);
}

bool WindowsPOSIXSystem::GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info)
{
    if (IsEmpty(nativePath) || !info)
        return false;
    struct _stat64 status;
    if (_stat64(nativePath.text, &status) != 0)
        return false;
    // On Windows st_ctime is the creation time.
    info->created = static_cast<uint32_t>(status.st_ctime);
    info->modified = static_cast<uint32_t>(status.st_mtime);
    info->accessed = static_cast<uint32_t>(status.st_atime);
    return true;
}

} // namespace QVFileSystem
