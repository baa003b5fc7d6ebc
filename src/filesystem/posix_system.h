#pragma once

#include "filesystem/pak_system.h"

namespace QVFileSystem {

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

} // namespace QVFileSystem
