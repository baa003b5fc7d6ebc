#include "filesystem/paths.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/locks.h"
#include "core/cstring_utils.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/search_paths.h"
#include "platform/native_files.h"
#include "quaven/types.h"

namespace {

const char* const kSchemeNames[kSchemeCount] = {"cache", "docs", "http", "logs", "res", "save", "user", "ugc"};
const char* const kSchemePrefixes[kSchemeCount] = {"cache://", "docs://", "http://", "logs://",
                                                   "res://",   "save://", "user://", "ugc://"};
const char kSchemeSeparator[] = "://";

} // namespace

Scheme QVI_GetPathScheme(const char* path)
{
    if (!path)
        return SCHEME_NONE;
    for (int i = 0; i < kSchemeCount; ++i) {
        if (strncmp(path, kSchemePrefixes[i], strlen(kSchemePrefixes[i])) == 0)
            return static_cast<Scheme>(i);
    }
    return strstr(path, kSchemeSeparator) ? SCHEME_UNKNOWN : SCHEME_NONE;
}

int QVI_GetSchemePrefixLength(const char* path)
{
    const char* separator = path ? strstr(path, kSchemeSeparator) : nullptr;
    if (!separator)
        return 0;
    return static_cast<int>(separator - path) + 3;
}

bool QVI_IsServedScheme(Scheme scheme)
{
    return scheme >= 0 && scheme < kSchemeCount;
}

const char* QVI_GetSchemeName(Scheme scheme)
{
    return QVI_IsServedScheme(scheme) ? kSchemeNames[scheme] : "";
}

bool QVI_SchemeSkipsArchives(Scheme scheme)
{
    return scheme == SCHEME_LOGS || scheme == SCHEME_SAVE || scheme == SCHEME_USER;
}

bool QVI_IsWrittenToDiskFolder(const char* path)
{
    const Scheme scheme = QVI_GetPathScheme(path);
    if (!QVI_IsServedScheme(scheme) || scheme == SCHEME_SAVE || scheme == SCHEME_HTTP)
        return false;
    const String native = QV_ConvertStaticPathToNativeOSPath(path);
    return native.text && native.text[0];
}

namespace {

const int kModulePathBytes = 260;
const int kSpecialFolderBytes = 260;
const char kDefaultDeveloperFolder[] = "Kelmark";
const char kDefaultTitleFolder[] = "unknown";

// The running executable's folder; "" when its name does not fit the buffer (a cut
// name would give a wrong folder).
String ExecutableFolder()
{
    char modulePath[kModulePathBytes] = {};
    uint32_t length = QVI_OsExecutablePath(modulePath, sizeof(modulePath));
    if (length == 0 || length >= sizeof(modulePath))
        return String("");
    char* lastSeparator = strrchr(modulePath, '\\');
    if (!lastSeparator)
        return String("");
    *lastSeparator = '\0';
    QVI_NormalizeNativePath(modulePath);
    return String(modulePath);
}

bool IsTitleCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// A root moved away from its default by someone before start-up set it.
bool HasOverrideRoot(Scheme scheme)
{
    const String& current = g_currentUrlRoots[scheme];
    const String& fallback = g_defaultUrlRoots[scheme];
    const char* currentText = current.text ? current.text : "";
    const char* defaultText = fallback.text ? fallback.text : "";
    return strcmp(currentText, defaultText) != 0;
}

// The user's folder of that kind (created when missing), with '/' separators; "" when the
// OS cannot answer.
String SpecialFolderPath(OsUserFolder which)
{
    char folder[kSpecialFolderBytes] = {};
    if (!QVI_OsUserFolderPath(which, folder, sizeof(folder)))
        return String("");
    QVI_NormalizeNativePath(folder);
    return String(folder);
}

} // namespace

bool QVI_InitBasePaths()
{
    for (int i = 0; i < kSchemeCount; ++i)
        g_defaultUrlRoots[i].Assign("");
    g_defaultUrlRoots[SCHEME_DOCS] = SpecialFolderPath(OS_USER_DOCUMENTS);
    g_defaultUrlRoots[SCHEME_RES] = ExecutableFolder();
    g_defaultUrlRoots[SCHEME_USER] = SpecialFolderPath(OS_USER_APPLICATION_DATA);
    g_defaultUrlRoots[SCHEME_HTTP].Assign("http://");
    for (int i = 0; i < kSchemeCount; ++i)
        g_currentUrlRoots[i] = g_defaultUrlRoots[i];
    return !QVI_IsEmptyText(g_defaultUrlRoots[SCHEME_USER].text);
}

