#include "platform/windows/win32.h"

#include <shlobj.h>

#include "filesystem/base_paths.h"

#include <cstring>

#include "filesystem/backends.h"
#include "filesystem/native_paths.h"
#include "filesystem/scheme.h"
#include "filesystem/url_roots.h"
#include "filesystem/vfs_operations.h"

namespace {

const int kCreateFolderFlag = 0x8000;
const int kModulePathBytes = 260;
const char kDefaultDeveloperFolder[] = "Kelmark";
const char kDefaultTitleFolder[] = "unknown";

bool IsEmpty(const String& text)
{
    return !text.text || text.text[0] == '\0';
}

// The running executable's folder; "" when its name does not fit the buffer (a cut
// name would give a wrong folder).
String ExecutableFolder()
{
    char modulePath[kModulePathBytes] = {};
    DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof(modulePath));
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

} // namespace

String QVI_GetSpecialFolderPath(int folderId)
{
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, folderId | kCreateFolderFlag, nullptr, 0, folder)))
        return String("");
    QVI_NormalizeNativePath(folder);
    return String(folder);
}

bool QVI_InitBasePaths()
{
    for (int i = 0; i < kSchemeCount; ++i)
        g_defaultUrlRoots[i].Assign("");
    g_defaultUrlRoots[SCHEME_DOCS] = QVI_GetSpecialFolderPath(CSIDL_PERSONAL);
    g_defaultUrlRoots[SCHEME_RES] = ExecutableFolder();
    g_defaultUrlRoots[SCHEME_USER] = QVI_GetSpecialFolderPath(CSIDL_APPDATA);
    g_defaultUrlRoots[SCHEME_HTTP].Assign("http://");
    for (int i = 0; i < kSchemeCount; ++i)
        g_currentUrlRoots[i] = g_defaultUrlRoots[i];
    return !IsEmpty(g_defaultUrlRoots[SCHEME_USER]);
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
    if (IsEmpty(base))
        return false;
    String developerFolder = QVI_GetDeveloperFolderName(developerName);
    String titleFolder = QVI_GetTitleFolderName(title);
    String userRoot = String::FromFormat("%s/%s/%s", base.text, developerFolder.text, titleFolder.text);
    if (IsEmpty(userRoot))
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

    if (QVI_GetFileSystemBackend(SCHEME_CACHE) && !QVI_CreateDirectory("user://cache"))
        allCreated = false;
    if (QVI_GetFileSystemBackend(SCHEME_LOGS) && !QVI_CreateDirectory("user://logs"))
        allCreated = false;
    if (QVI_GetFileSystemBackend(SCHEME_DOCS) && !docsMoved && !QVI_CreateDirectory("user://documents"))
        allCreated = false;
    return allCreated;
}
