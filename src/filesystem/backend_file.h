#pragma once

#include <cstdint>

#include "filesystem/scheme.h"

namespace QVFileSystem {

// An open file of a back end. The back end that opened it closes and deletes it.
class File {
public:
    static const uint32_t kArchiveEntryFlag = 4;

    uint32_t size = 0;          // size when opened; 0 for a file opened for WRITE
    uint32_t flags = 0;         // kArchiveEntryFlag for an entry of a PAK archive
    Scheme scheme = SCHEME_NONE; // the scheme it was opened under (finds the back end to close it)
    uint8_t writable = 0;       // 1 unless opened for READ

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    virtual ~File() = default;
    virtual int Flush() { return 0; }
    // The native descriptor behind the file, -1 when there is none.
    virtual int GetDescriptor(uint32_t* offset) { return -1; }
    virtual uint32_t Tell() = 0;
    virtual uint32_t Read(void* buffer, uint32_t bytes) = 0;
    // origin 0 start, 1 current, 2 end.
    virtual int Seek(int32_t offset, int32_t origin) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t bytes) { return 0; }
};

} // namespace QVFileSystem