String QVI_GetDeveloperFolderName(const char* developerName)
{
    if (!developerName || developerName[0] == '\0')
        return String(kDefaultDeveloperFolder);
    return String(developerName);
}

String QVI_GetTitleFolderName(const char* title)
{
    if (!title || title[0] == '\0')
        return String(kDefaultTitleFolder);
    String folder(title);
    for (char* c = folder.text; c && *c; ++c) {
        if (!IsTitleCharacter(*c))
            *c = '_';
    }
    return folder;
}

bool QVI_SetUpUserFolders(const char* developerName, const char* title)
{
    const String& base = g_defaultUrlRoots[SCHEME_USER];
    if (QVI_IsEmptyText(base.text))
        return false;
    String developerFolder = QVI_GetDeveloperFolderName(developerName);
    String titleFolder = QVI_GetTitleFolderName(title);
    String userRoot = String::FromFormat("%s/%s/%s", base.text, developerFolder.text, titleFolder.text);
    if (QVI_IsEmptyText(userRoot.text))
        return false;

    // The per-user folder is created below the application-data folder, so user://
    // still has its default root while that happens.
    bool allCreated = true;
    g_currentUrlRoots[SCHEME_USER] = base;
    QVFileSystem::System* userBackend = QVI_GetFileSystemBackend(SCHEME_USER);
    if (!userBackend || !userBackend->CreateDirectory(SCHEME_USER, userRoot))
        allCreated = false;

    bool docsMoved = HasOverrideRoot(SCHEME_DOCS);
    bool saveMoved = HasOverrideRoot(SCHEME_SAVE);
    g_currentUrlRoots[SCHEME_USER] = userRoot;
    g_currentUrlRoots[SCHEME_CACHE] = userRoot + "/cache";
    g_currentUrlRoots[SCHEME_LOGS] = userRoot + "/logs";
    if (!docsMoved)
        g_currentUrlRoots[SCHEME_DOCS] = userRoot + "/documents";
    if (!saveMoved)
        g_currentUrlRoots[SCHEME_SAVE] = userRoot + "/save";

    if (QVI_GetFileSystemBackend(SCHEME_CACHE) && !QV_FileSystem_CreateDirectory("user://cache"))
        allCreated = false;
    if (QVI_GetFileSystemBackend(SCHEME_LOGS) && !QV_FileSystem_CreateDirectory("user://logs"))
        allCreated = false;
    if (QVI_GetFileSystemBackend(SCHEME_DOCS) && !docsMoved && !QV_FileSystem_CreateDirectory("user://documents"))
        allCreated = false;
    return allCreated;
}

namespace {

bool IsPathCharacter(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != '\0' && strchr(" ()-./@_", c) != nullptr;
}

bool HasOnlyPathCharacters(const char* text, size_t length, bool allowStar)
{
    for (size_t i = 0; i < length; ++i) {
        if (allowStar && text[i] == '*')
            continue;
        if (!IsPathCharacter(text[i]))
            return false;
    }
    return true;
}

// Whether text[0, length) contains needle.
bool ContainsWithin(const char* text, size_t length, const char* needle)
{
    size_t needleLength = strlen(needle);
    for (size_t i = 0; i + needleLength <= length; ++i) {
        if (memcmp(text + i, needle, needleLength) == 0)
            return true;
    }
    return false;
}

} // namespace

bool QVI_IsPathValid(const char* path, bool requireScheme, bool allowEmpty)
{
    if (!path)
        return false;
    Scheme scheme = QVI_GetPathScheme(path);
    if (scheme == SCHEME_UNKNOWN)
        return false;
    bool hasScheme = scheme != SCHEME_NONE;
    if (requireScheme && !hasScheme)
        return false;
    // strnlen stops at the limit, so an enormous text is not measured in full.
    size_t length = strnlen(path, kMaxEnginePathLength);
    if (length >= static_cast<size_t>(kMaxEnginePathLength))
        return false;

    const char* rest = path + QVI_GetSchemePrefixLength(path);
    size_t restLength = length - static_cast<size_t>(rest - path);
    if (rest[0] == '/')
        return false;
    if (restLength == 0 && !(allowEmpty && hasScheme))
        return false;
    if (ContainsWithin(rest, restLength, "..") || ContainsWithin(rest, restLength, "//"))
        return false;
    return HasOnlyPathCharacters(rest, restLength, false);
}

