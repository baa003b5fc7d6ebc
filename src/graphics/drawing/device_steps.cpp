// What drawing keeps on the device: the render-state cache, the batch renderer's buffers and
// built-in shaders, and the white texture that untextured drawing samples. Renderer set-up
// runs these steps once a device is up and before it goes down.
#include "graphics/device_resources.h"

#include <cstring>

#include "core/engine_log.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/drawing/render_state.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/texture_description.h"
#include "graphics/shaders/shader_pool.h"

namespace {

const char kWhiteTextureName[] = "WHITE_TEXTURE";
const int kWhiteTextureSize = 16;

void FreeBuiltInShader(Shader** shader)
{
    if (!*shader)
        return;
    QVI_ReleaseShader(*shader, true);
    // The record's name is freed too: the next initialisation makes the shader anew.
    QVI_FreeShaderRecord(*shader);
    *shader = nullptr;
}

}  // namespace

void QVI_ClearRenderStateSetFlags()
{
    for (RenderStateEntry& entry : g_graphics.renderStates)
        entry.set = 0;
}

void QVI_PrepareBatchRenderer()
{
    g_batch.statesValid = 0;
    BatchRenderer::ResetFrameState();
    BatchRenderer::CreateBuiltInShaders();
}

void QVI_CreateWhiteTexture()
{
    if (!g_batch.defaultShader)
        return;
    const BitmapDescription description =
        QVI_Single2DDescription(QV_TEXTURE_FORMAT_RGBA8, kWhiteTextureSize, kWhiteTextureSize, false);
    Bitmap* white = QV_Graphics_CreateBitmap(kWhiteTextureName, &description);
    g_batch.whiteTexture = white;
    // Without it untextured drawing binds no texture; the pool has said why it made none.
    if (!white)
        return;
    QVI_Report(QV_LOG_INFO, "Created default white texture.");
    if (!white->pixels)
        return;
    QVI_Report(QV_LOG_INFO, "Setting white texture pixels (size %dx%d).", white->width, white->height);
    const int64_t bytes = static_cast<int64_t>(white->width) * white->height * 4;
    if (bytes > 0)
        memset(white->pixels, 255, static_cast<size_t>(bytes));
    QVI_Report(QV_LOG_INFO, "Refreshing default white texture...");
    QV_Graphics_RefreshBitmap(white);
    QVI_Report(QV_LOG_INFO, "Initialized default white texture.");
}

void QVI_InitBatchBuffers()
{
    BatchRenderer::InitBuffers();
}

void QVI_ApplyDepthAndProjection()
{
    const float depth = g_graphics.depth;
    QV_Graphics_SetDepth(&depth);
    QV_Graphics_SetProjectionParameters(g_graphics.nearDepth, g_graphics.middleDepth, g_graphics.farDepth);
}

void QVI_FreeBatchAssets()
{
    if (g_batch.whiteTexture) {
        QV_Graphics_ReleaseBitmap(g_batch.whiteTexture);
        g_batch.whiteTexture = nullptr;
    }
    FreeBuiltInShader(&g_batch.defaultShader);
    FreeBuiltInShader(&g_batch.distanceFieldShader);
    g_batch.textShader = nullptr;
    g_batch.currentShader = nullptr;
    g_batch.boundShader = nullptr;
    BatchRenderer::FreeBuffers();
    // The device takes its textures with it; nothing stays bound to a stage.
    memset(g_batch.stageBitmaps, 0, sizeof g_batch.stageBitmaps);
    memset(g_batch.stageTextures, 0, sizeof g_batch.stageTextures);
}
