#include "platform/windows/win32.h"

#include <aclapi.h>

#include "filesystem/native_directory.h"

#include <cstring>

#include "filesystem/find_files.h"

namespace {

const DWORD kGenericAll = 0x10000000;
const DWORD kInheritByFoldersAndFiles = 3;
// FindFirstFileA cannot reach deeper than this; stopping here also bounds recursion
// through folder links that loop back on themselves.
const size_t kMaxSearchPathLength = MAX_PATH - 1;

bool IsExistingFolder(const char* nativePath)
{
    DWORD attributes = GetFileAttributesA(nativePath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool GrantsEveryone(Scheme scheme)
{
    return scheme == SCHEME_DOCS || scheme == SCHEME_SAVE || scheme == SCHEME_USER;
}

// CreateDirectoryA with an access list granting Everyone GENERIC_ALL. False when the
// security descriptor could not be built (the caller then uses default security);
// *created and *error hold the outcome of the creation itself.
bool CreateWithEveryoneAccess(const char* nativePath, BOOL* created, DWORD* error)
{
    SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return false;

    EXPLICIT_ACCESSA access = {};
    access.grfAccessPermissions = kGenericAll;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = kInheritByFoldersAndFiles;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(everyone);

    PACL acl = nullptr;
    bool built = false;
    if (SetEntriesInAclA(1, &access, nullptr, &acl) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR descriptor;
        if (InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
            SECURITY_ATTRIBUTES attributes = {};
            attributes.nLength = sizeof(attributes);
            attributes.lpSecurityDescriptor = &descriptor;
            attributes.bInheritHandle = FALSE;
            *created = CreateDirectoryA(nativePath, &attributes);
            *error = GetLastError();
            built = true;
        }
        LocalFree(acl);
    }
    FreeSid(everyone);
    return built;
}

bool IsDotEntry(const char* name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

} // namespace

bool QVI_CreateNativeDirectory(const String& nativePath, Scheme scheme)
{
    if (!nativePath.text || nativePath.text[0] == '\0')
        return false;
    BOOL created = FALSE;
    DWORD error = ERROR_SUCCESS;
    if (!GrantsEveryone(scheme) || !CreateWithEveryoneAccess(nativePath.text, &created, &error)) {
        created = CreateDirectoryA(nativePath.text, nullptr);
        error = GetLastError();
    }
    if (created)
        return true;
    // An existing folder is success; an existing file of that name is not a folder.
    return error == ERROR_ALREADY_EXISTS && IsExistingFolder(nativePath.text);
}

void QVI_ListDirectory(Scheme scheme, const String& relativeDir, const String& nativeDir,
                       const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (recursive)
        QVI_ListDirectoryPattern(scheme, relativeDir, nativeDir, -1, patterns, results);
    for (int i = 0; i < patterns.count; ++i)
        QVI_ListDirectoryPattern(scheme, relativeDir, nativeDir, i, patterns, results);
}

void QVI_ListDirectoryPattern(Scheme scheme, const String& relativeDir, const String& nativeDir, int patternIndex,
                              const Array<String>& patterns, Array<String>& results)
{
    if (!nativeDir.text || nativeDir.text[0] == '\0' || patternIndex >= patterns.count)
        return;
    const char* pattern = patternIndex < 0 ? "*" : patterns.data[patternIndex].text;
    if (!pattern)
        return;
    String search = String(nativeDir) + pattern;
    if (!search.text || strlen(search.text) > kMaxSearchPathLength)
        return;

    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(search.text, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (patternIndex >= 0) {
            if (!isFolder)
                QVI_AddUniqueFileName(results, relativeDir.text, entry.cFileName);
            continue;
        }
        if (!isFolder)
            continue;
        String subRelative = String::FromFormat("%s%s/", relativeDir.text ? relativeDir.text : "", entry.cFileName);
        String subNative = String::FromFormat("%s%s/", nativeDir.text, entry.cFileName);
        QVI_ListDirectory(scheme, subRelative, subNative, patterns, true, results);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}
