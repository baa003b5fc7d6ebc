#pragma once

#include "filesystem/backends.h"
#include "filesystem/pak_format.h"

struct OsLock;

// PAK archives: an archive "<folder>.pak" lying directly in a scheme's root stands in
// for the folder of that name beside it. The folder back end derives from PAKSystem and
// asks it first on every open, existence test and listing of cache, docs, res and ugc
// paths (never for logs, save and user).

namespace QVFileSystem {

// One opened archive: its directory in memory, and the archive file kept open for as long
// as the back end lives. Filled once and never changed afterwards, so readers need no lock.
struct PAKArchive {
    String path;                  // native path of the .pak file
    File* file = nullptr;         // opened for READ through the back end
    uint32_t directoryOffset = 0;
    uint32_t archiveLength = 0;
    Array<PAKEntry> entries;      // directory order; the first of equal names wins lookups
    Array<int32_t> buckets;       // entry-name hash (h*37 + byte) to the first entry index, -1 none
    Array<int32_t> nextInBucket;  // per entry, the next entry index of its bucket, -1 none

    // The entry called name (ASCII case ignored within its bucket), or null.
    const PAKEntry* Find(const char* name) const;
};

// An entry of an archive, read through a handle on the archive of its own. Reads and
// seeks stay inside the entry's bytes.
class PAKFile : public File {
public:
    File* archive;     // owned; closed by the back end's CloseFile
    uint32_t base;     // where the entry begins in the archive
    uint32_t position = 0;

    PAKFile(File* archiveFile, uint32_t entryOffset, uint32_t entrySize);

    int Flush() override { return 0; }
    int GetDescriptor(uint32_t* offset) override;
    uint32_t Tell() override { return position; }
    uint32_t Read(void* buffer, uint32_t bytes) override;
    // 0 on success, as the stdio archive answers, also for a target past the entry's end
    // (reads there give 0 bytes); -1, with the position kept, for a target before the
    // entry's start or above INT32_MAX, or an unknown origin.
    int Seek(int32_t offset, int32_t origin) override;
};

class PAKSystem : public System {
public:
    PAKSystem();
    ~PAKSystem() override;

    // Closes an archive entry (a file with File::kArchiveEntryFlag) and its own handle on
    // the archive; false for any other file.
    bool CloseFile(File* file) override;
    // True when the archive that nativePath maps to has the entry; false for .pak and
    // .obb paths themselves.
    bool FileExists(Scheme scheme, const String& nativePath) override;
    // Lists the matching entries below nativeRoot, which may be an archive's folder
    // itself (a package delivered only as a .pak).
    void FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                   const Array<String>& patterns, bool recursive, Array<String>& results) override;
    // An archive entry opened for READ, or null (any other mode, no archive, no entry).
    File* OpenFile(Scheme scheme, const String& nativePath, FileMode mode) override;
    // The archive a native path maps to: the first folder below the scheme's root with
    // ".pak" appended; "" for a path directly in the root or outside it.
    virtual String GetPAKPath(Scheme scheme, const String& nativePath);

    // The opened archive at archivePath, opening it on first use; null when it is missing
    // or refused (a later call tries again).
    const PAKArchive* GetArchive(Scheme scheme, const String& archivePath);

private:
    const PAKArchive* FindOpenedArchive(const char* archivePath);
    // The entry a native path names, and the path of its archive; null when no archive
    // maps the path or the archive has no such entry.
    const PAKEntry* FindEntry(Scheme scheme, const String& nativePath, String* archivePath);

    OsLock* lock_;                 // guards archives_ while an archive is looked up or added
    Array<PAKArchive*> archives_;  // owned
};

// The path of nativePath inside the archive at archivePath: the path with the archive's
// folder (archivePath without ".pak") and one '/' removed from its front; "" when
// nativePath is that folder itself, null text when it lies outside it.
String QVI_GetPAKEntryName(const char* archivePath, const char* nativePath);

// '*' matches any run of characters (none too); every other character matches itself,
// case-sensitively; the whole name must be consumed.
bool QVI_MatchWildcard(const char* name, const char* pattern);

// Appends directory + name (name alone for an empty directory) unless already listed.
void QVI_AddUniqueFileName(Array<String>& list, const char* directory, const char* name);

} // namespace QVFileSystem
