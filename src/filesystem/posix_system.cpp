#include "filesystem/posix_system.h"

#include <sys/stat.h>

#include <cstdio>

#include "filesystem/posix_file.h"

namespace QVFileSystem {

namespace {

const char* StdioMode(FileMode mode)
{
    switch (mode) {
    case FILE_MODE_APPEND:
        return "ab";
    case FILE_MODE_READ:
        return "rb";
    case FILE_MODE_WRITE:
        return "wb";
    }
    return nullptr;
}

// The file's size on disk, 0 when it cannot be had (or does not fit 32 bits).
uint32_t NativeFileSize(const char* nativePath)
{
    struct _stat64 info;
    if (_stat64(nativePath, &info) != 0 || info.st_size < 0)
        return 0;
    return static_cast<uint32_t>(info.st_size);
}

} // namespace

bool POSIXSystem::CloseFile(File* file)
{
    if (!file)
        return false;
    if (file->flags & File::kArchiveEntryFlag)
        return PAKSystem::CloseFile(file);
    // Deleting the stdio file closes its stream.
    delete file;
    return true;
}

bool POSIXSystem::FileExists(Scheme scheme, const String& nativePath)
{
    if (QVI_SchemeSkipsArchives(scheme))
        return false;
    return PAKSystem::FileExists(scheme, nativePath);
}

void POSIXSystem::FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                            const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (!QVI_SchemeSkipsArchives(scheme))
        PAKSystem::FindFiles(scheme, relativePath, nativeRoot, patterns, recursive, results);
}

File* POSIXSystem::OpenFile(Scheme scheme, const String& nativePath, FileMode mode)
{
    if (!nativePath.text || nativePath.text[0] == '\0')
        return nullptr;
    if (!QVI_SchemeSkipsArchives(scheme)) {
        if (File* entry = PAKSystem::OpenFile(scheme, nativePath, mode))
            return entry;
    }
    const char* stdioMode = StdioMode(mode);
    if (!stdioMode)
        return nullptr;
    FILE* stream = fopen(nativePath.text, stdioMode);
    if (!stream)
        return nullptr;

    POSIXFile* file = new POSIXFile(stream);
    file->size = mode == FILE_MODE_WRITE ? 0 : NativeFileSize(nativePath.text);
    file->flags = 0;
    file->scheme = scheme;
    file->writable = mode != FILE_MODE_READ ? 1 : 0;
    return file;
}

} // namespace QVFileSystem
