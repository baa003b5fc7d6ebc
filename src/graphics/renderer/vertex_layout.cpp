#include "graphics/renderer/vertex_layout.h"

#include "quaven/graphics.h"

namespace {

struct SizeEntry {
    int key;
    int bytes;
};

const SizeEntry kElementSizes[] = {
    {QV_VERTEX_POSITION, 12},       {QV_VERTEX_COLOR, 4},         {QV_VERTEX_TEXTURE_COORDINATE_0, 8},
    {QV_VERTEX_NORMAL, 12},         {QV_VERTEX_TEXTURE_COORDINATE_1, 8}, {QV_VERTEX_TANGENT, 12},
    {QV_VERTEX_BITANGENT, 12},      {QV_VERTEX_4_BONE_INDICES, 4}, {QV_VERTEX_4_BONE_WEIGHTS, 16},
};

const SizeEntry kVertexSizes[] = {
    {7, 24}, {15, 36}, {47, 48}, {111, 60}, {399, 56}, {495, 80},
};

// The engine's own vertex (format 7) is what an unknown layout is taken for.
const int kDefaultVertexSize = 24;

} // namespace

int QVI_GetVertexElementSize(int element)
{
    for (const SizeEntry& entry : kElementSizes) {
        if (entry.key == element)
            return entry.bytes;
    }
    return 0;
}

int QVI_GetVertexSize(int format)
{
    for (const SizeEntry& entry : kVertexSizes) {
        if (entry.key == format)
            return entry.bytes;
    }
    return kDefaultVertexSize;
}

bool QVI_IsVertexFormatSupported(int format)
{
    for (const SizeEntry& entry : kVertexSizes) {
        if (entry.key == format)
            return true;
    }
    return false;
}
