#pragma once

#include <cstdio>

#include "filesystem/pak_system.h"

// The folder back end: native files and folders under the schemes' roots.

namespace QVFileSystem {

// A native file read and written through C stdio. Deleting it closes the stream.
class POSIXFile : public File {
public:
    FILE* stream;

    explicit POSIXFile(FILE* openStream) : stream(openStream) {}
    ~POSIXFile() override;

    int Flush() override;
    uint32_t Tell() override;
    uint32_t Read(void* buffer, uint32_t bytes) override;
    // 0 on success (not the new position), as fseek.
    int Seek(int32_t offset, int32_t origin) override;
    uint32_t Write(const void* buffer, uint32_t bytes) override;
};

// Native files through C stdio, with the PAK archives in the same folders consulted
// first. Its own existence test and listing answer from the archives only; the
// Windows subclass adds the folders.
class POSIXSystem : public PAKSystem {
public:
    bool CloseFile(File* file) override;
    bool FileExists(Scheme scheme, const String& nativePath) override;
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                   const Array<String>& patterns, bool recursive, Array<String>& results) override;
    File* OpenFile(Scheme scheme, const String& nativePath, FileMode mode) override;
};

// The one folder back end: serves cache, docs, logs, res, user and ugc, and is the
// inner system of the http and save back ends.
class WindowsPOSIXSystem : public POSIXSystem {
public:
    // Creates every folder from below the scheme's root down to nativePath; the root
    // itself is CreateRootDirectory's. False at the first folder that fails, or when
    // nativePath is not below the root.
    bool CreateDirectory(Scheme scheme, const String& nativePath) override;
    bool CreateRootDirectory(Scheme scheme) override;
    // Removes an empty folder only.
    bool DeleteDirectory(Scheme scheme, const String& nativePath, bool recursive) override;
    bool DeleteFile(Scheme scheme, const String& nativePath) override;
    // A file (not a folder) in the folder, or an entry of the archive the path maps to.
    bool FileExists(Scheme scheme, const String& nativePath) override;
    // Lists the folder's files (deeper folders' files first when recursive), after the
    // matching archive entries.
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                   const Array<String>& patterns, bool recursive, Array<String>& results) override;
    bool GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info) override;
};

} // namespace QVFileSystem
