// The game's vertex and index buffers: creating, locking, unlocking and freeing them from
// any thread, the main thread's half of the work other threads queue, and drawing from
// them. Index and vertex buffers follow one procedure; a kind record supplies what differs
// (element size, the renderer slots, the queues, the byte counter).
#include "graphics/drawing/user_buffers.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"

UserBufferQueues g_userBufferQueues;

namespace {

const int32_t kTrianglesMode = 1;
// Sizes travel as 32-bit values through the renderer interface.
const int64_t kLargestBufferBytes = INT32_MAX;
const int kIndexBytes = 2;

// Bytes of GPU data held by the game's buffers, under CORE_VARIABLE.
int64_t g_vertexBytes = 0;
int64_t g_indexBytes = 0;

struct IndexKind {
    using Record = IndexBuffer;
    using GpuRecord = RendererIndexBuffer;
    static constexpr const char* kName = "Index";
    static constexpr const char* kLockName = "QV_Graphics_LockIndexBuffer";
    static constexpr const char* kUnlockName = "QV_Graphics_UnlockIndexBuffer";
    static int ElementBytes(const Record*) { return kIndexBytes; }
    static GpuRecord* Create(RendererImplementation* r, const Record* b)
    {
        return r->CreateIndexBuffer(b->count, b->usage);
    }
    static void* Lock(RendererImplementation* r, GpuRecord* g) { return r->LockIndexBuffer(g); }
    static void Unlock(RendererImplementation* r, GpuRecord* g) { r->UnlockIndexBuffer(g); }
    static void Destroy(RendererImplementation* r, GpuRecord* g) { r->DestroyIndexBuffer(g); }
    static Array<Record*>& CreateQueue() { return g_userBufferQueues.createIndex; }
    static Array<Record*>& UpdateQueue() { return g_userBufferQueues.updateIndex; }
    static Array<Record*>& ReleaseQueue() { return g_userBufferQueues.releaseIndex; }
    static int64_t& Counter() { return g_indexBytes; }
};

struct VertexKind {
    using Record = VertexBuffer;
    using GpuRecord = RendererVertexBuffer;
    static constexpr const char* kName = "Vertex";
    static constexpr const char* kLockName = "QV_Graphics_LockVertexBuffer";
    static constexpr const char* kUnlockName = "QV_Graphics_UnlockVertexBuffer";
    static int ElementBytes(const Record* b) { return QVI_GetVertexSize(b->format); }
    static GpuRecord* Create(RendererImplementation* r, const Record* b)
    {
        return r->CreateVertexBuffer(b->format, b->count, b->usage);
    }
    static void* Lock(RendererImplementation* r, GpuRecord* g) { return r->LockVertexBuffer(g); }
    static void Unlock(RendererImplementation* r, GpuRecord* g) { r->UnlockVertexBuffer(g); }
    static void Destroy(RendererImplementation* r, GpuRecord* g) { r->DestroyVertexBuffer(g); }
    static Array<Record*>& CreateQueue() { return g_userBufferQueues.createVertex; }
    static Array<Record*>& UpdateQueue() { return g_userBufferQueues.updateVertex; }
    static Array<Record*>& ReleaseQueue() { return g_userBufferQueues.releaseVertex; }
    static int64_t& Counter() { return g_vertexBytes; }
};

// The count was checked at creation, so this fits in 32 bits.
template <typename Kind>
size_t ByteSize(const typename Kind::Record* buffer)
{
    return static_cast<size_t>(static_cast<int64_t>(buffer->count) * Kind::ElementBytes(buffer));
}

template <typename Kind>
void CountBytes(const typename Kind::Record* buffer, int sign)
{
    EngineLockHold hold(MUTEX_CORE_VARIABLE);
    Kind::Counter() += sign * static_cast<int64_t>(ByteSize<Kind>(buffer));
}

template <typename Record>
void AddOnce(Array<Record*>& queue, Record* buffer)
{
    EngineLockHold hold(MUTEX_RESOURCE_QUEUE);
    if (!queue.Contains(buffer))
        queue.Add(buffer);
}

template <typename Record>
void RemoveFrom(Array<Record*>& queue, Record* buffer)
{
    EngineLockHold hold(MUTEX_RESOURCE_QUEUE);
    queue.Remove(buffer);
}

template <typename Record>
void FreeCopy(Record* buffer)
{
    if (!(buffer->state & USER_BUFFER_OWNS_COPY))
        return;
    free(buffer->data);
    buffer->data = nullptr;
    buffer->state &= ~USER_BUFFER_OWNS_COPY;
}

// A record whose renderer refused it cannot be locked, filled or drawn.
bool ReportIfFailed(uint8_t state, const char* member)
{
    if (!(state & USER_BUFFER_CREATION_FAILED))
        return false;
    QVI_Report(QV_LOG_WARNING, "%s: the buffer has no GPU buffer (its creation failed); free it.", member);
    return true;
}

template <typename Kind>
bool Map(typename Kind::Record* buffer, bool copyIn)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!buffer || !buffer->renderer || !renderer)
        return false;
    if (!(buffer->state & USER_BUFFER_LOCKED)) {
        // Mapping over a copy would lose what the game wrote into it.
        if (buffer->state & USER_BUFFER_OWNS_COPY)
            return false;
        void* memory = Kind::Lock(renderer, buffer->renderer);
        if (!memory) {
            QVI_Report(QV_LOG_ERROR, "QVI_Map%sBuffer: the renderer gave no memory to write the buffer into.",
                       Kind::kName);
            return false;
        }
        buffer->data = static_cast<decltype(buffer->data)>(memory);
        buffer->state |= USER_BUFFER_LOCKED | USER_BUFFER_MAPPED;
        return true;
    }
    bool rendererLocked = (buffer->state & USER_BUFFER_MAPPED) != 0;
    if (copyIn && (buffer->state & USER_BUFFER_OWNS_COPY)) {
        void* memory = Kind::Lock(renderer, buffer->renderer);
        if (memory) {
            memcpy(memory, buffer->data, ByteSize<Kind>(buffer));
            rendererLocked = true;
        } else {
            QVI_Report(QV_LOG_ERROR, "QVI_Map%sBuffer: the renderer gave no memory to write the buffer into.",
                       Kind::kName);
        }
        FreeCopy(buffer);
    }
    if (rendererLocked)
        Kind::Unlock(renderer, buffer->renderer);
    buffer->state &= ~(USER_BUFFER_LOCKED | USER_BUFFER_MAPPED);
    // A copy kept back (copyIn not set) is still the record's.
    if (!(buffer->state & USER_BUFFER_OWNS_COPY))
        buffer->data = nullptr;
    return true;
}

