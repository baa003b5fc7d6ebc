#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/engine_string.h"
#include "filesystem/paths.h"
#include "quaven/filesystem.h"

// How a file is opened: by the first character of the API's mode text ('a', 'r', 'w').
enum FileMode {
    FILE_MODE_APPEND = 0,
    FILE_MODE_READ = 1,
    FILE_MODE_WRITE = 2
};

namespace QVFileSystem {

// An open file of a back end. The back end that opened it closes and deletes it.
class File {
public:
    static const uint32_t kArchiveEntryFlag = 4;

    uint32_t size = 0;          // size when opened; 0 for a file opened for WRITE
    uint32_t flags = 0;         // kArchiveEntryFlag for an entry of a PAK archive
    Scheme scheme = SCHEME_NONE; // the scheme it was opened under (finds the back end to close it)
    uint8_t writable = 0;       // 1 unless opened for READ

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    virtual ~File() = default;
    virtual int Flush() { return 0; }
    // The native descriptor behind the file, -1 when there is none.
    virtual int GetDescriptor(uint32_t* offset) { return -1; }
    virtual uint32_t Tell() = 0;
    virtual uint32_t Read(void* buffer, uint32_t bytes) = 0;
    // origin 0 start, 1 current, 2 end.
    virtual int Seek(int32_t offset, int32_t origin) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t bytes) { return 0; }
};

// A back end serving one or more schemes. Native paths are the scheme's current root
// followed by the path. Back ends log nothing: they answer false, 0 or null.
class System {
public:
    uint8_t mountable = 0; // only the save mount sets it

    System() = default;
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    virtual ~System() = default;
    // Closes and deletes a file this back end opened.
    virtual bool CloseFile(File* file) = 0;
    virtual bool CreateDirectory(Scheme scheme, const String& nativePath) { return false; }
    virtual bool CreateRootDirectory(Scheme scheme) { return false; }
    virtual bool DeleteDirectory(Scheme scheme, const String& nativePath, bool recursive) { return false; }
    virtual bool DeleteFile(Scheme scheme, const String& nativePath) { return false; }
    virtual bool FileExists(Scheme scheme, const String& nativePath);
    // Adds the names of the matching files below nativeRoot to results, each prefixed
    // with relativePath.
    virtual void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                           const Array<String>& patterns, bool recursive, Array<String>& results)
    {
    }
    virtual bool GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info) { return false; }
    virtual bool Mount(int user) { return false; }
    virtual File* OpenFile(Scheme scheme, const String& nativePath, FileMode mode) = 0;
    virtual void Unmount() {}
};

} // namespace QVFileSystem

// The back end serving each of the eight schemes. Filled once by QVI_InitFileSystem;
// three objects serve all schemes (folders, http://, save://).
extern QVFileSystem::System* g_fileSystemBackends[kSchemeCount];

// When clear, every operation that would modify a res:// path is refused.
extern uint8_t g_resWritable;
// Set once the first successful mount of the save area has created its root folder.
extern uint8_t g_saveRootCreated;

// The back end of a scheme, null for SCHEME_NONE, SCHEME_UNKNOWN or before start-up.
QVFileSystem::System* QVI_GetFileSystemBackend(Scheme scheme);

// Pre-initialisation: sets up the base paths (reporting "File System: failed to
// initialize one or more critical base paths." when the per-user folder is unknown)
// and creates the back ends on the first call. Always true.
bool QVI_InitFileSystem();

// Shutdown: deletes the three back ends and clears the table. Files still open can
// be closed afterwards; their handles are then released without a back end.
void QVI_DeleteFileSystemBackends();

// Process exit: releases the search-path list (with its interned texts) and the
// open-file list. Handles still open are not closed.
void QVI_FreeFileSystemGlobals();
