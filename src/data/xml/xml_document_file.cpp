#include "data/xml/xml_document_file.h"

#include "core/engine_log.h"

#include <climits>
#include <cstdlib>

namespace {

const int kFirstChunkCapacity = 64 * 1024;

// The size of the file just opened, or 0 when the file system cannot tell.
int SizeOfOpenFile(const QuavenFileSystemAPI* fs, FileHandle* file)
{
    if (!fs->Seek || !fs->GetFilePosition)
        return 0;
    fs->Seek(file, 0, QV_SEEK_END);
    int size = fs->GetFilePosition(file);
    fs->Seek(file, 0, QV_SEEK_SET);
    return size > 0 ? size : 0;
}

// Reads until Read answers 0, growing the block as needed, so a short read or a
// file that changes size while open never leaves uninitialised bytes in the text.
// The block starts at the file's size: growing one of many megabytes step by step
// would copy it again and again into fresh pages.
char* ReadUntilEnd(const QuavenFileSystemAPI* fs, FileHandle* file, int* length)
{
    int capacity = kFirstChunkCapacity;
    const int fileSize = SizeOfOpenFile(fs, file);
    // One byte for the terminating zero and one for the Read that finds the end.
    if (fileSize < INT_MAX - 2 && fileSize + 2 > capacity)
        capacity = fileSize + 2;
    int size = 0;
    char* block = static_cast<char*>(malloc(capacity));
    if (!block)
        return nullptr;
    for (;;) {
        // One byte always stays free for the terminating zero.
        if (capacity - size <= 1) {
            if (capacity > INT_MAX / 2) {
                free(block);
                return nullptr;
            }
            char* grown = static_cast<char*>(realloc(block, capacity * 2));
            if (!grown) {
                free(block);
                return nullptr;
            }
            block = grown;
            capacity *= 2;
        }
        int room = capacity - size - 1;
        int got = fs->Read(block + size, room, file);
        if (got < 0 || got > room) {
            free(block);
            return nullptr;
        }
        if (got == 0)
            break;
        size += got;
    }
    block[size] = 0;
    *length = size;
    return block;
}

} // namespace

char* QVI_ReadWholeFileForXML(const char* fileName, int* length)
{
    *length = 0;
    const QuavenFileSystemAPI* fs = qv ? qv->fileSystem : nullptr;
    if (!fs || !fs->OpenFile || !fs->Read || !fs->CloseFile)
        return nullptr;
    FileHandle* file = fs->OpenFile(fileName, "r");
    if (!file)
        return nullptr;
    char* block = ReadUntilEnd(fs, file, length);
    fs->CloseFile(file);
    return block;
}
