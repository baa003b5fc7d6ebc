// The frame's side of the queues the game's vertex and index buffers fill when they are
// used off the main thread: GPU buffers released, created and written, every entry in one
// frame, in that order, so that a buffer freed and one made in the same frame never meet
// the renderer out of turn.
#include <cstdint>

#include "core/array.h"
#include "core/locks.h"
#include "engine/resource_queues.h"
#include "graphics/drawing/user_buffers.h"
#include "graphics/graphics_api.h"

namespace {

struct IndexPass {
    using Record = IndexBuffer;
    static Array<Record*>& Create() { return g_userBufferQueues.createIndex; }
    static Array<Record*>& Update() { return g_userBufferQueues.updateIndex; }
    static Array<Record*>& Release() { return g_userBufferQueues.releaseIndex; }
    static void CreateOnRenderer(Record* buffer, const void* data)
    {
        QVI_CallRendererToCreateIndexBuffer(buffer, static_cast<const uint16_t*>(data));
    }
    static bool Map(Record* buffer, bool copyIn) { return QVI_MapIndexBuffer(buffer, copyIn); }
    static void Free(Record* buffer) { QV_Graphics_FreeIndexBuffer(buffer); }
};

struct VertexPass {
    using Record = VertexBuffer;
    static Array<Record*>& Create() { return g_userBufferQueues.createVertex; }
    static Array<Record*>& Update() { return g_userBufferQueues.updateVertex; }
    static Array<Record*>& Release() { return g_userBufferQueues.releaseVertex; }
    static void CreateOnRenderer(Record* buffer, const void* data) { QVI_CallRendererToCreateVertexBuffer(buffer, data); }
    static bool Map(Record* buffer, bool copyIn) { return QVI_MapVertexBuffer(buffer, copyIn); }
    static void Free(Record* buffer) { QV_Graphics_FreeVertexBuffer(buffer); }
};

// The queue as it stands, copied under RESOURCE_QUEUE so that producers wait only for
// the copy; empty when there is nothing to do.
template <typename Record>
bool Snapshot(Array<Record*>& queue, Array<Record*>& copy)
{
    if (queue.count == 0)
        return false;
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    copy = queue;
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
    return copy.count > 0;
}

// False when another thread took the entry out meanwhile (freed it, say): then the
// entry is no longer this pass's to touch.
template <typename Record>
bool Dequeue(Array<Record*>& queue, Record* entry)
{
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    const bool present = queue.Remove(entry);
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
    return present;
}

template <typename Record>
bool IsQueued(Array<Record*>& queue, Record* entry)
{
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    const bool present = queue.Contains(entry);
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
    return present;
}

// A buffer still mapped for writing waits for a later frame; the others go, with the
// record itself (the free member deletes it on the main thread).
template <typename Pass>
void ReleaseQueued()
{
    Array<typename Pass::Record*> pending;
    if (!Snapshot(Pass::Release(), pending))
        return;
    for (int i = 0; i < pending.count; ++i) {
        typename Pass::Record* buffer = pending.data[i];
        if (!IsQueued(Pass::Release(), buffer) || (buffer->state & USER_BUFFER_LOCKED))
            continue;
        Dequeue(Pass::Release(), buffer);
        Pass::Free(buffer);
    }
}

// The record's own copy, when it has one, is what the GPU buffer starts with. A creation
// the renderer refuses leaves the record marked failed and out of every queue: the game
// can only free it.
template <typename Pass>
void CreateQueued()
{
    Array<typename Pass::Record*> pending;
    if (!Snapshot(Pass::Create(), pending))
        return;
    for (int i = 0; i < pending.count; ++i) {
        typename Pass::Record* buffer = pending.data[i];
        if (!Dequeue(Pass::Create(), buffer))
            continue;
        const void* data = (buffer->state & USER_BUFFER_OWNS_COPY) ? buffer->data : nullptr;
        Pass::CreateOnRenderer(buffer, data);
    }
}

// Buffers unlocked off the main thread: the copy written into the GPU buffer. One whose
// GPU buffer does not exist yet waits; one whose creation failed is dropped.
template <typename Pass>
void WriteQueued()
{
    Array<typename Pass::Record*> pending;
    if (!Snapshot(Pass::Update(), pending))
        return;
    for (int i = 0; i < pending.count; ++i) {
        typename Pass::Record* buffer = pending.data[i];
        if (!IsQueued(Pass::Update(), buffer))
            continue;
        if (buffer->state & USER_BUFFER_CREATION_FAILED) {
            Dequeue(Pass::Update(), buffer);
            continue;
        }
        if (!buffer->renderer)
            continue;
        Dequeue(Pass::Update(), buffer);
        // Unlocked by the game: the only way a record enters this queue. One found not
        // locked has nothing waiting.
        if (buffer->state & USER_BUFFER_LOCKED)
            Pass::Map(buffer, true);
    }
}

}  // namespace

void QVI_ProcessBufferResourceQueues()
{
    ReleaseQueued<IndexPass>();
    ReleaseQueued<VertexPass>();
    CreateQueued<IndexPass>();
    CreateQueued<VertexPass>();
    WriteQueued<IndexPass>();
    WriteQueued<VertexPass>();
}