template <typename Kind>
void CallRendererToCreate(typename Kind::Record* buffer, const void* data)
{
    if (!buffer || buffer->renderer)
        return;
    RendererImplementation* renderer = QVI_GetRenderer();
    typename Kind::GpuRecord* created = renderer ? Kind::Create(renderer, buffer) : nullptr;
    if (!created) {
        QVI_Report(QV_LOG_ERROR, "QVI_CallRendererToCreate%sBuffer: the renderer created no buffer of %d elements.",
                   Kind::kName, buffer->count);
        buffer->state |= USER_BUFFER_CREATION_FAILED;
        RemoveFrom(Kind::UpdateQueue(), buffer);
        return;
    }
    buffer->renderer = created;
    CountBytes<Kind>(buffer, 1);
    // Locked again (or unlocked elsewhere since): the update pass writes the copy.
    if (buffer->state & USER_BUFFER_LOCKED)
        return;
    void* copy = nullptr;
    if (buffer->state & USER_BUFFER_OWNS_COPY) {
        RemoveFrom(Kind::UpdateQueue(), buffer);
        copy = buffer->data;
        buffer->data = nullptr;
        buffer->state &= ~USER_BUFFER_OWNS_COPY;
    }
    if (data && ByteSize<Kind>(buffer) > 0 && Map<Kind>(buffer, false)) {
        memcpy(buffer->data, data, ByteSize<Kind>(buffer));
        Map<Kind>(buffer, false);
    }
    free(copy);
}

// Main thread with a device to talk to: the work is done at once; otherwise it is queued.
bool ActsOnRenderer()
{
    return QV_IsMainThread() && QVI_IsRendererReady();
}

