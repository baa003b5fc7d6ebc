// The batch renderer: quads and lines collected into 16 rotating vertex buffers and drawn in
// few calls, the blend mode and sampler state of the texture stages handed to the renderer
// only when they change, the engine-filled shader matrices, and the draw member Quad.
#include "graphics/drawing/batch_renderer.h"

#include <cstring>

#include "core/engine_log.h"
#include "graphics/drawing/render_state.h"
#include "graphics/graphics_frame.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/renderer/shader_record.h"
#include "graphics/setup/renderer_setup.h"
#include "shadertool/description/shader_description.h"

BatchState g_batch;
// Opaque white at the middle depth until the colour and depth setters say otherwise.
BatchVertex g_batchQuad[4] = {{0.0f, 0.0f, 0.5f, 0xFFFFFFFFu, 0.0f, 0.0f},
                              {0.0f, 0.0f, 0.5f, 0xFFFFFFFFu, 0.0f, 0.0f},
                              {0.0f, 0.0f, 0.5f, 0xFFFFFFFFu, 0.0f, 0.0f},
                              {0.0f, 0.0f, 0.5f, 0xFFFFFFFFu, 0.0f, 0.0f}};

namespace {

const int kPrimitiveLines = 0;
const int kPrimitiveTriangles = 1;
const int kQuadVertices = 4;
const int kQuadIndices = 6;
const int kQuadsPerBuffer = kBatchBufferVertices / kQuadVertices;
// DrawIndexedLines draws two indices per line: the line index buffer covers one buffer.
const int kLineIndices = kBatchBufferVertices;
// The per-format buffers of the draw member Quad, in the order of g_batch.formatBuffers.
const int kQuadFormats[3] = {15, 47, 111};

RendererVertexBuffer* CurrentBuffer()
{
    return g_batch.batchBuffers[g_batch.bufferIndex];
}

void LockCurrentBuffer(RendererImplementation* renderer)
{
    RendererVertexBuffer* buffer = CurrentBuffer();
    g_batch.writePointer = buffer ? static_cast<BatchVertex*>(renderer->LockVertexBuffer(buffer)) : nullptr;
}

void UseTriangles()
{
    if (g_batch.primitiveMode == kPrimitiveTriangles)
        return;
    BatchRenderer::Flush();
    g_batch.primitiveMode = kPrimitiveTriangles;
}

void BindCurrentShader(RendererImplementation* renderer)
{
    if (g_batch.currentShader != g_batch.boundShader) {
        g_batch.boundShader = g_batch.currentShader;
        renderer->SetShader(g_batch.currentShader);
    }
    if (g_batch.boundShader)
        QVI_UpdateShaderConstants(g_batch.boundShader);
}

// The value in force for a stage: the shader's own where it gives one, else the request.
void EffectiveTriple(const int32_t requested[3], const int32_t override[3], int32_t out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = override[i] != 0 ? override[i] : requested[i];
}

bool Differs(const int32_t a[3], const int32_t b[3])
{
    return a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
}

bool AllSet(const int32_t triple[3])
{
    return triple[0] != 0 && triple[1] != 0 && triple[2] != 0;
}

void CopyOverride(int32_t target[3], const int32_t source[3])
{
    if (!Differs(target, source))
        return;
    memcpy(target, source, 3 * sizeof(int32_t));
    g_batch.statesValid = 0;
}

void DestroyVertexBuffer(RendererImplementation* renderer, RendererVertexBuffer** buffer)
{
    if (!*buffer)
        return;
    if ((*buffer)->locked)
        renderer->UnlockVertexBuffer(*buffer);
    renderer->DestroyVertexBuffer(*buffer);
    *buffer = nullptr;
}

void DestroyIndexBuffer(RendererImplementation* renderer, RendererIndexBuffer** buffer)
{
    if (!*buffer)
        return;
    if ((*buffer)->locked)
        renderer->UnlockIndexBuffer(*buffer);
    renderer->DestroyIndexBuffer(*buffer);
    *buffer = nullptr;
}

// Writes count indices through a lock; a buffer the renderer did not make stays empty.
template <typename Fill>
void FillIndices(RendererImplementation* renderer, RendererIndexBuffer* buffer, Fill fill)
{
    if (!buffer)
        return;
    uint16_t* indices = renderer->LockIndexBuffer(buffer);
    if (indices)
        fill(indices);
    renderer->UnlockIndexBuffer(buffer);
}

}  // namespace

