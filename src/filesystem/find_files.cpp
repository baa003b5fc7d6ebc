#include "filesystem/find_files.h"

#include <cstring>

#include "filesystem/backends.h"
#include "filesystem/native_paths.h"
#include "filesystem/search_paths.h"

namespace {

bool IsListableScheme(Scheme scheme)
{
    return scheme == SCHEME_DOCS || scheme == SCHEME_RES || scheme == SCHEME_UGC;
}

bool IsEmpty(const char* text)
{
    return !text || text[0] == '\0';
}

} // namespace

void QVI_AddUniqueFileName(Array<String>& list, const char* directory, const char* name)
{
    if (!name)
        return;
    String entry = IsEmpty(directory) ? String(name) : String(directory) + name;
    if (!entry.text)
        return;
    for (int32_t i = 0; i < list.count; ++i) {
        if (list.data[i].text && strcmp(list.data[i].text, entry.text) == 0)
            return;
    }
    list.Add(entry);
}

void QVI_FindFilesInSystem(Scheme scheme, const Array<String>& patterns, const char* relativePath,
                           const char* nativeRoot, bool recursive, Array<String>& results)
{
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    if (!backend || IsEmpty(nativeRoot))
        return;
    String relative(relativePath ? relativePath : "");
    String root(nativeRoot);
    if (!relative.text || !root.text)
        return;
    size_t relativeLength = strlen(relative.text);
    if (relativeLength > 0 && relative.text[relativeLength - 1] != '/')
        relative.Append("/");
    size_t rootLength = strlen(root.text);
    if (rootLength > 0 && root.text[rootLength - 1] == '/')
        root.RemoveLast(1);
    if (!relative.text || root.text[0] == '\0')
        return;
    backend->FindFiles(scheme, relative, root, patterns, recursive, results);
}

void QVI_FindFiles(Array<String>& out, const char* path, const Array<String>& patterns, bool recursive)
{
    if (!path)
        return;
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme != SCHEME_NONE) {
        if (!IsListableScheme(scheme))
            return;
        String nativeRoot = ConvertPathToNativePath(scheme, path);
        QVI_FindFilesInSystem(scheme, patterns, path, nativeRoot.text, recursive, out);
        return;
    }

    SearchPathSnapshot searchPaths = QVI_GetSearchPathSnapshot();
    for (int32_t i = 0; i < searchPaths.count; ++i) {
        const char* searchPath = searchPaths.data[i];
        if (strcmp(searchPath, "res://") == 0)
            continue;
        Scheme searchScheme = QVI_GetPathScheme(searchPath);
        if (!IsListableScheme(searchScheme) || !QVI_GetFileSystemBackend(searchScheme))
            continue;
        String nativeRoot = ConvertPathToNativePath(searchScheme, searchPath);
        if (IsEmpty(nativeRoot.text))
            continue;
        nativeRoot.Append(path);
        QVI_FindFilesInSystem(searchScheme, patterns, path, nativeRoot.text, recursive, out);
    }
}
