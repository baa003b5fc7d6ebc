#pragma once

#include "filesystem/backends.h"

namespace QVFileSystem {

// The gate in front of the save folder (save://): refuses everything until the
// program mounts the save area, and passes the operations on to the folder back end
// while it is mounted.
//
// Seam: this is the pass-through form of the save mount. Files opened for writing go
// straight to the folder; the buffered mount (written files held as MemoryFiles until
// Unmount writes them all) replaces OpenFile, CloseFile and Unmount here.
class MountSystem : public System {
public:
    System* inner;         // the folder back end, not owned
    uint8_t mounted = 0;

    explicit MountSystem(System* innerSystem);

    // Files are closed whether or not the area is still mounted.
    bool CloseFile(File* file) override;
    bool CreateDirectory(Scheme scheme, const String& nativePath) override;
    bool CreateRootDirectory(Scheme scheme) override;
    bool DeleteDirectory(Scheme scheme, const String& nativePath, bool recursive) override;
    bool DeleteFile(Scheme scheme, const String& nativePath) override;
    bool FileExists(Scheme scheme, const String& nativePath) override;
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                   const Array<String>& patterns, bool recursive, Array<String>& results) override;
    bool GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info) override;
    // Only user 0 mounts.
    bool Mount(int user) override;
    File* OpenFile(Scheme scheme, const String& nativePath, FileMode mode) override;
    void Unmount() override;

private:
    bool IsOpen() const { return mounted && inner; }
};

} // namespace QVFileSystem