void BatchRenderer::InitBuffers()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer)
        return;
    g_batch.bufferIndex = 0;
    QVI_Report(QV_LOG_INFO, "Batch renderer initializing buffers.");
    for (RendererVertexBuffer*& buffer : g_batch.batchBuffers)
        buffer = renderer->CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, kBatchBufferVertices, QV_BUFFER_DYNAMIC);
    g_batch.quadIndexBuffer = renderer->CreateIndexBuffer(kQuadsPerBuffer * kQuadIndices, QV_BUFFER_STATIC);
    g_batch.lineIndexBuffer = renderer->CreateIndexBuffer(kLineIndices, QV_BUFFER_STATIC);
    for (int pair = 0; pair < 2; ++pair) {
        g_batch.userIndexBuffers[pair] = renderer->CreateIndexBuffer(kUserBufferElements, QV_BUFFER_DYNAMIC);
        g_batch.userVertexBuffers[pair] =
            renderer->CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, kUserBufferElements, QV_BUFFER_DYNAMIC);
    }
    for (int i = 0; i < 3; ++i)
        g_batch.formatBuffers[i] = renderer->CreateVertexBuffer(kQuadFormats[i], kBatchBufferVertices, QV_BUFFER_DYNAMIC);

    // Quad q is the triangles (0, 1, 2) and (1, 3, 2) of its top-left, top-right,
    // bottom-left and bottom-right vertices.
    FillIndices(renderer, g_batch.quadIndexBuffer, [](uint16_t* indices) {
        const uint16_t pattern[kQuadIndices] = {0, 1, 2, 1, 3, 2};
        for (int quad = 0; quad < kQuadsPerBuffer; ++quad) {
            for (int i = 0; i < kQuadIndices; ++i)
                indices[quad * kQuadIndices + i] = static_cast<uint16_t>(quad * kQuadVertices + pattern[i]);
        }
    });
    FillIndices(renderer, g_batch.lineIndexBuffer, [](uint16_t* indices) {
        for (int i = 0; i < kLineIndices; ++i)
            indices[i] = static_cast<uint16_t>(i);
    });
    LockCurrentBuffer(renderer);
}

void BatchRenderer::FreeBuffers()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (renderer) {
        for (RendererVertexBuffer*& buffer : g_batch.batchBuffers)
            DestroyVertexBuffer(renderer, &buffer);
        for (RendererVertexBuffer*& buffer : g_batch.formatBuffers)
            DestroyVertexBuffer(renderer, &buffer);
        for (int pair = 0; pair < 2; ++pair) {
            DestroyVertexBuffer(renderer, &g_batch.userVertexBuffers[pair]);
            DestroyIndexBuffer(renderer, &g_batch.userIndexBuffers[pair]);
        }
        DestroyIndexBuffer(renderer, &g_batch.quadIndexBuffer);
        DestroyIndexBuffer(renderer, &g_batch.lineIndexBuffer);
    }
    g_batch.queued = 0;
    g_batch.bufferIndex = 0;
    g_batch.writePointer = nullptr;
}

void BatchRenderer::ClearTextureStages(BatchSamplerBlock* block)
{
    memset(block, 0, sizeof *block);
}

void BatchRenderer::ResetFrameState()
{
    ClearTextureStages(&g_batch.applied);
    ClearTextureStages(&g_batch.requested);
    g_batch.statesValid = 0;
    for (int stage = 0; stage < kBatchTextureStages; ++stage) {
        for (int i = 0; i < 3; ++i) {
            g_batch.requested.address[stage][i] = QV_ADDRESS_CLAMP;
            g_batch.requested.filter[stage][i] = QV_FILTER_LINEAR;
        }
    }
    memset(g_batch.overrideAddress, 0, sizeof g_batch.overrideAddress);
    memset(g_batch.overrideFilter, 0, sizeof g_batch.overrideFilter);
    g_batch.requested.blendMode = QV_BLEND_ALPHA;
    for (int stage = 0; stage < kBatchTextureStages; ++stage)
        SetTexture(stage, nullptr);
    QVI_ResetDrawingState();
    RendererImplementation* renderer = QVI_GetRenderer();
    if (renderer && g_batch.boundShader != g_batch.defaultShader)
        renderer->SetShader(g_batch.defaultShader);
    g_batch.currentShader = g_batch.defaultShader;
    g_batch.boundShader = g_batch.defaultShader;
    ApplyStates();
}