bool QVI_ParseWildcards(const char* list, Array<String>& out)
{
    if (!list)
        return true;
    Array<String> patterns;
    const char* start = list;
    for (;;) {
        const char* end = strchr(start, ';');
        size_t length = end ? static_cast<size_t>(end - start) : strlen(start);
        if (length >= static_cast<size_t>(kMaxEnginePathLength))
            return false;
        if (!HasOnlyPathCharacters(start, length, true) || ContainsWithin(start, length, ".."))
            return false;
        patterns.Add(String::FromFormat("%.*s", static_cast<int>(length), start));
        if (!end)
            break;
        start = end + 1;
    }
    for (int32_t i = 0; i < patterns.count; ++i)
        out.Add(patterns.data[i]);
    return true;
}

namespace {

const int kNativePathLimit = 260;

bool EndsWithSlash(const char* text)
{
    size_t length = strlen(text);
    return length > 0 && text[length - 1] == '/';
}

const char* TextAfterScheme(const char* path)
{
    const char* separator = strstr(path, "://");
    return separator ? separator + 3 : path;
}

// Start of the first parent step "/.." that ends at '/' or at the end, or null.
char* FindParentStep(char* path)
{
    for (char* step = strstr(path, "/.."); step; step = strstr(step + 1, "/..")) {
        if (step[3] == '/' || step[3] == '\0')
            return step;
    }
    return nullptr;
}

// http:// files land in the cache under a native path that Windows limits.
void WarnIfDownloadPathTooLong(const char* who, Scheme scheme, const String& native, const char* path)
{
    if (scheme == SCHEME_HTTP && strlen(native.text) > static_cast<size_t>(kNativePathLimit))
        QVI_ReportPopup(QV_LOG_WARNING, "%s: local native path '%s' of path '%s' is too long (max %i characters).", who,
                        native.text, path, kNativePathLimit);
}

// An empty root gives the rest as it is, relative to the working folder: a '/' before it
// would reach the root of the drive instead.
String JoinRootAndRest(const String& root, const char* rest)
{
    String result(root);
    if (!QVI_IsEmptyText(root.text) && !EndsWithSlash(root.text))
        result.Append("/");
    result.Append(rest);
    return result;
}

} // namespace

void QVI_NormalizeNativePath(char* path)
{
    if (!path)
        return;
    for (char* p = path; *p; ++p) {
        if (*p == '\\')
            *p = '/';
    }
    for (char* step = FindParentStep(path); step; step = FindParentStep(path)) {
        // The component before the step starts at the previous '/' or at the start.
        char* componentStart = step;
        while (componentStart > path && componentStart[-1] != '/')
            --componentStart;
        if (componentStart > path)
            --componentStart;
        char* after = step + 3;
        memmove(componentStart, after, strlen(after) + 1);
    }
}

String ConvertPathToNativePath(Scheme scheme, const char* path)
{
    if (!QVI_IsServedScheme(scheme) || !path)
        return String("");
    String result = JoinRootAndRest(g_currentUrlRoots[scheme], TextAfterScheme(path));
    WarnIfDownloadPathTooLong("File System ConvertPathToNativePath", scheme, result, path);
    return result;
}

String QV_ConvertStaticPathToNativeOSPath(const char* path)
{
    Scheme scheme = QVI_GetPathScheme(path);
    if (!QVI_IsServedScheme(scheme))
        return String("");
    const char* rest = path + QVI_GetSchemePrefixLength(path);
    if (QVI_IsEmptyText(g_currentUrlRoots[scheme].text)) {
        // An empty root stands for the working folder, where the file system opens these
        // files: the rest as it is. With a '/' before it, the answer would name the root of
        // the drive, where none of them is.
        return rest[0] == '/' ? String("") : String(rest);
    }
    // From the last '/' of "://" on: exactly one '/' after the root.
    String result(g_currentUrlRoots[scheme]);
    if (EndsWithSlash(result.text))
        result.RemoveLast(1);
    result.Append("/");
    result.Append(rest);
    WarnIfDownloadPathTooLong("QV_ConvertStaticPathToNativeOSPath", scheme, result, path);
    return result;
}

