// Bytes in memory as one of the engine's open files (the bytes must outlive it).
#pragma once

#include <cstring>

#include "filesystem/backends.h"

class QVFBytesFile : public QVFileSystem::File {
public:
    QVFBytesFile(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data))
    {
        this->size = static_cast<uint32_t>(size);
    }
    uint32_t Tell() override { return position_; }
    uint32_t Read(void* buffer, uint32_t bytes) override
    {
        const uint32_t count = bytes < size - position_ ? bytes : size - position_;
        memcpy(buffer, data_ + position_, count);
        position_ += count;
        return count;
    }
    // 0 on success, as the folder back end's files answer.
    int Seek(int32_t offset, int32_t origin) override
    {
        const int64_t base = origin == 0 ? 0 : origin == 1 ? position_ : origin == 2 ? size : -1;
        if (base < 0 || base + offset < 0 || base + offset > size)
            return -1;
        position_ = static_cast<uint32_t>(base + offset);
        return 0;
    }

private:
    const uint8_t* data_;
    uint32_t position_ = 0;
};
