#pragma once

#include "filesystem/backends.h"

namespace QVFileSystem {

// A file held in a heap buffer (the save mount keeps written files in these until it
// is unmounted). Invariants: position <= dataSize <= capacity; capacity is a multiple
// of 256 (256 for an empty buffer).
class MemoryFile : public File {
public:
    static const uint32_t kGranule = 256;

    uint8_t* data = nullptr;
    uint32_t capacity = 0;
    uint32_t dataSize = 0;
    uint32_t position = 0;

    MemoryFile();
    ~MemoryFile() override;

    uint32_t Tell() override { return position; }
    uint32_t Read(void* buffer, uint32_t bytes) override;
    // Answers the new position; the position never passes the end of the data.
    int Seek(int32_t offset, int32_t origin) override;
    uint32_t Write(const void* buffer, uint32_t bytes) override;

    virtual uint8_t* GetData() { return data; }
    virtual uint32_t GetSize() { return dataSize; }
    // Replaces the contents with the whole of source (read from its current position),
    // positioned at the start when rewind is set, else at the end. True when source
    // delivered all of its size.
    virtual bool LoadFromFile(File* source, bool rewind);

    // Makes capacity the byte count rounded up to the granule (256 for 0). Data that
    // would not fit into the new buffer is dropped. False, with the file unchanged,
    // when the buffer cannot be allocated.
    bool Reserve(uint32_t bytes);
};

} // namespace QVFileSystem
