#pragma once

#include <cstdint>

// What the folder back end and the scheme roots ask of the operating system about native
// files and folders. Paths are the OS's own, narrow, in the process's code page; both '/'
// and '\\' separate folders in what is passed in.

// True for a native path naming an existing folder.
bool QVI_OsIsFolder(const char* nativePath);
// True for a native path naming an existing file (anything the OS has there but a folder).
bool QVI_OsIsFile(const char* nativePath);

// What the C runtime knows of a file or folder. Times are seconds since 1970 (UTC).
struct OsFileStatus {
    int64_t size;
    int64_t created;
    int64_t modified;
    int64_t accessed;
};
// False, with *status untouched, when the OS cannot describe the path.
bool QVI_OsFileStatus(const char* nativePath, OsFileStatus* status);

enum OsFolderCreation {
    OS_FOLDER_CREATED,
    // Something already has that name: a folder, or a file in the way of one.
    OS_FOLDER_NAME_TAKEN,
    OS_FOLDER_NOT_CREATED,
};
// Creates one folder; its parent must exist. With grantEveryone set, the folder's access list
// grants every account of the machine full access, inherited by what the folder will hold, so
// that folders shared by all users stay usable by each of them; when the OS cannot build such
// a list the folder gets the default security instead.
OsFolderCreation QVI_OsCreateFolder(const char* nativePath, bool grantEveryone);
// Removes an empty folder; false when the OS refuses (not empty, missing, in use).
bool QVI_OsRemoveFolder(const char* nativePath);
// Deletes a file; false when the OS refuses (missing, read-only, in use).
bool QVI_OsDeleteFile(const char* nativePath);

// One entry of a folder listing. name lasts until the next call on the listing.
struct OsFolderEntry {
    const char* name;
    bool isFolder;
};
struct OsFolderListing;  // opaque

// Lists the entries of a folder that match a pattern ("C:/game/*.pak": the folder, then a
// name where '*' and '?' stand for any run and any one character), "." and ".." among them
// where the OS lists those. The first entry lands in *first. Null, and nothing to close,
// when nothing matches, the folder cannot be read, or the pattern is longer than the OS's
// path limit lets a listing reach: folders that deep are not listed at all.
OsFolderListing* QVI_OsOpenFolderListing(const char* pattern, OsFolderEntry* first);
// The next entry; false at the end of the listing.
bool QVI_OsNextFolderEntry(OsFolderListing* listing, OsFolderEntry* entry);
void QVI_OsCloseFolderListing(OsFolderListing* listing);

// Writes the running executable's full native path, with the OS's '\\' separators, into
// path. Returns its length: 0 when the OS cannot tell, bytes or more when the path did not
// fit (what is in path is then cut and may lack its terminator).
uint32_t QVI_OsExecutablePath(char* path, uint32_t bytes);

enum OsUserFolder {
    OS_USER_DOCUMENTS,         // the user's documents
    OS_USER_APPLICATION_DATA,  // the per-user (roaming) application data
};
// Writes the user's folder of that kind, created when missing, as the OS spells it, into
// path. False when the OS cannot tell or the answer does not fit bytes; path is then not
// meaningful.
bool QVI_OsUserFolderPath(OsUserFolder folder, char* path, uint32_t bytes);
