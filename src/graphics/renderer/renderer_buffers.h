#pragma once

#include <cstddef>
#include <cstdint>

#include "quaven/graphics.h"

// The heads of the buffer records a renderer hands out. The engine reads these fields
// directly inside renderer-owned records, so every implementation begins its records
// with them and keeps its own storage after them.

struct RendererVertexBuffer {
    int32_t format;  // VertexFormat mask
    int32_t count;   // vertices
    int32_t locked;  // non-zero between LockVertexBuffer and UnlockVertexBuffer
    int32_t usage;   // QV_BUFFER_STATIC or QV_BUFFER_DYNAMIC
};

static_assert(sizeof(RendererVertexBuffer) == 16, "RendererVertexBuffer head is 16 bytes");
static_assert(offsetof(RendererVertexBuffer, format) == 0, "format first");
static_assert(offsetof(RendererVertexBuffer, count) == 4, "count at 4");
static_assert(offsetof(RendererVertexBuffer, locked) == 8, "locked at 8");
static_assert(offsetof(RendererVertexBuffer, usage) == 12, "usage at 12");

struct RendererIndexBuffer {
    int32_t count;   // 16-bit indices
    int32_t locked;
    int32_t usage;
};

static_assert(sizeof(RendererIndexBuffer) == 12, "RendererIndexBuffer head is 12 bytes");
static_assert(offsetof(RendererIndexBuffer, count) == 0, "count first");
static_assert(offsetof(RendererIndexBuffer, locked) == 4, "locked at 4");
static_assert(offsetof(RendererIndexBuffer, usage) == 8, "usage at 8");

// The records of the base class's buffers: the head the engine reads, then a heap block.
// Only buffers made by the base bodies of CreateVertexBuffer and CreateIndexBuffer have
// this shape; an implementation that keeps buffers elsewhere replaces all ten buffer
// operations.

struct HeapVertexBuffer {
    RendererVertexBuffer head;
    uint8_t* storage;  // count x QVI_GetVertexSize(format) bytes; null when that is 0
};

struct HeapIndexBuffer {
    RendererIndexBuffer head;
    uint16_t* storage;  // count indices; null when count is 0
};

// Byte size of a heap vertex buffer's storage.
int32_t QVI_HeapVertexBufferBytes(const RendererVertexBuffer* buffer);
