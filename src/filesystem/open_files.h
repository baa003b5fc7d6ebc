#pragma once

#include <cstddef>
#include <cstdint>

#include "quaven/types.h"

namespace QVFileSystem {
class File;
}

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

// The handles OpenFile returned and CloseFile has not closed yet, engine log files
// excepted; guarded by the engine lock CORE_VARIABLE. Shutdown reports what is left.

// Opening this many files without closing them draws a warning on every further open.
const int kOpenFileWarningCount = 16;

// True while the API table does not exist or core initialisation has not finished
// (the start-up files are not tracked), afterwards for paths containing "quaven-" or
// ".log". Null: false.
bool QVI_IsEngineLogPath(const char* path);

// Appends the handle; answers the number of open files afterwards.
int QVI_TrackOpenFile(FileHandle* handle);
void QVI_UntrackOpenFile(FileHandle* handle);
int QVI_GetOpenFileCount();

// Shutdown: logs "%d files left open.." and "File '%s' left open." for each.
void QVI_ReportOpenFiles();

// Process exit: releases the list's storage (not the handles).
void QVI_FreeOpenFileList();

// The whole of a file opened for reading, from its start, in a malloc'd block of *size
// bytes (at least one byte is allocated, so an empty file is not a failure); null when the
// file cannot be read to its end or the block cannot be had.
uint8_t* QVI_ReadWholeFile(FileHandle* handle, uint64_t* size);
