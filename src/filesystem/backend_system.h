#pragma once

// CreateDirectory and DeleteFile are <windows.h> macros: every file that sees the
// back-end classes must see them renamed the same way.
#include "platform/windows/win32.h"

#include "core/array.h"
#include "core/engine_string.h"
#include "filesystem/backend_file.h"
#include "filesystem/file_mode.h"
#include "filesystem/scheme.h"
#include "quaven/filesystem.h"

namespace QVFileSystem {

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
