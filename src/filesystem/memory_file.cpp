#include "filesystem/memory_file.h"

#include <cstdlib>
#include <cstring>

namespace QVFileSystem {

MemoryFile::MemoryFile()
{
    // Without a first buffer the file still works: the first write reserves one.
    Reserve(0);
}

MemoryFile::~MemoryFile()
{
    free(data);
}

bool MemoryFile::Reserve(uint32_t bytes)
{
    uint64_t rounded = bytes == 0 ? kGranule : (static_cast<uint64_t>(bytes) + kGranule - 1) / kGranule * kGranule;
    if (rounded > UINT32_MAX)
        return false;
    uint32_t newCapacity = static_cast<uint32_t>(rounded);

    uint8_t* fresh = static_cast<uint8_t*>(malloc(newCapacity));
    if (!fresh)
        return false;
    // A smaller buffer keeps only what fits into it.
    uint32_t kept = dataSize < newCapacity ? dataSize : newCapacity;
    if (data && kept > 0)
        memcpy(fresh, data, kept);
    free(data);
    data = fresh;
    capacity = newCapacity;
    dataSize = kept;
    if (position > dataSize)
        position = dataSize;
    return true;
}

uint32_t MemoryFile::Read(void* buffer, uint32_t bytes)
{
    if (!buffer || position >= dataSize)
        return 0;
    uint32_t available = dataSize - position;
    uint32_t count = bytes < available ? bytes : available;
    memcpy(buffer, data + position, count);
    position += count;
    return count;
}

int MemoryFile::Seek(int32_t offset, int32_t origin)
{
    uint32_t target = position;
    if (origin == 0)
        target = static_cast<uint32_t>(offset);
    else if (origin == 1)
        target = position + static_cast<uint32_t>(offset);
    else if (origin == 2)
        target = dataSize + static_cast<uint32_t>(offset);
    // Compared unsigned: a position before the start lands at the end.
    position = target > dataSize ? dataSize : target;
    return static_cast<int>(position);
}

uint32_t MemoryFile::Write(const void* buffer, uint32_t bytes)
{
    if (!buffer || bytes == 0)
        return 0;
    if (bytes > capacity - position) {
        uint64_t needed = static_cast<uint64_t>(position) + bytes;
        if (needed > UINT32_MAX)
            return 0;
        // Growing by half again keeps a save written in small pieces from copying its
        // whole buffer on every write.
        uint64_t grown = static_cast<uint64_t>(capacity) + capacity / 2;
        uint64_t target = needed > grown ? needed : (grown > UINT32_MAX - 255 ? needed : grown);
        if (!Reserve(static_cast<uint32_t>(target)) && !Reserve(static_cast<uint32_t>(needed)))
            return 0;
    }
    memcpy(data + position, buffer, bytes);
    position += bytes;
    if (position > dataSize)
        dataSize = position;
    return bytes;
}

bool MemoryFile::LoadFromFile(File* source, bool rewind)
{
    if (!source)
        return false;
    uint32_t sourceSize = source->size;
    // The old contents are replaced, so none of them is carried into the new buffer;
    // a failed reservation leaves them as they were.
    uint32_t oldDataSize = dataSize;
    uint32_t oldPosition = position;
    dataSize = 0;
    position = 0;
    if (!Reserve(sourceSize)) {
        dataSize = oldDataSize;
        position = oldPosition;
        return false;
    }
    size = sourceSize;
    if (sourceSize == 0)
        return true;
    uint32_t delivered = source->Read(data, sourceSize);
    // Only what arrived counts as data: the rest of the buffer was never filled.
    dataSize = delivered;
    position = rewind ? 0 : dataSize;
    return delivered == sourceSize;
}

} // namespace QVFileSystem
