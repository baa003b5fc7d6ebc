#include "platform/windows/win32.h"

#include "filesystem/native_paths.h"

#include <cstring>

#include "filesystem/file_system_messages.h"
#include "filesystem/url_roots.h"
#include "quaven/types.h"

namespace {

const int kNativePathLimit = 260;

bool IsEmpty(const String& text)
{
    return !text.text || text.text[0] == '\0';
}

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

String JoinRootAndRest(const String& root, const char* rest)
{
    String result(root);
    if (!EndsWithSlash(root.text))
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
    if (!QVI_IsServedScheme(scheme) || !path || IsEmpty(g_currentUrlRoots[scheme]))
        return String("");
    String result = JoinRootAndRest(g_currentUrlRoots[scheme], TextAfterScheme(path));
    if (scheme == SCHEME_HTTP && strlen(result.text) > static_cast<size_t>(kNativePathLimit))
        QVI_ReportPopup(QV_LOG_WARNING,
                        "File System ConvertPathToNativePath: local native path '%s' of path '%s' is too long (max %i characters).",
                        result.text, path, kNativePathLimit);
    return result;
}

String QV_ConvertStaticPathToNativeOSPath(const char* path)
{
    Scheme scheme = QVI_GetPathScheme(path);
    if (!QVI_IsServedScheme(scheme) || IsEmpty(g_currentUrlRoots[scheme]))
        return String("");
    // From the last '/' of "://" on: exactly one '/' after the root.
    const char* rest = path + QVI_GetSchemePrefixLength(path);
    String result(g_currentUrlRoots[scheme]);
    if (EndsWithSlash(result.text))
        result.RemoveLast(1);
    result.Append("/");
    result.Append(rest);
    if (scheme == SCHEME_HTTP && strlen(result.text) > static_cast<size_t>(kNativePathLimit))
        QVI_ReportPopup(QV_LOG_WARNING,
                        "QV_ConvertStaticPathToNativeOSPath: local native path '%s' of path '%s' is too long (max %i characters).",
                        result.text, path, kNativePathLimit);
    return result;
}

String QVI_ConvertNativePathToPath(const char* nativePath)
{
    if (!nativePath)
        return String("");
    String normalized(nativePath);
    QVI_NormalizeNativePath(normalized.text);
    const char* text = normalized.text;

    for (int i = 0; i < kSchemeCount; ++i) {
        const String& root = g_currentUrlRoots[i];
        if (IsEmpty(root))
            continue;
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
