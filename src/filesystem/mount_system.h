#pragma once

#include "filesystem/backends.h"

struct OsLock;

namespace QVFileSystem {

class MemoryFile;

// A file the game opened for writing under save://, held in memory until it is written.
struct BufferedSaveFile {
    MemoryFile* file;   // owned until written and closed
    String nativePath;  // where it goes
    uint8_t open;       // 1 from OpenFile to CloseFile
    uint8_t pending;    // 1 until its content has reached the disk
    uint8_t committed;  // 1 once an Unmount has tried to write it and failed
};

// The gate in front of the save folder (save://). Everything but Mount is refused until
// the program mounts the save area. While mounted, files opened for writing are buffered
// in memory and reach the disk only at Unmount, each through a temporary file that then
// replaces the saved file in one step: the file on disk is always either the previous save
// or the new one, whole, whenever the process ends.
//
// Unmount is the game's commit: buffers it never reached are dropped when the process ends,
// and the saves on disk stay as the last Unmount left them. Buffers are written in the
// order they were opened, so the last opened of one path decides its content. A buffer
// that cannot be written stays buffered (a warning names the path) and is tried again at
// the next Unmount, or at shutdown, since the game has committed it; one that shutdown
// cannot write either is given up with an error naming the path. A file still open at
// Unmount is written with what it holds then and stays usable until the game closes it;
// what it receives afterwards is not saved.
class MountSystem : public System {
public:
    System* inner;                       // the folder back end, not owned
    Array<BufferedSaveFile*> buffered;   // in opening order
    uint32_t openCount = 0;              // files opened for READ and not yet closed
    uint8_t mounted = 0;

    explicit MountSystem(System* innerSystem);
    // Frees the buffers the game no longer holds; open ones are released when the game
    // closes them. Nothing is written here.
    ~MountSystem() override;

    // A buffered file only has its open flag cleared (it is freed once written); a file
    // opened for READ is closed by the inner system. Works mounted or not.
    bool CloseFile(File* file) override;
    bool CreateDirectory(Scheme scheme, const String& nativePath) override;
    bool CreateRootDirectory(Scheme scheme) override;
    bool DeleteDirectory(Scheme scheme, const String& nativePath, bool recursive) override;
    // Also drops the closed, unwritten buffers of the path: a file written and deleted
    // before Unmount (the probe for a creatable path) leaves nothing behind.
    bool DeleteFile(Scheme scheme, const String& nativePath) override;
    // A file on disk, or one buffered and not yet written.
    bool FileExists(Scheme scheme, const String& nativePath) override;
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                   const Array<String>& patterns, bool recursive, Array<String>& results) override;
    bool GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info) override;
    // Only user 0 mounts.
    bool Mount(int user) override;
    // READ: the file on disk as it is. WRITE: an empty buffer; APPEND: a buffer holding the
    // file's present content (the latest unwritten buffer of the path, else the file on
    // disk), positioned at its end. Null when the path cannot be written (checked without
    // changing the file on disk).
    File* OpenFile(Scheme scheme, const String& nativePath, FileMode mode) override;
    // Writes every unwritten buffer in opening order, then unmounts.
    void Unmount() override;

    // Shutdown: writes the buffers an Unmount failed to write, each with a warning once it
    // is written, or an error when it cannot be and is given up. Buffers never unmounted
    // are left alone.
    void WriteCommittedFiles();

private:
    OsLock* lock_;  // guards buffered, openCount and mounted

    bool IsOpen() const { return mounted && inner; }
    bool HasPendingBuffer(const char* nativePath) const;
    MemoryFile* LatestPendingBuffer(const char* nativePath) const;
    bool CanWrite(Scheme scheme, const String& nativePath, bool* existed);
    // Writes one buffer through a temporary file and a rename.
    bool WriteOut(BufferedSaveFile* record);
    // Writes the pending buffers (at shutdown only the committed ones); the written ones
    // the game has closed are freed.
    void WritePending(bool atShutdown);
};

} // namespace QVFileSystem

// Shutdown: writes the save:// buffers that the game unmounted but that could not be written
// then ("File System: save file '%s' could not be written at Unmount, written at shutdown."):
// the game committed them. One that still cannot be written is reported lost (an error).
// Buffers never unmounted are not written. Nothing to do when the
// save back end is gone or holds nothing.
void QVI_WriteCommittedSaveFiles();