namespace {

// A path from the root of a drive ("/x", "//server/x" once normalised) or naming its drive ("C:x").
bool IsAbsoluteNativePath(const char* path)
{
    return path[0] == '/' || (path[0] != '\0' && path[1] == ':');
}

} // namespace

String QVI_ConvertNativePathToPath(const char* nativePath)
{
    if (!nativePath)
        return String("");
    String normalized(nativePath);
    QVI_NormalizeNativePath(normalized.text);
    const char* text = normalized.text;

    for (int i = 0; i < kSchemeCount; ++i) {
        const String& root = g_currentUrlRoots[i];
        if (QVI_IsEmptyText(root.text)) {
            // An empty root is the working folder: it covers a relative native path as it
            // is. An absolute one is below it in no form the scheme can name ("ugc://C:/x"
            // is no valid path, "ugc://x" would be another file), so it looks further.
            if (IsAbsoluteNativePath(text))
                continue;
            return String::FromFormat("%s://%s", QVI_GetSchemeName(static_cast<Scheme>(i)), text);
        }
        size_t rootLength = strlen(root.text);
        if (strncmp(text, root.text, rootLength) != 0)
            continue;
        // "C:/game" covers "C:/game" and "C:/game/x", not "C:/gamedata/x".
        const char* rest = text + rootLength;
        bool atBoundary = EndsWithSlash(root.text) || rest[0] == '/' || rest[0] == '\0';
        if (!atBoundary)
            continue;
        if (rest[0] == '/' && !EndsWithSlash(root.text))
            ++rest;
        return String::FromFormat("%s://%s", QVI_GetSchemeName(static_cast<Scheme>(i)), rest);
    }
    return String("");
}

namespace {

// Changed only under the engine lock GET_PATH.
char g_resolvedPaths[kResolvedPathBufferCount][kResolvedPathBytes];
int g_resolvedPathIndex = 0;

bool OpensFor(const char* path, const char* mode)
{
    FileHandle* file = QV_FileSystem_OpenFile(path, mode);
    if (!file)
        return false;
    QV_FileSystem_CloseFile(file);
    return true;
}

// Copies first + second into the buffer; false, with the buffer untouched, when they
// do not fit together.
bool ComposeInto(char* buffer, const char* first, const char* second)
{
    size_t firstLength = strlen(first);
    size_t secondLength = strlen(second);
    if (firstLength + secondLength >= static_cast<size_t>(kResolvedPathBytes))
        return false;
    memcpy(buffer, first, firstLength);
    memcpy(buffer + firstLength, second, secondLength + 1);
    return true;
}

} // namespace

bool QVI_IsPathCreatable(const char* path)
{
    // An invalid path has been reported by the open that came before the probe.
    if (!QVI_IsPathValid(path, false, false) || QV_FileSystem_FileExists(path))
        return false;
    FileHandle* file = QV_FileSystem_OpenFile(path, "wb");
    if (!file)
        return false;
    QV_FileSystem_CloseFile(file);
    QV_FileSystem_DeleteFile(path);
    return true;
}

const char* QVI_ResolveFilePath(const char* path, bool mustExist)
{
    EngineLockHold hold(MUTEX_GET_PATH);
    g_resolvedPathIndex = (g_resolvedPathIndex + 1) % kResolvedPathBufferCount;
    char* buffer = g_resolvedPaths[g_resolvedPathIndex];
    if (!path)
        return nullptr;

    if (QVI_IsServedScheme(QVI_GetPathScheme(path))) {
        if (!ComposeInto(buffer, path, ""))
            return nullptr;
        if (OpensFor(path, "r"))
            return buffer;
        if (!mustExist && QVI_IsPathCreatable(buffer))
            return buffer;
        return nullptr;
    }

    SearchPathSnapshot searchPaths = QVI_GetSearchPathSnapshot();
    for (int32_t i = 0; i < searchPaths.count; ++i) {
        if (!ComposeInto(buffer, searchPaths.data[i], path))
            continue;
        if (OpensFor(buffer, "rb"))
            return buffer;
        if (!mustExist && QVI_IsPathCreatable(buffer))
            return buffer;
    }
    return nullptr;
}
