// The state side of the graphics API without stacks: render states, blend mode, colour,
// alpha and depth, the texture stages' sampler requests, clears and renderer queries.
#include "graphics/drawing/render_state.h"

#include "core/core_state.h"
#include "core/engine_log.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"

namespace {

RendererImplementation* ReadyRenderer()
{
    return QVI_IsRendererReady() ? QVI_GetRenderer() : nullptr;
}

// Render-state codes index a table of 32 entries.
bool IsStateCode(int state)
{
    return state >= 0 && state < kRenderStateCount;
}

void WriteQuadColour()
{
    for (BatchVertex& vertex : g_batchQuad)
        vertex.color = g_graphics.packedColor;
}

void SetColour(const float* r, const float* g, const float* b, bool redInByte0)
{
    if (!r || !g || !b) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_SetColor: a colour component is missing (null), colour unchanged.");
        return;
    }
    g_graphics.color.r = *r;
    g_graphics.color.g = *g;
    g_graphics.color.b = *b;
    const uint32_t red = QVI_UnitToByte(*r);
    const uint32_t green = QVI_UnitToByte(*g);
    const uint32_t blue = QVI_UnitToByte(*b);
    const uint32_t alpha = g_graphics.packedColor & 0xFF000000u;
    g_graphics.packedColor =
        alpha | (green << 8) | (redInByte0 ? (red | (blue << 16)) : (blue | (red << 16)));
    WriteQuadColour();
}

bool IsStage(int stage, const char* member)
{
    if (stage >= 0 && stage < kBatchTextureStages)
        return true;
    QVI_Report(QV_LOG_WARNING, "%s: texture stage %d does not exist (0 to %d), ignored.", member, stage,
               kBatchTextureStages - 1);
    return false;
}

void RequestTriple(int32_t triple[3], int a, int b, int c)
{
    if (triple[0] == a && triple[1] == b && triple[2] == c)
        return;
    triple[0] = a;
    triple[1] = b;
    triple[2] = c;
    g_batch.statesValid = 0;
}

// Anisotropic filtering is chosen by the minification and magnification filters; a mip
// filter asks only for linear blending between levels.
int MipFilter(int filter)
{
    return filter == QV_FILTER_ANISOTROPIC ? QV_FILTER_LINEAR : filter;
}

}  // namespace

uint8_t QVI_UnitToByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 1.0f)
        return 255;
    return static_cast<uint8_t>(value * 255.0f);
}

// ---- Render states -------------------------------------------------------------------------

void QV_Graphics_SetRenderStateb(int state, bool value)
{
    if (!IsStateCode(state)) {
        QVI_ReportPopup(QV_LOG_WARNING, "QV_Graphics_SetRenderStateb: (%d, %s) state not supported with this method.",
                        state, value ? "true" : "false");
        return;
    }
    RenderStateEntry& entry = g_graphics.renderStates[state];
    if (entry.set && (entry.boolValue != 0) == value)
        return;
    BatchRenderer::Flush();
    entry.set = 1;
    entry.boolValue = value ? 1 : 0;
    RendererImplementation* renderer = ReadyRenderer();
    switch (state) {
    case QV_RENDER_STATE_DEPTH_TEST:
        if (renderer)
            renderer->SetDepthTest(value);
        break;
    case QV_RENDER_STATE_DEPTH_WRITE:
        if (renderer)
            renderer->SetDepthWrite(value);
        break;
    case QV_RENDER_STATE_COLOR_WRITE:
        if (renderer)
            renderer->SetColorWrite(value);
        break;
    default:
        QVI_ReportPopup(QV_LOG_WARNING, "QV_Graphics_SetRenderStateb: (%d, %s) state not supported with this method.",
                        state, value ? "true" : "false");
    }
}

void QV_Graphics_SetRenderStatei(int state, int value)
{
    if (!IsStateCode(state)) {
        QVI_ReportPopup(QV_LOG_WARNING, "QV_Graphics_SetRenderStatei: (%d, %d) state not supported with this method.",
                        state, value);
        return;
    }
    RenderStateEntry& entry = g_graphics.renderStates[state];
    if (entry.set && entry.intValue == value)
        return;
    BatchRenderer::Flush();
    entry.set = 1;
    entry.intValue = value;
    RendererImplementation* renderer = ReadyRenderer();
    switch (state) {
    case QV_RENDER_STATE_DEPTH_FUNCTION:
        if (renderer)
            renderer->SetDepthFunction(value);
        break;
    case QV_RENDER_STATE_CULL_MODE:
        if (renderer)
            renderer->SetCullMode(value);
        break;
    default:
        QVI_ReportPopup(QV_LOG_WARNING, "QV_Graphics_SetRenderStatei: (%d, %d) state not supported with this method.",
                        state, value);
    }
}

// No state takes a float: the value is kept for GetRenderStatef and reported.
void QV_Graphics_SetRenderStatef(int state, float value)
{
    if (IsStateCode(state)) {
        RenderStateEntry& entry = g_graphics.renderStates[state];
        if (entry.set && entry.floatValue == value)
            return;
        entry.set = 1;
        entry.floatValue = value;
    }
    QVI_ReportPopup(QV_LOG_WARNING, "SetRenderStatef (%d, %g) state not supported with this method.", state,
                    static_cast<double>(value));
}

bool QV_Graphics_GetRenderStateb(int state)
{
    return IsStateCode(state) && g_graphics.renderStates[state].boolValue != 0;
}

