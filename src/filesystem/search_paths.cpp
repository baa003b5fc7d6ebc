#include "filesystem/search_paths.h"

#include <cstring>

#include "core/engine_string.h"
#include "core/cstring_utils.h"
#include "filesystem/backends.h"
#include "platform/os.h"

namespace {

// Constant-initialised: the lock and the pointers need no start-up code and no exit
// code, so the list can be used at any point of the process's life.
OsReaderWriterLock g_searchPathLock = {};
Array<const char*>* g_searchPaths = nullptr;
Array<char*>* g_internedTexts = nullptr;

class ExclusiveHold {
public:
    ExclusiveHold() { QVI_OsEnterExclusive(&g_searchPathLock); }
    ~ExclusiveHold() { QVI_OsLeaveExclusive(&g_searchPathLock); }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
};

class SharedHold {
public:
    SharedHold() { QVI_OsEnterShared(&g_searchPathLock); }
    ~SharedHold() { QVI_OsLeaveShared(&g_searchPathLock); }
    SharedHold(const SharedHold&) = delete;
    SharedHold& operator=(const SharedHold&) = delete;
};

// Under the exclusive lock.
const char* Intern(const char* text)
{
    if (!g_internedTexts)
        g_internedTexts = new Array<char*>();
    for (int32_t i = 0; i < g_internedTexts->count; ++i) {
        if (strcmp(g_internedTexts->data[i], text) == 0)
            return g_internedTexts->data[i];
    }
    size_t length = strlen(text);
    char* copy = new char[length + 1];
    memcpy(copy, text, length + 1);
    g_internedTexts->Add(copy);
    return copy;
}

// Under either lock.
int IndexOf(const char* path)
{
    if (!g_searchPaths || !path)
        return -1;
    for (int32_t i = 0; i < g_searchPaths->count; ++i) {
        if (strcmp(g_searchPaths->data[i], path) == 0)
            return i;
    }
    return -1;
}

void InsertAtFront(Array<const char*>& list, const char* text)
{
    list.Add(text);
    for (int32_t i = list.count - 1; i > 0; --i)
        list.data[i] = list.data[i - 1];
    list.data[0] = text;
}

} // namespace

SearchPathSnapshot QVI_GetSearchPathSnapshot()
{
    SharedHold hold;
    if (!g_searchPaths)
        return SearchPathSnapshot();
    return *g_searchPaths;
}

int QVI_GetSearchPathListCount()
{
    SharedHold hold;
    return g_searchPaths ? g_searchPaths->count : 0;
}

const char* QVI_GetSearchPathAt(int index)
{
    SharedHold hold;
    if (!g_searchPaths || index < 0 || index >= g_searchPaths->count)
        return nullptr;
    return g_searchPaths->data[index];
}

int QVI_FindSearchPath(const char* path)
{
    SharedHold hold;
    return IndexOf(path);
}

void QVI_InsertSearchPath(const char* path, bool first, int* countBefore, SearchPathSnapshot* after)
{
    if (!path)
        return;
    ExclusiveHold hold;
    if (!g_searchPaths)
        g_searchPaths = new Array<const char*>();
    int existing = IndexOf(path);
    if (existing >= 0)
        g_searchPaths->RemoveAt(existing);
    if (countBefore)
        *countBefore = g_searchPaths->count;
    const char* text = Intern(path);
    if (first)
        InsertAtFront(*g_searchPaths, text);
    else
        g_searchPaths->Add(text);
    if (after)
        *after = *g_searchPaths;
}

int QVI_RemoveSearchPathEntry(const char* path)
{
    ExclusiveHold hold;
    int index = IndexOf(path);
    if (index >= 0)
        g_searchPaths->RemoveAt(index);
    return index;
}

void QVI_FreeSearchPaths()
{
    ExclusiveHold hold;
    delete g_searchPaths;
    g_searchPaths = nullptr;
    if (g_internedTexts) {
        for (int32_t i = 0; i < g_internedTexts->count; ++i)
            delete[] g_internedTexts->data[i];
        delete g_internedTexts;
        g_internedTexts = nullptr;
    }
}

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
        // A bare root that is not set yet ("ugc://" before its folder is chosen) converts
        // to "": the path then names its file relative to the working folder.
        String native = ConvertPathToNativePath(scheme, searchPath);
        if (!native.text)
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

namespace {

bool IsListableScheme(Scheme scheme)
{
    return scheme == SCHEME_DOCS || scheme == SCHEME_RES || scheme == SCHEME_UGC;
}

// One back end's listing of nativeRoot, names prefixed with relativePath.
void FindFilesInSystem(Scheme scheme, const Array<String>& patterns, const char* relativePath,
                           const char* nativeRoot, bool recursive, Array<String>& results)
{
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(scheme);
    if (!backend || QVI_IsEmptyText(nativeRoot))
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

} // namespace

void QVI_FindFiles(Array<String>& out, const char* path, const Array<String>& patterns, bool recursive)
{
    if (!path)
        return;
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme != SCHEME_NONE) {
        if (!IsListableScheme(scheme))
            return;
        String nativeRoot = ConvertPathToNativePath(scheme, path);
        FindFilesInSystem(scheme, patterns, path, nativeRoot.text, recursive, out);
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
        // As for lookups, an unset root lists relative to the working folder; the bare
        // root itself ("" along "ugc://") stays unlisted in FindFilesInSystem.
        String nativeRoot = ConvertPathToNativePath(searchScheme, searchPath);
        if (!nativeRoot.text)
            continue;
        nativeRoot.Append(path);
        FindFilesInSystem(searchScheme, patterns, path, nativeRoot.text, recursive, out);
    }
}

namespace {

// Written before any program thread exists (start-up), read afterwards.
SearchPathManifestRegistrar g_manifestRegistrar = nullptr;

} // namespace

String QVI_GetSearchPathManifestName(const char* searchPath)
{
    int prefixLength = QVI_GetSchemePrefixLength(searchPath);
    if (prefixLength == 0)
        return String("");
    const char* rest = searchPath + prefixLength;
    size_t restLength = strlen(rest);
    if (restLength > 0 && rest[restLength - 1] == '/')
        --restLength;
    if (restLength == 0)
        return String("");
    String name = String::FromFormat("%.*smanifest-%.*s.xml", prefixLength, searchPath, static_cast<int>(restLength),
                                     rest);
    for (char* c = name.text ? name.text + prefixLength : nullptr; c && *c; ++c) {
        if (*c == '/')
            *c = '-';
    }
    return name;
}

void QVI_SetSearchPathManifestRegistrar(SearchPathManifestRegistrar registrar)
{
    g_manifestRegistrar = registrar;
}

void QVI_RegisterSearchPathManifest(const char* searchPath)
{
    if (!g_manifestRegistrar)
        return;
    String name = QVI_GetSearchPathManifestName(searchPath);
    if (name.text && name.text[0] != '\0')
        g_manifestRegistrar(name.text);
}
