#pragma once

#include "filesystem/backends.h"

namespace QVFileSystem {

// Seam for PAK archives: the folder back end derives from this class and asks it
// first on every open, existence test and listing of cache, docs, res and ugc paths
// (never for logs, save and user). Until archives are read, no path maps to an
// archive, so every question falls through to the folder itself.
class PAKSystem : public System {
public:
    // Closes an archive entry (a file with File::kArchiveEntryFlag) and its own handle
    // on the archive; false for any other file. No archive entries exist before
    // archives are read.
    bool CloseFile(File* file) override { return false; }
    // True when the archive that nativePath maps to has the entry.
    bool FileExists(Scheme scheme, const String& nativePath) override { return false; }
    // Lists matching archive entries below nativeRoot.
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                   const Array<String>& patterns, bool recursive, Array<String>& results) override
    {
    }
    // An archive entry opened for READ, or null.
    File* OpenFile(Scheme scheme, const String& nativePath, FileMode mode) override { return nullptr; }
    // The archive file a native path maps to ("" when none).
    virtual String GetPAKPath(Scheme scheme, const String& nativePath) { return String(""); }
};

} // namespace QVFileSystem
