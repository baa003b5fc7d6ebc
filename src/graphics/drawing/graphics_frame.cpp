// The frame's drawing steps on the graphics side: defaults at start-up, the batch renderer at
// each eye pass's start and before Present, the drawing state put back after the program
// has drawn, and the stack depths the frame compares around Render.
#include "graphics/graphics_frame.h"

#include "core/engine_log.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/drawing/render_state.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/renderer/texture_description.h"
#include "graphics/setup/screen_state.h"

namespace {

const float kOne = 1.0f;
const float kZero = 0.0f;
const uint32_t kNoAlignment = 0;

const char kFrameBufferName[] = "TRANSFORMED_FRAME_BUFFER";

// While the overlay zoom is not 1 the frame is drawn into this render target, made on first
// use and kept at the back buffer's size, and the target then onto the screen.
struct ZoomedFrame {
    Bitmap* buffer = nullptr;
    bool pushed = false;  // the buffer is the render target of the frame being drawn
};
ZoomedFrame g_zoomedFrame;

}  // namespace

void QVI_ResetGraphicsDefaults()
{
    QVI_ResetGraphicsState();
}

void QVI_ResetRenderTargetStack()
{
    QVI_ResetRenderTargets();
}

void QVI_ResetBatchForFrame(RendererImplementation* renderer)
{
    g_batch.userPair = 0;
    BatchRenderer::ResetFrameState();
    RendererVertexBuffer* buffer = g_batch.batchBuffers[g_batch.bufferIndex];
    if (renderer && buffer && !g_batch.writePointer)
        g_batch.writePointer = static_cast<BatchVertex*>(renderer->LockVertexBuffer(buffer));
}

DrawingStackDepths QVI_GetDrawingStackDepths()
{
    return DrawingStackDepths{g_graphics.world.top, g_graphics.view.top, g_graphics.projection.top,
                              g_graphics.renderTargets.count - 1};
}

void QVI_BeginZoomedFrame()
{
    const int32_t width = g_screenState.screenWidth;
    const int32_t height = g_screenState.screenHeight;
    const QuavenGraphicsAPI* graphics = qv->graphics;
    if (!g_zoomedFrame.buffer) {
        const BitmapDescription description = QVI_Single2DDescription(QV_TEXTURE_FORMAT_RGB8, width, height, true);
        g_zoomedFrame.buffer = graphics->CreateBitmap(kFrameBufferName, &description);
    } else {
        graphics->ResizeBitmap(g_zoomedFrame.buffer, width, height);
    }
    // A buffer the device could not make (or make again at the new size) leaves the frame
    // drawn straight to the screen: bound, it would leave the back buffer bound, and the
    // black clear before the buffer is drawn would wipe the game's frame.
    g_zoomedFrame.pushed = g_zoomedFrame.buffer && g_zoomedFrame.buffer->hardware.loaded;
    if (!g_zoomedFrame.pushed)
        return;
    RenderTargetSet targets = {};
    targets.colour[0] = g_zoomedFrame.buffer;
    graphics->PushRenderTargets(&targets);
}

void QVI_EndZoomedFrame()
{
    if (!g_zoomedFrame.pushed)
        return;
    g_zoomedFrame.pushed = false;
    const QuavenGraphicsAPI* graphics = qv->graphics;
    graphics->PopRenderTarget();
    graphics->ClearColor(0.0f, 0.0f, 0.0f);
    graphics->DrawBitmap(g_zoomedFrame.buffer, &kZero, &kZero);
}

void QVI_ResetFrameDrawingState()
{
    const QuavenGraphicsAPI* graphics = qv->graphics;
    graphics->SetShader(nullptr);
    graphics->SetAlpha(&kOne);
    graphics->SetColor(&kOne, &kOne, &kOne);
    graphics->SetBlendMode(QV_BLEND_ALPHA);
    graphics->SetRenderStatei(QV_RENDER_STATE_CULL_MODE, QV_CULL_NONE);
    graphics->SetRenderStateb(QV_RENDER_STATE_DEPTH_TEST, false);
    graphics->SetRenderStatei(QV_RENDER_STATE_DEPTH_FUNCTION, QV_DEPTH_LESS_EQUAL);
    graphics->SetRenderStateb(QV_RENDER_STATE_DEPTH_WRITE, false);
    qv->SetTextScale(&kOne, &kOne, &kZero);
    qv->SetTextMaxWidth(&kZero);
    qv->SetTextAlignment(&kNoAlignment);
}

void QVI_FinishFrameTransforms()
{
    // The frame's base world transform, when one was pushed: an empty stack has nothing of
    // the frame's to pop (and the frame has already reported the program's imbalance).
    if (g_graphics.world.top >= 0)
        qv->graphics->PopWorldTransform();
    const float middle = g_graphics.middleDepth;
    qv->graphics->SetDepth(&middle);
}

void QVI_ResetDrawingState()
{
    qv->SetTextScale(&kOne, &kOne, &kZero);
    qv->SetTextAlignment(&kNoAlignment);
    qv->graphics->SetAlpha(&kOne);
    qv->graphics->SetColor(&kOne, &kOne, &kOne);
    qv->graphics->SetBlendMode(QV_BLEND_ALPHA);
}

void QVI_FlushBatchForPresent(RendererImplementation* renderer)
{
    BatchRenderer::Flush();
    RendererVertexBuffer* buffer = g_batch.batchBuffers[g_batch.bufferIndex];
    if (renderer && buffer && buffer->locked)
        renderer->UnlockVertexBuffer(buffer);
    g_batch.writePointer = nullptr;
}
