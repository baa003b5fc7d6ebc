#pragma once

#include "filesystem/posix_system.h"

namespace QVFileSystem {

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
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                   const Array<String>& patterns, bool recursive, Array<String>& results) override;
    bool GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info) override;
};

} // namespace QVFileSystem