void BatchRenderer::ApplyStates()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (g_batch.statesValid || !renderer)
        return;
    g_batch.statesValid = 1;
    Flush();
    BatchSamplerBlock& applied = g_batch.applied;
    const BatchSamplerBlock& requested = g_batch.requested;
    if (requested.blendMode != applied.blendMode) {
        renderer->SetBlendMode(requested.blendMode);
        applied.blendMode = requested.blendMode;
    }
    for (int stage = 0; stage < kBatchTextureStages; ++stage) {
        int32_t address[3];
        EffectiveTriple(requested.address[stage], g_batch.overrideAddress[stage], address);
        if (Differs(address, applied.address[stage]) && AllSet(address)) {
            renderer->SetSamplerAddressMode(stage, address[0], address[1], address[2]);
            memcpy(applied.address[stage], address, sizeof address);
        }
    }
    for (int stage = 0; stage < kBatchTextureStages; ++stage) {
        int32_t filter[3];  // magnification, minification, mip
        EffectiveTriple(requested.filter[stage], g_batch.overrideFilter[stage], filter);
        if (Differs(filter, applied.filter[stage]) && AllSet(filter)) {
            // The renderer takes the minification filter first.
            renderer->SetSamplerFilter(stage, filter[1], filter[0], filter[2]);
            memcpy(applied.filter[stage], filter, sizeof filter);
        }
    }
}

void BatchRenderer::Flush()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (g_batch.queued <= 0 || !renderer)
        return;
    RendererVertexBuffer* buffer = CurrentBuffer();
    if (buffer && buffer->locked)
        renderer->UnlockVertexBuffer(buffer);
    g_batch.writePointer = nullptr;
    BindCurrentShader(renderer);
    const int queued = g_batch.queued;
    if (g_batch.primitiveMode == kPrimitiveLines)
        renderer->DrawIndexedLines(buffer, g_batch.lineIndexBuffer, queued / 2);
    else
        renderer->DrawIndexedTriangles(buffer, queued, g_batch.quadIndexBuffer, queued / 2);
    // The next buffer is written while the device may still read this one.
    g_batch.bufferIndex = (g_batch.bufferIndex + 1) % kBatchBufferCount;
    LockCurrentBuffer(renderer);
    g_batch.queued = 0;
}

BatchVertex* BatchRenderer::ReserveQuads(Bitmap* bitmap, int* room)
{
    *room = 0;
    if (!g_batch.writePointer)
        return nullptr;
    // The common case, a sprite like the one before it, tests three values: state changes
    // go through the full calls.
    if (!g_batch.statesValid)
        ApplyStates();
    UseTriangles();
    if (!bitmap || bitmap->hardware.rendererData != g_batch.stageTextures[0])
        SetTexture(0, bitmap);
    // A flush above may have met a buffer that would not lock.
    if (!g_batch.writePointer)
        return nullptr;
    *room = (kBatchBufferVertices - g_batch.queued) / kQuadVertices;
    return g_batch.writePointer + g_batch.queued;
}

void BatchRenderer::CommitQuads(int quads)
{
    g_batch.queued += quads * kQuadVertices;
    if (g_batch.queued >= kBatchBufferVertices)
        Flush();
}

void BatchRenderer::AddQuad(Bitmap* bitmap, const BatchVertex quad[4])
{
    if (!quad)
        return;
    int room;
    BatchVertex* target = ReserveQuads(bitmap, &room);
    if (!target)
        return;
    memcpy(target, quad, kQuadVertices * sizeof(BatchVertex));
    CommitQuads(1);
}

void BatchRenderer::AddLine(const BatchVertex* a, const BatchVertex* b)
{
    if (!a || !b)
        return;
    if (g_batch.primitiveMode != kPrimitiveLines) {
        Flush();
        g_batch.primitiveMode = kPrimitiveLines;
    }
    SetTexture(0, nullptr);
    ApplyStates();
    if (!g_batch.writePointer)
        return;
    g_batch.writePointer[g_batch.queued] = *a;
    g_batch.writePointer[g_batch.queued + 1] = *b;
    g_batch.queued += 2;
    if (g_batch.queued >= kBatchBufferVertices)
        Flush();
}

void BatchRenderer::SetTexture(int stage, Bitmap* bitmap)
{
    if (stage < 0 || stage >= kBatchTextureStages)
        return;
    // Untextured drawing with the default shader samples the white texture.
    if (!bitmap && g_batch.defaultShader && g_batch.currentShader == g_batch.defaultShader)
        bitmap = g_batch.whiteTexture;
    TextureHardwareData* texture = bitmap ? bitmap->hardware.rendererData : nullptr;
    if (texture == g_batch.stageTextures[stage])
        return;
    Flush();
    g_batch.stageBitmaps[stage] = bitmap;
    g_batch.stageTextures[stage] = texture;
    if (RendererImplementation* renderer = QVI_GetRenderer())
        renderer->SetTexture(stage, texture);
}