template <typename Kind>
typename Kind::Record* CreateRecord(typename Kind::Record* buffer, const void* data)
{
    if (ActsOnRenderer()) {
        CallRendererToCreate<Kind>(buffer, data);
        if (!buffer->renderer) {
            delete buffer;
            return nullptr;
        }
        return buffer;
    }
    if (data && ByteSize<Kind>(buffer) > 0) {
        void* copy = malloc(ByteSize<Kind>(buffer));
        if (!copy) {
            QVI_Report(QV_LOG_ERROR, "QV_Graphics_Create%sBuffer: out of memory for a copy of %d elements.",
                       Kind::kName, buffer->count);
            delete buffer;
            return nullptr;
        }
        memcpy(copy, data, ByteSize<Kind>(buffer));
        buffer->data = static_cast<decltype(buffer->data)>(copy);
        buffer->state |= USER_BUFFER_OWNS_COPY;
    }
    AddOnce(Kind::CreateQueue(), buffer);
    return buffer;
}

// The count of a new buffer; the element size is known by then. A negative count would
// wrap every copy's size. An empty buffer is the renderer's to refuse, and any usage other
// than dynamic makes a static buffer there.
bool CheckNewBuffer(const char* kind, int count, int elementBytes)
{
    if (count < 0) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_Create%sBuffer: invalid element count %d.", kind, count);
        return false;
    }
    if (static_cast<int64_t>(count) * elementBytes > kLargestBufferBytes) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_Create%sBuffer: %d elements of %d bytes are too many for one buffer.",
                   kind, count, elementBytes);
        return false;
    }
    return true;
}

template <typename Kind>
bool Lock(typename Kind::Record* buffer)
{
    if (!buffer) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_Lock%sBuffer: null buffer.", Kind::kName);
        return false;
    }
    if (ReportIfFailed(buffer->state, Kind::kLockName))
        return false;
    // The frame's write pass takes a queued copy under this lock: it either has written and
    // freed the copy already or will not touch it now.
    EngineLockHold queues(MUTEX_RESOURCE_QUEUE);
    // Already locked: the game goes on writing where it wrote before. A copy that an Unlock
    // queued for the GPU is taken back out of the queue first, or the frame would free it
    // under the game's writes; the next Unlock queues it again.
    if (buffer->state & USER_BUFFER_LOCKED) {
        Kind::UpdateQueue().Remove(buffer);
        return buffer->data != nullptr;
    }
    if (ActsOnRenderer() && buffer->renderer && !(buffer->state & USER_BUFFER_OWNS_COPY))
        return Map<Kind>(buffer, false);
    if (!(buffer->state & USER_BUFFER_OWNS_COPY)) {
        // An empty buffer still gets a block of its own, so that locking it answers true.
        void* copy = calloc(1, ByteSize<Kind>(buffer) > 0 ? ByteSize<Kind>(buffer) : 1);
        if (!copy) {
            QVI_Report(QV_LOG_ERROR, "QV_Graphics_Lock%sBuffer: out of memory for a copy of %d elements.",
                       Kind::kName, buffer->count);
            return false;
        }
        buffer->data = static_cast<decltype(buffer->data)>(copy);
        buffer->state |= USER_BUFFER_OWNS_COPY;
    }
    buffer->state |= USER_BUFFER_LOCKED;
    return true;
}

template <typename Kind>
void Unlock(typename Kind::Record* buffer)
{
    if (!buffer) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_Unlock%sBuffer: null buffer.", Kind::kName);
        return;
    }
    if (ReportIfFailed(buffer->state, Kind::kUnlockName))
        return;
    if (!(buffer->state & USER_BUFFER_LOCKED)) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_Unlock%sBuffer: the buffer is not locked.", Kind::kName);
        return;
    }
    if (ActsOnRenderer() && buffer->renderer) {
        const bool hadCopy = (buffer->state & USER_BUFFER_OWNS_COPY) != 0;
        Map<Kind>(buffer, true);
        if (hadCopy)
            RemoveFrom(Kind::UpdateQueue(), buffer);
        return;
    }
    AddOnce(Kind::UpdateQueue(), buffer);
}

