#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/engine_string.h"

// The PAK archive file: an 8-byte magic, the directory offset and the archive length
// (u32 little-endian each), the files' bytes stored as they are, and at the directory
// offset an entry count (i32) followed by the entries: a zero-terminated '/'-separated
// name of at most 510 characters, then offset, size and two unused u32 fields.

namespace QVFileSystem {

class File;

const uint8_t kPAKMagic[8] = {0x50, 0x41, 0x4B, 0x00, 0x56, 0x31, 0x31, 0x00};  // "PAK\0V11\0"
const uint32_t kPAKHeaderBytes = 16;
// Name buffer of one entry: 511 bytes are read, so a name ends within 510 characters.
const uint32_t kPAKNameBuffer = 512;
// The smallest entry on disk: a one-character name, its zero byte, four u32 fields.
const uint32_t kPAKSmallestEntryBytes = 2 + 16;

// One directory entry. field3 and field4 are kept as read and never interpreted.
struct PAKEntry {
    String name;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t field3 = 0;
    uint32_t field4 = 0;
};

// What an archive's header and directory hold, once every check has passed.
struct PAKDirectory {
    uint32_t directoryOffset = 0;
    uint32_t archiveLength = 0;
    Array<PAKEntry> entries;  // in directory order
};

// Reads one directory entry at the file's position and leaves the file just after it.
// False for a short read or a name that does not end within 510 characters (the latter
// reported as "File System ReadPAK: PAK has a file with too long name.").
bool ReadPAK(File* file, PAKEntry* entry);

// Reads and checks the header and directory of an opened archive (positioned anywhere).
// The archive is refused (false) for a short read (an entry count the rest of the file
// cannot hold included), a wrong magic, a length field that is not the file's size, or an
// entry that fails to read or has an empty name. An entry whose bytes run past the archive's
// end is cut at it. Every name is kept as written: entries are only ever read. Nothing is
// reported but ReadPAK's too-long name: a refused archive is simply absent.
bool QVI_ReadPAKDirectory(File* file, PAKDirectory* directory);

} // namespace QVFileSystem
