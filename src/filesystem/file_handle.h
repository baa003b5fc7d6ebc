#pragma once

#include <cstdint>

#include "filesystem/backend_file.h"
#include "quaven/types.h"

// What OpenFile hands the program. The handle owns the path copy and the file.
struct FileHandle {
    char* path;                 // heap copy of the path exactly as the caller passed it
    uint32_t size;              // the file's size when it was opened
    QVFileSystem::File* file;   // closed through the back end of file->scheme
};

static_assert(sizeof(void*) != 4 || sizeof(FileHandle) == 12, "FileHandle is {path, size, file}");
static_assert(sizeof(void*) != 4 || offsetof(FileHandle, path) == 0, "FileHandle path");
static_assert(sizeof(void*) != 4 || offsetof(FileHandle, size) == 4, "FileHandle size");
static_assert(sizeof(void*) != 4 || offsetof(FileHandle, file) == 8, "FileHandle file");