template <typename Kind>
void Free(typename Kind::Record* buffer)
{
    if (!buffer) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_Free%sBuffer: null buffer.", Kind::kName);
        return;
    }
    // Held throughout: a queue pass handles an entry only under this lock, after finding it
    // still queued, so it never meets a record being freed here.
    EngineLockHold queues(MUTEX_RESOURCE_QUEUE);
    Kind::CreateQueue().Remove(buffer);
    Kind::UpdateQueue().Remove(buffer);
    RendererImplementation* renderer = QVI_GetRenderer();
    const int capabilities = (renderer && !QV_IsMainThread()) ? renderer->GetThreadingCapabilities() : 0;
    const bool releaseHere = QV_IsMainThread() || (capabilities & QV_THREADING_RELEASE_SHADERS_AND_BUFFERS);
    // Deleted only where no queue pass can be holding it: the frame's release pass frees it
    // through this member on the main thread.
    if (!releaseHere) {
        // Nothing more will be uploaded, so the copy and its pending write go now.
        FreeCopy(buffer);
        if (!(buffer->state & USER_BUFFER_MAPPED))
            buffer->state &= ~USER_BUFFER_LOCKED;
        AddOnce(Kind::ReleaseQueue(), buffer);
        return;
    }
    if (buffer->renderer) {
        if (renderer) {
            if (buffer->state & USER_BUFFER_MAPPED)
                Kind::Unlock(renderer, buffer->renderer);
            Kind::Destroy(renderer, buffer->renderer);
        }
        CountBytes<Kind>(buffer, -1);
        buffer->renderer = nullptr;
    }
    RemoveFrom(Kind::ReleaseQueue(), buffer);
    FreeCopy(buffer);
    delete buffer;
}

// Both records ready to be drawn from: not null, created, not locked on the renderer.
// A record still waiting for its GPU buffer (created off the main thread) is skipped
// quietly: the frame creates it.
bool Drawable(VertexBuffer* vertices, IndexBuffer* indices, const char* member)
{
    if (!vertices || !indices) {
        QVI_Report(QV_LOG_WARNING, "%s: null vertex or index buffer.", member);
        return false;
    }
    if (ReportIfFailed(vertices->state | indices->state, member))
        return false;
    if (!QVI_IsRendererReady() || !vertices->renderer || !indices->renderer)
        return false;
    if (vertices->renderer->locked || indices->renderer->locked) {
        QVI_Report(QV_LOG_WARNING, "%s: a locked buffer is not drawn; unlock it first.", member);
        return false;
    }
    return true;
}

void DrawIndexCount(VertexBuffer* vertices, IndexBuffer* indices, int firstIndex, int indexCount)
{
    // The renderer has no start index: every draw begins at the buffer's first index.
    static bool firstIndexReported = false;
    if (firstIndex != 0 && !firstIndexReported) {
        firstIndexReported = true;
        QVI_Report(QV_LOG_WARNING,
                   "QV_Graphics_DrawVertexBufferRange: the renderer draws from the first index of the buffer; first "
                   "index %d is not applied.",
                   firstIndex);
    }
    QVI_PrepareDirectTriangles();
    QVI_BindBatchShader();
    QVI_GetRenderer()->DrawIndexedTriangles(vertices->renderer, vertices->renderer->count, indices->renderer,
                                            indexCount / 3);
}

}  // namespace

void QVI_CallRendererToCreateIndexBuffer(IndexBuffer* buffer, const uint16_t* data)
{
    CallRendererToCreate<IndexKind>(buffer, data);
}

void QVI_CallRendererToCreateVertexBuffer(VertexBuffer* buffer, const void* data)
{
    CallRendererToCreate<VertexKind>(buffer, data);
}

bool QVI_MapIndexBuffer(IndexBuffer* buffer, bool copyIn)
{
    return Map<IndexKind>(buffer, copyIn);
}

bool QVI_MapVertexBuffer(VertexBuffer* buffer, bool copyIn)
{
    return Map<VertexKind>(buffer, copyIn);
}

int64_t QVI_GetUserBufferBytes()
{
    EngineLockHold hold(MUTEX_CORE_VARIABLE);
    return g_vertexBytes + g_indexBytes;
}

void QVI_PrepareDirectTriangles()
{
    BatchRenderer::Flush();
    BatchRenderer::ApplyStates();
    if (g_batch.primitiveMode != kTrianglesMode) {
        BatchRenderer::Flush();
        g_batch.primitiveMode = kTrianglesMode;
    }
}

