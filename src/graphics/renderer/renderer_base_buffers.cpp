#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/renderer/heap_buffers.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/renderer/vertex_layout.h"

namespace {

const int kIndexBytes = 2;

HeapVertexBuffer* AsHeap(RendererVertexBuffer* buffer)
{
    return reinterpret_cast<HeapVertexBuffer*>(buffer);
}

HeapIndexBuffer* AsHeap(RendererIndexBuffer* buffer)
{
    return reinterpret_cast<HeapIndexBuffer*>(buffer);
}

// Bytes of count items of itemBytes each, or -1 when that is negative or would not fit
// a 32-bit size.
int64_t StorageBytes(int count, int itemBytes)
{
    if (count < 0 || itemBytes < 0)
        return -1;
    int64_t bytes = static_cast<int64_t>(count) * itemBytes;
    return bytes > INT32_MAX ? -1 : bytes;
}

} // namespace

int32_t QVI_HeapVertexBufferBytes(const RendererVertexBuffer* buffer)
{
    if (!buffer)
        return 0;
    int64_t bytes = StorageBytes(buffer->count, QVI_GetVertexSize(buffer->format));
    return bytes < 0 ? 0 : static_cast<int32_t>(bytes);
}

RendererVertexBuffer* RendererImplementation::CreateVertexBuffer(VertexFormat format, int count, int /*usage*/)
{
    int64_t bytes = StorageBytes(count, QVI_GetVertexSize(format));
    if (bytes < 0)
        return nullptr;
    HeapVertexBuffer* buffer = new (std::nothrow) HeapVertexBuffer();
    if (!buffer)
        return nullptr;
    buffer->head.format = format;
    buffer->head.count = count;
    buffer->head.locked = 0;
    // The heap block is rewritten at will, so every base buffer counts as dynamic.
    buffer->head.usage = QV_BUFFER_DYNAMIC;
    buffer->storage = nullptr;
    if (bytes > 0) {
        buffer->storage = static_cast<uint8_t*>(calloc(1, static_cast<size_t>(bytes)));
        if (!buffer->storage) {
            delete buffer;
            return nullptr;
        }
    }
    return &buffer->head;
}

void RendererImplementation::DestroyVertexBuffer(RendererVertexBuffer* buffer)
{
    if (!buffer)
        return;
    HeapVertexBuffer* heap = AsHeap(buffer);
    free(heap->storage);
    delete heap;
}

void* RendererImplementation::LockVertexBuffer(RendererVertexBuffer* buffer)
{
    if (!buffer)
        return nullptr;
    HeapVertexBuffer* heap = AsHeap(buffer);
    // An empty buffer has nothing to write into; it stays unlocked.
    if (!heap->storage)
        return nullptr;
    buffer->locked = 1;
    return heap->storage;
}

void RendererImplementation::UnlockVertexBuffer(RendererVertexBuffer* buffer)
{
    if (buffer)
        buffer->locked = 0;
}

bool RendererImplementation::UploadVertices(RendererVertexBuffer* buffer, const void* data)
{
    if (!buffer || !data)
        return false;
    int64_t bytes = StorageBytes(buffer->count, QVI_GetVertexSize(buffer->format));
    if (bytes < 0)
        return false;
    // Through the virtual slots, so an implementation's own lock is used.
    void* target = LockVertexBuffer(buffer);
    if (!target)
        return false;
    memcpy(target, data, static_cast<size_t>(bytes));
    UnlockVertexBuffer(buffer);
    return true;
}

RendererIndexBuffer* RendererImplementation::CreateIndexBuffer(int count, int /*usage*/)
{
    int64_t bytes = StorageBytes(count, kIndexBytes);
    if (bytes < 0)
        return nullptr;
    HeapIndexBuffer* buffer = new (std::nothrow) HeapIndexBuffer();
    if (!buffer)
        return nullptr;
    buffer->head.count = count;
    buffer->head.locked = 0;
    buffer->head.usage = QV_BUFFER_STATIC;
    buffer->storage = nullptr;
    if (bytes > 0) {
        buffer->storage = static_cast<uint16_t*>(calloc(1, static_cast<size_t>(bytes)));
        if (!buffer->storage) {
            delete buffer;
            return nullptr;
        }
    }
    return &buffer->head;
}

void RendererImplementation::DestroyIndexBuffer(RendererIndexBuffer* buffer)
{
    if (!buffer)
        return;
    HeapIndexBuffer* heap = AsHeap(buffer);
    free(heap->storage);
    delete heap;
}

uint16_t* RendererImplementation::LockIndexBuffer(RendererIndexBuffer* buffer)
{
    if (!buffer)
        return nullptr;
    HeapIndexBuffer* heap = AsHeap(buffer);
    if (!heap->storage)
        return nullptr;
    buffer->locked = 1;
    return heap->storage;
}

void RendererImplementation::UnlockIndexBuffer(RendererIndexBuffer* buffer)
{
    if (buffer)
        buffer->locked = 0;
}

bool RendererImplementation::UploadIndices(RendererIndexBuffer* buffer, const uint16_t* data)
{
    if (!buffer || !data)
        return false;
    int64_t bytes = StorageBytes(buffer->count, kIndexBytes);
    if (bytes < 0)
        return false;
    uint16_t* target = LockIndexBuffer(buffer);
    if (!target)
        return false;
    memcpy(target, data, static_cast<size_t>(bytes));
    UnlockIndexBuffer(buffer);
    return true;
}
