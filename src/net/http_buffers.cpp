#include "net/http_buffers.h"

#include <cstdlib>
#include <cstring>

#include "net/http_api.h"

namespace {

// Growing eightfold keeps the copying of a large download to a seventh of its size; the room
// not yet filled is address space only, never touched, and is trimmed when the data are
// handed over.
const int64_t kGrowthFactor = 8;

}  // namespace

TextBuffer::TextBuffer(int initialCapacity)
{
    if (initialCapacity > 0) {
        data = static_cast<char*>(malloc(static_cast<size_t>(initialCapacity)));
        if (data) {
            capacity = initialCapacity;
            data[0] = '\0';
        }
    }
}

TextBuffer::~TextBuffer()
{
    free(data);
}

bool TextBuffer::GrowFor(int64_t needed, int limit)
{
    // needed counts the closing zero byte.
    if (needed <= capacity)
        return true;
    if (needed > static_cast<int64_t>(limit) + 1)
        return false;
    int64_t grown = capacity > 0 ? capacity : 512;
    while (grown < needed)
        grown *= kGrowthFactor;
    if (grown > static_cast<int64_t>(limit) + 1)
        grown = static_cast<int64_t>(limit) + 1;
    char* block = static_cast<char*>(realloc(data, static_cast<size_t>(grown)));
    if (!block)
        return false;
    data = block;
    capacity = static_cast<int>(grown);
    // The text is always followed by its zero, also while nothing has been committed.
    data[length] = '\0';
    return true;
}

bool TextBuffer::Reserve(int count, int limit)
{
    return count >= 0 && GrowFor(static_cast<int64_t>(length) + count + 1, limit);
}

void TextBuffer::Commit(int count)
{
    length += count;
    data[length] = '\0';
}

bool TextBuffer::Append(const void* bytes, int count, int limit)
{
    if (count < 0 || !Reserve(count, limit))
        return false;
    if (count > 0)
        memcpy(data + length, bytes, static_cast<size_t>(count));
    Commit(count);
    return true;
}

void TextBuffer::Clear()
{
    length = 0;
    if (data)
        data[0] = '\0';
}

void TextBuffer::MoveTo(Buffer* buffer)
{
    if (!buffer)
        return;
    if (!data && !Reserve(0, 0))
        return;
    char* trimmed = static_cast<char*>(realloc(data, static_cast<size_t>(length) + 1));
    buffer->data = reinterpret_cast<uint8_t*>(trimmed ? trimmed : data);
    buffer->reserved = 0;
    buffer->size = length;
    buffer->capacity = length;
    data = nullptr;
    length = 0;
    capacity = 0;
}

bool QVI_CopyIntoBuffer(Buffer* buffer, const void* bytes, int count)
{
    memset(buffer, 0, sizeof *buffer);
    if (count < 0)
        return false;
    uint8_t* block = static_cast<uint8_t*>(malloc(static_cast<size_t>(count) + 1));
    if (!block)
        return false;
    if (count > 0)
        memcpy(block, bytes, static_cast<size_t>(count));
    block[count] = 0;
    buffer->data = block;
    buffer->size = count;
    buffer->capacity = count;
    return true;
}

Buffer* QV_CreateBuffer(int size)
{
    Buffer* buffer = static_cast<Buffer*>(calloc(1, sizeof(Buffer)));
    if (!buffer || size < 1)
        return buffer;
    buffer->data = static_cast<uint8_t*>(malloc(static_cast<size_t>(size)));
    if (buffer->data) {
        buffer->size = size;
        buffer->capacity = size;
    }
    return buffer;
}

void QV_FreeBuffer(Buffer* buffer)
{
    if (!buffer)
        return;
    free(buffer->data);
    free(buffer);
}
