#pragma once

#include <cstdint>

#include "graphics/renderer/renderer_buffers.h"

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
