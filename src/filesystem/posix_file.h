#pragma once

#include <cstdio>

#include "filesystem/backend_file.h"

namespace QVFileSystem {

// A native file read and written through C stdio. Deleting it closes the stream.
class POSIXFile : public File {
public:
    FILE* stream;

    explicit POSIXFile(FILE* openStream) : stream(openStream) {}
    ~POSIXFile() override;

    int Flush() override;
    uint32_t Tell() override;
    uint32_t Read(void* buffer, uint32_t bytes) override;
    // 0 on success (not the new position), as fseek.
    int Seek(int32_t offset, int32_t origin) override;
    uint32_t Write(const void* buffer, uint32_t bytes) override;
};

} // namespace QVFileSystem