void BatchRenderer::SetShader(Shader* shader)
{
    if (!shader || !(shader->flags & kShaderLoaded))
        shader = g_batch.defaultShader;
    if (shader == g_batch.currentShader)
        return;
    Flush();
    g_batch.currentShader = shader;
    if (!shader)
        return;
    for (int stage = 0; stage < kShaderTextureSlots && stage < kBatchTextureStages; ++stage) {
        const ShaderTextureEntry& entry = shader->textures[stage];
        if (!entry.name)
            break;
        if (entry.defaultBitmap)
            SetTexture(stage, entry.defaultBitmap);
        CopyOverride(g_batch.overrideAddress[stage], entry.address);
        CopyOverride(g_batch.overrideFilter[stage], entry.filter);
    }
}

// ---- The draw member Quad ------------------------------------------------------------------

// Formats other than the batch's own draw one quad at once through their own buffer.
void QV_Draw_Quad(int vertexFormat, const void* vertices)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!vertices) {
        QVI_Report(QV_LOG_WARNING, "QV_Draw_Quad: no vertices (null), nothing drawn.");
        return;
    }
    if (!renderer || !QVI_IsRendererReady())
        return;
    BatchRenderer::Flush();
    BatchRenderer::ApplyStates();
    UseTriangles();
    BindCurrentShader(renderer);
    for (int i = 0; i < 3; ++i) {
        RendererVertexBuffer* buffer = g_batch.formatBuffers[i];
        if (kQuadFormats[i] != vertexFormat || !buffer)
            continue;
        void* target = renderer->LockVertexBuffer(buffer);
        if (target)
            memcpy(target, vertices, static_cast<size_t>(kQuadVertices) * QVI_GetVertexSize(vertexFormat));
        renderer->UnlockVertexBuffer(buffer);
        if (target)
            renderer->DrawIndexedTriangles(buffer, kQuadVertices, g_batch.quadIndexBuffer, 2);
    }
}

// ---- Engine-filled shader constants --------------------------------------------------------

void QVI_UpdateShaderConstants(Shader* shader)
{
    if (!shader || !(shader->flags & kShaderLoaded))
        return;
    uint8_t uploaded = (shader->flags & kShaderConstantsUploaded) ? 1 : 0;
    QVI_FillEngineConstants(&shader->vertexConstants, &uploaded);
    QVI_FillEngineConstants(&shader->pixelConstants, &uploaded);
    // Atomic: a game thread may finish loading the shader (its loaded bit) meanwhile.
    if (uploaded)
        __atomic_or_fetch(&shader->flags, kShaderConstantsUploaded, __ATOMIC_SEQ_CST);
    else
        __atomic_and_fetch(&shader->flags, static_cast<uint8_t>(~kShaderConstantsUploaded), __ATOMIC_SEQ_CST);
}

// Matrix order: the engine's Matrix4 is row-major and acts on column vectors (projection x
// view x world x v). Its 64 bytes go into the constant block unchanged. The shaders declare
// their matrices with the default column_major packing, so register i (engine row i) is
// read as column i: the shader's matrix is the transpose of the engine's, and the shader's
// mul(position, matrix) computes exactly engine matrix x position. Built-in, precompiled and
// translated shaders all rely on this one rule.
void QVI_FillEngineConstants(ShaderConstantTable* table, uint8_t* uploadedFlag)
{
    if (!table || !table->entries)
        return;
    for (int i = 0; i < table->count; ++i) {
        ShaderConstant& entry = table->entries[i];
        Matrix4 value;
        switch (entry.engineKind) {
        case ShaderTool::kConstantWorldTransform:
            value = QVI_GetCurrentWorldTransform();
            break;
        case ShaderTool::kConstantWorldViewTransform:
            value = QVI_GetViewWorldTransform();
            break;
        case ShaderTool::kConstantWorldViewProjectionTransform:
            value = QVI_GetWorldViewProjectionTransform();
            break;
        case ShaderTool::kConstantViewTransform:
            value = QVI_GetCurrentViewTransform();
            break;
        case ShaderTool::kConstantViewProjectionTransform: {
            const Matrix4 projection = QVI_GetCurrentProjectionTransform();
            const Matrix4 view = QVI_GetCurrentViewTransform();
            Matrix4::Multiply(&value, &projection, &view);
            break;
        }
        default:
            continue;
        }
        // A constant too small for a matrix is left alone rather than overrun.
        if (!entry.value || entry.size < sizeof value.m || memcmp(entry.value, value.m, sizeof value.m) == 0)
            continue;
        memcpy(entry.value, value.m, sizeof value.m);
        entry.uploaded = 0;
        if (uploadedFlag)
            *uploadedFlag = 0;
    }
}
