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

// Every entry of the queue as it stands (copied under RESOURCE_QUEUE, so that producers wait
// only for the copy) that is ready leaves the queue and is acted on. Each entry is looked at
// under RESOURCE_QUEUE, and only while it is still queued: a game thread frees, locks and
// unlocks its buffers under the same lock, so an entry taken out meanwhile (freed, say, or
// locked again) is not this pass's to touch, and one being handled is not freed or written by
// the game at the same time. One not ready stays for a later frame.
template <typename Record, typename Ready, typename Act>
void HandleQueued(Array<Record*>& queue, Ready ready, Act act)
{
    if (queue.count == 0)
        return;
    Array<Record*> pending;
    {
        EngineLockHold hold(MUTEX_RESOURCE_QUEUE);
        pending = queue;
    }
    for (int i = 0; i < pending.count; ++i) {
        Record* buffer = pending.data[i];
        EngineLockHold hold(MUTEX_RESOURCE_QUEUE);
        if (!queue.Contains(buffer) || !ready(buffer))
            continue;
        queue.Remove(buffer);
        act(buffer);
    }
}

// A buffer still mapped for writing waits for a later frame; the others go, with the
// record itself (the free member deletes it on the main thread).
template <typename Pass>
void ReleaseQueued()
{
    HandleQueued(
        Pass::Release(), [](typename Pass::Record* buffer) { return !(buffer->state & USER_BUFFER_LOCKED); },
        [](typename Pass::Record* buffer) { Pass::Free(buffer); });
}

// The record's own copy, when it has one, is what the GPU buffer starts with. A creation
// the renderer refuses leaves the record marked failed and out of every queue: the game
// can only free it.
template <typename Pass>
void CreateQueued()
{
    HandleQueued(
        Pass::Create(), [](typename Pass::Record*) { return true; },
        [](typename Pass::Record* buffer) {
            Pass::CreateOnRenderer(buffer, (buffer->state & USER_BUFFER_OWNS_COPY) ? buffer->data : nullptr);
        });
}

// Buffers unlocked off the main thread: the copy written into the GPU buffer. One whose
// GPU buffer does not exist yet waits; one whose creation failed is dropped.
template <typename Pass>
void WriteQueued()
{
    HandleQueued(
        Pass::Update(),
        [](typename Pass::Record* buffer) {
            return buffer->renderer || (buffer->state & USER_BUFFER_CREATION_FAILED);
        },
        [](typename Pass::Record* buffer) {
            // Unlocked by the game: the only way a record enters this queue. One found not
            // locked has nothing waiting.
            if (!(buffer->state & USER_BUFFER_CREATION_FAILED) && (buffer->state & USER_BUFFER_LOCKED))
                Pass::Map(buffer, true);
        });
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
