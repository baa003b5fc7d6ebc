#include "filesystem/pak_format.h"

#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "filesystem/backends.h"

namespace QVFileSystem {

namespace {

uint32_t LittleEndian32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadU32(File* file, uint32_t* value)
{
    uint8_t bytes[4];
    if (file->Read(bytes, sizeof bytes) != sizeof bytes)
        return false;
    *value = LittleEndian32(bytes);
    return true;
}

// stdio seeks take a signed 32-bit offset: positions beyond it cannot be reached.
bool SeekTo(File* file, uint64_t position)
{
    return position <= INT32_MAX && file->Seek(static_cast<int32_t>(position), 0) == 0;
}

} // namespace

bool ReadPAK(File* file, PAKEntry* entry)
{
    char name[kPAKNameBuffer];
    const uint32_t start = file->Tell();
    const uint32_t got = file->Read(name, kPAKNameBuffer - 1);
    if (got == 0)
        return false;
    name[got] = '\0';
    const void* end = memchr(name, '\0', got);
    if (!end) {
        QVI_Report(QV_LOG_WARNING, "File System ReadPAK: PAK has a file with too long name.");
        return false;
    }
    const uint32_t nameLength = static_cast<uint32_t>(static_cast<const char*>(end) - name);
    if (!SeekTo(file, static_cast<uint64_t>(start) + nameLength + 1))
        return false;
    entry->name.Assign(name);
    return ReadU32(file, &entry->offset) && ReadU32(file, &entry->size) && ReadU32(file, &entry->field3) &&
           ReadU32(file, &entry->field4);
}

bool QVI_ReadPAKDirectory(File* file, PAKDirectory* directory)
{
    uint8_t header[kPAKHeaderBytes];
    if (!SeekTo(file, 0) || file->Read(header, sizeof header) != sizeof header)
        return false;
    if (memcmp(header, kPAKMagic, sizeof kPAKMagic) != 0)
        return false;
    directory->directoryOffset = LittleEndian32(header + 8);
    directory->archiveLength = LittleEndian32(header + 12);
    const uint64_t length = directory->archiveLength;
    if (length != file->size)
        return false;
    // The directory is read where the header puts it, even inside the header: reading past
    // the end is the short read that refuses the archive.
    const uint64_t directoryOffset = directory->directoryOffset;
    uint32_t rawCount = 0;
    if (!SeekTo(file, directoryOffset) || !ReadU32(file, &rawCount))
        return false;
    const int32_t count = static_cast<int32_t>(rawCount);
    if (count <= 0)
        return true;
    // Every entry that reads takes at least kPAKSmallestEntryBytes, so a count the rest of
    // the file cannot hold would end in a short read anyway: refused before any is read.
    const uint64_t end = directoryOffset + 4;
    if (end > length || static_cast<uint64_t>(count) * kPAKSmallestEntryBytes > length - end)
        return false;

    for (int32_t i = 0; i < count; ++i) {
        PAKEntry entry;
        if (!ReadPAK(file, &entry))
            return false;
        if (QVI_IsEmptyText(entry.name.text))
            return false;
        // Bytes claimed past the archive's end are not there: the entry ends with the
        // archive, so its size, a seek from its end and its reads agree.
        if (entry.offset >= length)
            entry.size = 0;
        else if (static_cast<uint64_t>(entry.offset) + entry.size > length)
            entry.size = static_cast<uint32_t>(length - entry.offset);
        directory->entries.Add(entry);
    }
    return true;
}

} // namespace QVFileSystem