void QVI_BindBatchShader()
{
    if (g_batch.currentShader != g_batch.boundShader) {
        g_batch.boundShader = g_batch.currentShader;
        QVI_GetRenderer()->SetShader(g_batch.boundShader);
    }
    if (g_batch.boundShader)
        QVI_UpdateShaderConstants(g_batch.boundShader);
}

IndexBuffer* QV_Graphics_CreateIndexBuffer(const uint16_t* indices, int count, int usage)
{
    if (!CheckNewBuffer(IndexKind::kName, count, kIndexBytes))
        return nullptr;
    IndexBuffer* buffer = new (std::nothrow) IndexBuffer();
    if (!buffer)
        return nullptr;
    buffer->count = count;
    buffer->usage = usage;
    return CreateRecord<IndexKind>(buffer, indices);
}

VertexBuffer* QV_Graphics_CreateVertexBuffer(VertexFormat format, const void* vertices, int count, int usage)
{
    // The game writes and hands over vertices at the size its public header gives the
    // format; a format outside the known sizes would be given 24-byte vertices here and
    // have the game write past its buffer.
    if (!QVI_IsVertexFormatSupported(format)) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_CreateVertexBuffer: unknown vertex format %d.", format);
        return nullptr;
    }
    if (!CheckNewBuffer(VertexKind::kName, count, QVI_GetVertexSize(format)))
        return nullptr;
    VertexBuffer* buffer = new (std::nothrow) VertexBuffer();
    if (!buffer)
        return nullptr;
    buffer->count = count;
    buffer->format = format;
    buffer->usage = usage;
    return CreateRecord<VertexKind>(buffer, vertices);
}

bool QV_Graphics_LockIndexBuffer(IndexBuffer* buffer)
{
    return Lock<IndexKind>(buffer);
}

bool QV_Graphics_LockVertexBuffer(VertexBuffer* buffer)
{
    return Lock<VertexKind>(buffer);
}

void QV_Graphics_UnlockIndexBuffer(IndexBuffer* buffer)
{
    Unlock<IndexKind>(buffer);
}

void QV_Graphics_UnlockVertexBuffer(VertexBuffer* buffer)
{
    Unlock<VertexKind>(buffer);
}

void QV_Graphics_FreeIndexBuffer(IndexBuffer* buffer)
{
    Free<IndexKind>(buffer);
}

void QV_Graphics_FreeVertexBuffer(VertexBuffer* buffer)
{
    Free<VertexKind>(buffer);
}

void QV_Graphics_DrawVertexBuffer(VertexBuffer* vertices, IndexBuffer* indices)
{
    if (Drawable(vertices, indices, "QV_Graphics_DrawVertexBuffer"))
        DrawIndexCount(vertices, indices, 0, indices->count);
}

void QV_Graphics_DrawVertexBufferRange(VertexBuffer* vertices, IndexBuffer* indices, const int* firstIndex,
                                       const int* indexCount)
{
    if (!firstIndex || !indexCount) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_DrawVertexBufferRange: null first index or index count.");
        return;
    }
    if (!Drawable(vertices, indices, "QV_Graphics_DrawVertexBufferRange"))
        return;
    // Every draw starts at the buffer's first index, so only the count can take the device
    // past the buffer's end; the first index, whatever it is, is not applied.
    const int count = *indexCount;
    if (count < 0 || count > indices->count) {
        QVI_Report(QV_LOG_WARNING,
                   "QV_Graphics_DrawVertexBufferRange: index count %d is outside the buffer's %d indices.", count,
                   indices->count);
        return;
    }
    DrawIndexCount(vertices, indices, *firstIndex, count);
}

void QV_Graphics_DrawVertexBufferInstanced(VertexBuffer* vertices, IndexBuffer* indices, int instanceCount)
{
    if (instanceCount < 0) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_DrawVertexBufferInstanced: invalid instance count %d.", instanceCount);
        return;
    }
    if (instanceCount == 0 || !Drawable(vertices, indices, "QV_Graphics_DrawVertexBufferInstanced"))
        return;
    QVI_PrepareDirectTriangles();
    QVI_BindBatchShader();
    QVI_GetRenderer()->DrawIndexedTrianglesInstanced(vertices->renderer, vertices->renderer->count, indices->renderer,
                                                     indices->count / 3, instanceCount);
}
