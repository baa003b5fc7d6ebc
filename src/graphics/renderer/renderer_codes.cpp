// The renderer interface's code tables: the range checks, the once-per-kind report of an
// ignored value, and the sizes of vertex elements and layouts.
#include "graphics/renderer/renderer_codes.h"

#include <atomic>

#include "core/engine_log.h"

namespace {

struct ValueKindText {
    const char* what;
    const char* range;
};

const ValueKindText kValueKindTexts[RENDERER_VALUE_KIND_COUNT] = {
    {"blend mode", "1 to 8"},
    {"cull mode", "0 to 2"},
    {"texture filter", "1 to 3"},
    {"texture address mode", "1 to 3"},
};

std::atomic<bool> g_ignoredValueReported[RENDERER_VALUE_KIND_COUNT];

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

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


bool QVI_IsBlendModeValid(int mode)
{
    return InRange(mode, QV_BLEND_ALPHA, QV_BLEND_PREMULTIPLIED_ALPHA);
}

bool QVI_IsCullModeValid(int mode)
{
    return InRange(mode, QV_CULL_NONE, QV_CULL_BACK);
}

bool QVI_IsTextureFilterValid(int filter)
{
    return InRange(filter, QV_FILTER_POINT, QV_FILTER_ANISOTROPIC);
}

bool QVI_IsTextureAddressModeValid(int mode)
{
    return InRange(mode, QV_ADDRESS_CLAMP, QV_ADDRESS_MIRROR);
}

bool QVI_IsDepthCompareValid(int compare)
{
    return InRange(compare, QV_DEPTH_NEVER, QV_DEPTH_ALWAYS);
}

bool QVI_IsTextureFormatValid(int format)
{
    return InRange(format, QV_TEXTURE_FORMAT_D16, QV_TEXTURE_FORMAT_RGB8);
}

bool QVI_IsDepthTextureFormat(int format)
{
    return InRange(format, QV_TEXTURE_FORMAT_D16, QV_TEXTURE_FORMAT_D32F);
}

bool QVI_ReportIgnoredRendererValue(RendererValueKind kind, int value)
{
    if (kind < 0 || kind >= RENDERER_VALUE_KIND_COUNT)
        return false;
    if (g_ignoredValueReported[kind].exchange(true))
        return false;
    const ValueKindText& text = kValueKindTexts[kind];
    QVI_Report(QV_LOG_WARNING, "Renderer: ignored %s %d (valid values are %s); further ones are not reported.", text.what,
               value, text.range);
    return true;
}

void QVI_ResetIgnoredRendererValueReports()
{
    for (std::atomic<bool>& reported : g_ignoredValueReported)
        reported = false;
}

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
