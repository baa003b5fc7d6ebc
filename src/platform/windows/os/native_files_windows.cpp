#include "platform/native_files.h"

#include "platform/windows/win32.h"
#include <aclapi.h>
#include <shlobj.h>

#include <sys/stat.h>

#include <cstring>
#include <new>

namespace {

const DWORD kGenericAll = 0x10000000;
const DWORD kInheritByFoldersAndFiles = 3;
// FindFirstFileA cannot reach deeper than this.
const size_t kMaxSearchPathLength = MAX_PATH - 1;

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

void FillEntry(const WIN32_FIND_DATAA& found, OsFolderEntry* entry)
{
    entry->name = found.cFileName;
    entry->isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool QVI_OsIsFolder(const char* nativePath)
{
    DWORD attributes = GetFileAttributesA(nativePath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool QVI_OsIsFile(const char* nativePath)
{
    DWORD attributes = GetFileAttributesA(nativePath);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool QVI_OsFileStatus(const char* nativePath, OsFileStatus* status)
{
    struct _stat64 info;
    if (_stat64(nativePath, &info) != 0)
        return false;
    status->size = info.st_size;
    // On Windows st_ctime is the creation time.
    status->created = info.st_ctime;
    status->modified = info.st_mtime;
    status->accessed = info.st_atime;
    return true;
}

OsFolderCreation QVI_OsCreateFolder(const char* nativePath, bool grantEveryone)
{
    BOOL created = FALSE;
    DWORD error = ERROR_SUCCESS;
    if (!grantEveryone || !CreateWithEveryoneAccess(nativePath, &created, &error)) {
        created = CreateDirectoryA(nativePath, nullptr);
        error = GetLastError();
    }
    if (created)
        return OS_FOLDER_CREATED;
    return error == ERROR_ALREADY_EXISTS ? OS_FOLDER_NAME_TAKEN : OS_FOLDER_NOT_CREATED;
}

bool QVI_OsRemoveFolder(const char* nativePath)
{
    return RemoveDirectoryA(nativePath) != 0;
}

bool QVI_OsDeleteFile(const char* nativePath)
{
    return DeleteFileA(nativePath) != 0;
}

struct OsFolderListing {
    HANDLE find;
    WIN32_FIND_DATAA found;
};

OsFolderListing* QVI_OsOpenFolderListing(const char* pattern, OsFolderEntry* first)
{
    if (!pattern || strlen(pattern) > kMaxSearchPathLength)
        return nullptr;
    OsFolderListing* listing = new (std::nothrow) OsFolderListing;
    if (!listing)
        return nullptr;
    listing->find = FindFirstFileA(pattern, &listing->found);
    if (listing->find == INVALID_HANDLE_VALUE) {
        delete listing;
        return nullptr;
    }
    FillEntry(listing->found, first);
    return listing;
}

bool QVI_OsNextFolderEntry(OsFolderListing* listing, OsFolderEntry* entry)
{
    if (!FindNextFileA(listing->find, &listing->found))
        return false;
    FillEntry(listing->found, entry);
    return true;
}

void QVI_OsCloseFolderListing(OsFolderListing* listing)
{
    if (!listing)
        return;
    FindClose(listing->find);
    delete listing;
}

uint32_t QVI_OsExecutablePath(char* path, uint32_t bytes)
{
    return GetModuleFileNameA(nullptr, path, bytes);
}

bool QVI_OsUserFolderPath(OsUserFolder folder, char* path, uint32_t bytes)
{
    int folderId;
    switch (folder) {
    case OS_USER_DOCUMENTS:
        folderId = CSIDL_PERSONAL;
        break;
    case OS_USER_APPLICATION_DATA:
        folderId = CSIDL_APPDATA;
        break;
    default:
        return false;
    }
    // SHGetFolderPathA writes up to MAX_PATH characters whatever the caller has room for.
    char found[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, folderId | CSIDL_FLAG_CREATE, nullptr, 0, found)))
        return false;
    size_t length = strlen(found);
    if (length >= bytes)
        return false;
    memcpy(path, found, length + 1);
    return true;
}
