#pragma once

#include <cstdint>

#include "core/array.h"
#include "quaven/graphics.h"

// The game's own vertex and index buffers (the graphics members CreateIndexBuffer,
// CreateVertexBuffer, Lock*, Unlock*, Free* and DrawVertexBuffer*, declared in
// graphics/graphics_api.h). They may be used from any thread: on the main thread they act
// on the renderer at once; elsewhere they keep a CPU copy and queue the GPU work, which
// the frame carries out on the main thread after drawing.

// Bits of IndexBuffer::state and VertexBuffer::state.
enum UserBufferState : uint8_t {
    // data is a heap copy owned by the record, not yet written into the GPU buffer.
    USER_BUFFER_OWNS_COPY = 1,
    // Locked by the game, or unlocked off the main thread with its copy still waiting
    // for the update pass: cleared once the contents reach the GPU buffer.
    USER_BUFFER_LOCKED = 2,
    // data is the renderer's mapped memory (locked on the main thread).
    USER_BUFFER_MAPPED = 4,
    // The renderer refused to create the GPU buffer: the record can only be freed.
    USER_BUFFER_CREATION_FAILED = 8
};

// GPU work queued by other threads, each queue touched only under RESOURCE_QUEUE and
// emptied by the frame on the main thread:
//  - create: records waiting for their GPU buffer (with their CPU copy when given data);
//  - update: records unlocked off the main thread whose CPU copy must be written into the
//    GPU buffer;
//  - release: records whose GPU buffer must be destroyed, after which they are deleted.
struct UserBufferQueues {
    Array<IndexBuffer*> createIndex;
    Array<VertexBuffer*> createVertex;
    Array<IndexBuffer*> updateIndex;
    Array<VertexBuffer*> updateVertex;
    Array<IndexBuffer*> releaseIndex;
    Array<VertexBuffer*> releaseVertex;
};

extern UserBufferQueues g_userBufferQueues;

// Main thread. Has the renderer create the record's GPU buffer and, when data is given
// (the game's memory or the record's own copy), fills it. A record the game has locked
// again keeps its copy for the update pass; otherwise the copy is freed and the record
// leaves the update queue. When the renderer creates nothing the record is marked
// USER_BUFFER_CREATION_FAILED and leaves the update queue.
void QVI_CallRendererToCreateIndexBuffer(IndexBuffer* buffer, const uint16_t* data);
void QVI_CallRendererToCreateVertexBuffer(VertexBuffer* buffer, const void* data);

// Main thread, on a record with a GPU buffer. Toggles the mapping: an unlocked record is
// mapped (data points at the renderer's memory); a locked one is unmapped, its owned CPU
// copy written in first when copyIn is set, and data becomes null. False when the
// renderer gives no memory to map.
bool QVI_MapIndexBuffer(IndexBuffer* buffer, bool copyIn);
bool QVI_MapVertexBuffer(VertexBuffer* buffer, bool copyIn);

// Bytes of GPU vertex and index data held by the game's buffers (the "vertex data" figure
// of the memory estimates). Read under CORE_VARIABLE.
int64_t QVI_GetUserBufferBytes();

// What drawing from a buffer and DrawTriangles share: the batch drawn, its states applied
// and its primitive mode set to triangles; then the batch's current shader bound on the
// renderer with its engine constants refreshed. Main thread, ready renderer.
void QVI_PrepareDirectTriangles();
void QVI_BindBatchShader();