int QV_Graphics_GetRenderStatei(int state)
{
    return IsStateCode(state) ? g_graphics.renderStates[state].intValue : 0;
}

float QV_Graphics_GetRenderStatef(int state)
{
    return IsStateCode(state) ? g_graphics.renderStates[state].floatValue : 0.0f;
}

// ---- Blend mode, colour, alpha, depth ------------------------------------------------------

// Any mode is kept and answered by GetBlendMode; the renderer ignores one it does not know.
void QV_Graphics_SetBlendMode(int mode)
{
    if (g_batch.requested.blendMode == mode)
        return;
    g_batch.requested.blendMode = mode;
    g_batch.statesValid = 0;
}

int QV_Graphics_GetBlendMode()
{
    return g_batch.requested.blendMode;
}

void QV_Graphics_SetColorRedInByte2(const float* r, const float* g, const float* b)
{
    SetColour(r, g, b, false);
}

void QV_Graphics_SetColorRedInByte0(const float* r, const float* g, const float* b)
{
    SetColour(r, g, b, true);
}

void QV_Graphics_SetAlpha(const float* alpha)
{
    if (!alpha) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_SetAlpha: no alpha (null), alpha unchanged.");
        return;
    }
    const float a = *alpha > 1.0f ? 1.0f : (*alpha > 0.0f ? *alpha : 0.0f);
    g_graphics.color.a = a;
    const uint32_t alphaByte = static_cast<uint32_t>(QVI_UnitToByte(a)) << 24;
    g_graphics.packedColor = (g_graphics.packedColor & 0x00FFFFFFu) | alphaByte;
    // Only the alpha: the quad may hold colours of its own (a bitmap line leaves its two
    // there), which what is drawn next keeps until SetColor.
    for (BatchVertex& vertex : g_batchQuad)
        vertex.color = (vertex.color & 0x00FFFFFFu) | alphaByte;
}

void QV_Graphics_SetDepth(const float* z)
{
    if (!z) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_SetDepth: no depth (null), depth unchanged.");
        return;
    }
    g_graphics.depth = *z;
    for (BatchVertex& vertex : g_batchQuad)
        vertex.z = *z;
}

Color QV_Graphics_GetColor()
{
    return g_graphics.color;
}

float QV_Graphics_GetAlpha()
{
    return g_graphics.color.a;
}

float QV_Graphics_GetDepth()
{
    return g_graphics.depth;
}

// ---- Texture stages ------------------------------------------------------------------------
// Filters and address modes are kept as given, like blend modes: the renderer ignores values
// it does not know. Only the stage, an index into the batch's tables, is checked.

void QV_Graphics_SetTextureStageFilter(int stage, int magFilter, int minFilter, int mipFilter)
{
    if (!IsStage(stage, "QV_Graphics_SetTextureStageFilter"))
        return;
    RequestTriple(g_batch.requested.filter[stage], magFilter, minFilter, MipFilter(mipFilter));
}

void QV_Graphics_SetTextureFilter(int filter)
{
    RequestTriple(g_batch.requested.filter[0], filter, filter, MipFilter(filter));
}

int QV_Graphics_GetTextureFilter()
{
    return g_batch.requested.filter[0][1];
}

void QV_Graphics_SetTextureAddressMode(int stage, int u, int v, int w)
{
    if (!IsStage(stage, "QV_Graphics_SetTextureAddressMode"))
        return;
    RequestTriple(g_batch.requested.address[stage], u, v, w);
}

void QV_Graphics_SetTexture(int stage, Bitmap* bitmap)
{
    if (!IsStage(stage, "QV_Graphics_SetTexture"))
        return;
    BatchRenderer::Flush();
    BatchRenderer::SetTexture(stage, bitmap && bitmap->hardware.loaded ? bitmap : nullptr);
}

// ---- Clears --------------------------------------------------------------------------------

void QV_Graphics_ClearDepth(float depth)
{
    BatchRenderer::Flush();
    if (!g_graphics.renderStates[QV_RENDER_STATE_DEPTH_WRITE].boolValue) {
        if (g_core.developerMode)
            QVI_ReportPopup(QV_LOG_WARNING, "QV_Graphics_ClearDepth: Depth writes are disabled, calling ClearDepth() "
                                            "has no effect. Enable depth writes first.");
        return;
    }
    const RenderTargetSet& current = g_graphics.currentTargets;
    if (current.colour[0] && !current.depth)
        return;
    if (RendererImplementation* renderer = ReadyRenderer())
        renderer->ClearDepth(depth);
}

void QV_Graphics_ClearColorAlpha(float r, float g, float b, float a)
{
    BatchRenderer::Flush();
    if (RendererImplementation* renderer = ReadyRenderer())
        renderer->ClearColor(r, g, b, a);
}

void QV_Graphics_ClearColor(float r, float g, float b)
{
    QV_Graphics_ClearColorAlpha(r, g, b, 1.0f);
}

// ---- Renderer queries ----------------------------------------------------------------------

int QV_Graphics_GetRendererType()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    return renderer ? renderer->GetRendererType() : 0;
}

int QV_Graphics_GetMaximumTextureSize()
{
    const int kWithoutRenderer = 2048;
    RendererImplementation* renderer = QVI_GetRenderer();
    return renderer ? renderer->GetMaximumTextureSize() : kWithoutRenderer;
}

bool QV_Graphics_IsTextureFormatSupported(const BitmapDescription* description)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    return renderer && description && renderer->IsTextureFormatSupported(description);
}
