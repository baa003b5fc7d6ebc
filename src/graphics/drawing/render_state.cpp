// The state side of the graphics API that has stacks: the projection, view and world
// transforms with the default projection, render targets and scissor rectangles.
#include "graphics/drawing/render_state.h"

#include <cmath>
#include <cstring>

#include "core/configuration.h"
#include "core/engine_log.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/screen_state.h"

GraphicsState g_graphics;

namespace {

// An overlay zoom this close to 1 is no zoom.
const float kZoomTolerance = 1e-6f;
const uint8_t kRenderTargetFlag = 4;
const int kCubeFaces = 6;
// Float positions far outside any screen still convert to an int without overflow.
const float kLargestCoordinate = 1073741824.0f;

RendererImplementation* ReadyRenderer()
{
    return QVI_IsRendererReady() ? QVI_GetRenderer() : nullptr;
}

Matrix4 Identity()
{
    Matrix4 matrix;
    matrix.SetIdentity();
    return matrix;
}

Matrix4 Product(const Matrix4& a, const Matrix4& b)
{
    Matrix4 out;
    Matrix4::Multiply(&out, &a, &b);
    return out;
}

// The whole part of a float, kept inside the int range (NaN is 0).
int WholePart(float value)
{
    if (!(value == value))
        return 0;
    if (value > kLargestCoordinate)
        return static_cast<int>(kLargestCoordinate);
    if (value < -kLargestCoordinate)
        return -static_cast<int>(kLargestCoordinate);
    return static_cast<int>(value);
}

// The renderer draws into the back buffer unless the first colour entry holds a target.
const Bitmap* FirstColourTarget(const RenderTargetSet& set)
{
    return set.colour[0];
}

// The size drawing maps onto: the first colour target's texture, else the screen (also
// for a depth-only set, which has no colour texture to measure).
void TargetSize(const RenderTargetSet& set, int* width, int* height)
{
    const Bitmap* colour = FirstColourTarget(set);
    *width = colour ? colour->textureWidth : g_screenState.screenWidth;
    *height = colour ? colour->textureHeight : g_screenState.screenHeight;
}

bool IsRenderTarget(const Bitmap* bitmap)
{
    return (bitmap->flags & kRenderTargetFlag) != 0;
}

// Scissor edges are kept in 64-bit sums, so that a rectangle reaching past the int range
// is cut at its end rather than wrapped around.
int32_t ClampToInt(int64_t value)
{
    return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : value));
}

void ApplyScissor(const ScissorRectangle& rectangle)
{
    QV_Graphics_SetScissorRectangle(rectangle.left, rectangle.top,
                                    ClampToInt(static_cast<int64_t>(rectangle.right) - rectangle.left),
                                    ClampToInt(static_cast<int64_t>(rectangle.bottom) - rectangle.top));
}

// Transform stacks: a refused push or pop reports and changes nothing.
bool Push(TransformStack* stack, const char* fullMessage)
{
    if (stack->top >= kTransformStackSize - 1) {
        QVI_ReportPopup(QV_LOG_WARNING, fullMessage, kTransformStackSize);
        return false;
    }
    BatchRenderer::Flush();
    ++stack->top;
    return true;
}

bool Pop(TransformStack* stack, const char* underflowMessage)
{
    if (stack->top < 0) {
        QVI_ReportPopup(QV_LOG_WARNING, "%s", underflowMessage);
        return false;
    }
    BatchRenderer::Flush();
    --stack->top;
    return true;
}

Matrix4 TopOrIdentity(const TransformStack& stack)
{
    return stack.top >= 0 ? stack.entries[stack.top] : Identity();
}

void ResetTransformStack(TransformStack* stack)
{
    for (Matrix4& entry : stack->entries)
        entry.SetIdentity();
    stack->top = -1;
}

}  // namespace

void QVI_ResetGraphicsState()
{
    GraphicsState& s = g_graphics;
    static const GraphicsState defaults = GraphicsState();
    ResetTransformStack(&s.projection);
    ResetTransformStack(&s.view);
    ResetTransformStack(&s.world);
    s.viewWorld.SetIdentity();
    s.viewWorldValid = 0;
    memset(s.viewPosition, 0, sizeof s.viewPosition);
    s.viewPositionValid = 0;
    s.nearDepth = defaults.nearDepth;
    s.middleDepth = defaults.middleDepth;
    s.farDepth = defaults.farDepth;
    s.depth = defaults.depth;
    s.color = defaults.color;
    s.packedColor = defaults.packedColor;
    s.renderTargets.count = 0;
    s.currentTargets = RenderTargetSet();
    memset(s.scissors, 0, sizeof s.scissors);
    s.scissorTop = -1;
    memset(s.renderStates, 0, sizeof s.renderStates);
    for (BatchVertex& vertex : g_batchQuad)
        vertex = BatchVertex{0.0f, 0.0f, s.depth, s.packedColor, 0.0f, 0.0f};
}

void QVI_ResetRenderTargets()
{
    g_graphics.renderTargets.count = 0;
    g_graphics.renderTargets.Add(RenderTargetSet());
    g_graphics.currentTargets = RenderTargetSet();
}
// ---- Transforms ----------------------------------------------------------------------------

// Pixel coordinates of the target (x 0 to W, y 0 to H) onto clip space, with a perspective
// whose clip w is z + 8m: at z = m the mapping is exactly pixel for pixel, nearer points
// grow and farther ones shrink about the target's centre, and depth runs from near to far.
Matrix4 QVI_BuildDefaultProjection()
{
    int width;
    int height;
    TargetSize(g_graphics.currentTargets, &width, &height);
    // Before the device has a size there is nothing to map onto; keep the matrix finite.
    const float w = width > 0 ? static_cast<float>(width) : 1.0f;
    const float h = height > 0 ? static_cast<float>(height) : 1.0f;
    PixelCenterOffset centre = {0.0f, 0.0f};
    if (RendererImplementation* renderer = QVI_GetRenderer())
        centre = renderer->GetPixelCenterOffset();

    // Asked for at every batch draw: the last matrix is kept with what it was made from.
    struct Inputs {
        float w, h, x, y, n, m, f;
    };
    static Inputs lastInputs;
    static Matrix4 lastProjection;
    static bool kept = false;
    const Inputs inputs = {w, h, centre.x, centre.y, g_graphics.nearDepth, g_graphics.middleDepth,
                           g_graphics.farDepth};
    if (kept && memcmp(&inputs, &lastInputs, sizeof inputs) == 0)
        return lastProjection;

    Matrix4 scale = Identity();
    scale.m[0] = 2.0f / w;
    scale.m[5] = -2.0f / h;
    Matrix4 shift = Identity();
    shift.m[3] = -1.0f - 2.0f * centre.x / w;
    shift.m[7] = 1.0f + 2.0f * centre.y / h;

    const float n = g_graphics.nearDepth;
    const float m = g_graphics.middleDepth;
    const float f = g_graphics.farDepth;
    const float depthScale = f / (f - n);
    Matrix4 perspective = {};
    perspective.m[0] = 9.0f * m;
    perspective.m[5] = 9.0f * m;
    perspective.m[10] = depthScale;
    perspective.m[11] = 0.99f * 8.0f * m - n * depthScale;
    perspective.m[14] = 1.0f;
    perspective.m[15] = 8.0f * m;
    lastProjection = Product(perspective, Product(shift, scale));
    lastInputs = inputs;
    kept = true;
    return lastProjection;
}

void QVI_UpdateTransforms()
{
    GraphicsState& s = g_graphics;
    if (s.view.top < 0)
        s.viewWorld = TopOrIdentity(s.world);
    else if (s.world.top < 0)
        s.viewWorld = s.view.entries[s.view.top];
    else
        s.viewWorld = Product(s.view.entries[s.view.top], s.world.entries[s.world.top]);
    s.viewWorldValid = 1;
}

Matrix4 QVI_GetCurrentViewTransform()
{
    return TopOrIdentity(g_graphics.view);
}

Matrix4 QVI_GetCurrentWorldTransform()
{
    return TopOrIdentity(g_graphics.world);
}

Matrix4 QVI_GetCurrentProjectionTransform()
{
    const TransformStack& projection = g_graphics.projection;
    return projection.top >= 0 ? projection.entries[projection.top] : QVI_BuildDefaultProjection();
}

Matrix4 QVI_GetViewWorldTransform()
{
    if (!g_graphics.viewWorldValid)
        QVI_UpdateTransforms();
    return g_graphics.viewWorld;
}

Matrix4 QVI_GetWorldViewProjectionTransform()
{
    // Asked for at every batch draw, mostly with the same two matrices as the time before.
    static Matrix4 lastProjection, lastViewWorld, lastProduct;
    static bool kept = false;
    const Matrix4 projection = QVI_GetCurrentProjectionTransform();
    const Matrix4 viewWorld = QVI_GetViewWorldTransform();
    if (!kept || memcmp(&projection, &lastProjection, sizeof projection) != 0 ||
        memcmp(&viewWorld, &lastViewWorld, sizeof viewWorld) != 0) {
        lastProduct = Product(projection, viewWorld);
        lastProjection = projection;
        lastViewWorld = viewWorld;
        kept = true;
    }
    return lastProduct;
}

void QV_Graphics_PushProjectionTransform(const Matrix4* transform)
{
    TransformStack& stack = g_graphics.projection;
    if (!Push(&stack, "QV_Graphics_PushProjectionTransform: projection transform stack is full (max size %d), "
                      "transform not pushed."))
        return;
    stack.entries[stack.top] = transform ? *transform : QVI_BuildDefaultProjection();
}

// A pushed view transform replaces the one below it: the camera is set, not combined.
void QV_Graphics_PushViewTransform(const Matrix4* transform)
{
    TransformStack& stack = g_graphics.view;
    if (!Push(&stack, "QV_Graphics_PushViewTransform: view transform stack is full (max size %d), transform not "
                      "pushed."))
        return;
    g_graphics.viewPositionValid = 0;
    g_graphics.viewWorldValid = 0;
    stack.entries[stack.top] = transform ? *transform : Identity();
    QVI_UpdateTransforms();
}

// A pushed world transform is relative to the one below it.
void QV_Graphics_PushWorldTransform(const Matrix4* transform)
{
    TransformStack& stack = g_graphics.world;
    if (!Push(&stack, "QV_Graphics_PushWorldTransform: world transform stack is full (max size %d), transform not "
                      "pushed."))
        return;
    g_graphics.viewWorldValid = 0;
    if (!transform)
        stack.entries[stack.top].SetIdentity();
    else if (stack.top == 0)
        stack.entries[0] = *transform;
    else
        Matrix4::Multiply(&stack.entries[stack.top], &stack.entries[stack.top - 1], transform);
    QVI_UpdateTransforms();
}

void QV_Graphics_PopProjectionTransform()
{
    Pop(&g_graphics.projection, "QV_Graphics_PopProjectionTransform: called too many times.");
}

void QV_Graphics_PopViewTransform()
{
    if (!Pop(&g_graphics.view, "QV_Graphics_PopViewTransform: called too many times."))
        return;
    g_graphics.viewPositionValid = 0;
    g_graphics.viewWorldValid = 0;
    QVI_UpdateTransforms();
}

void QV_Graphics_PopWorldTransform()
{
    if (!Pop(&g_graphics.world, "QV_Graphics_PopWorldTransform: called too many times."))
        return;
    g_graphics.viewWorldValid = 0;
    if (g_graphics.world.top < 0)
        g_graphics.world.entries[0].SetIdentity();
    QVI_UpdateTransforms();
}

Matrix4 QV_Graphics_PeekProjectionTransform()
{
    return QVI_GetCurrentProjectionTransform();
}

Matrix4 QV_Graphics_PeekViewTransform()
{
    return QVI_GetCurrentViewTransform();
}

Matrix4 QV_Graphics_PeekWorldTransform()
{
    return QVI_GetCurrentWorldTransform();
}

void QV_Graphics_SetProjectionParameters(float nearDepth, float middleDepth, float farDepth)
{
    BatchRenderer::Flush();
    if (!std::isfinite(nearDepth) || !std::isfinite(farDepth) || !(nearDepth < farDepth))
        return;
    g_graphics.nearDepth = nearDepth;
    g_graphics.middleDepth = middleDepth;
    g_graphics.farDepth = farDepth;
    TransformStack& projection = g_graphics.projection;
    if (projection.top >= 0)
        projection.entries[projection.top] = QVI_BuildDefaultProjection();
}

const float* QV_Graphics_GetViewPosition()
{
    GraphicsState& s = g_graphics;
    if (!s.viewPositionValid) {
        Matrix4 inverse = QVI_GetCurrentViewTransform();
        inverse.Invert();
        s.viewPosition[0] = inverse.m[3];
        s.viewPosition[1] = inverse.m[7];
        s.viewPosition[2] = inverse.m[11];
        s.viewPositionValid = 1;
    }
    return s.viewPosition;
}

// ---- Render targets ------------------------------------------------------------------------

bool QVI_SetRenderTargets(const RenderTargetSet* targets)
{
    if (!targets)
        return false;
    for (int i = 0; i < kRendererColorTargets; ++i) {
        const Bitmap* colour = targets->colour[i];
        if (!colour)
            continue;
        if (!IsRenderTarget(colour)) {
            QVI_Report(QV_LOG_WARNING, "QVI_SetRenderTargets: bitmap '%s' is not a render target.",
                       colour->header.name ? colour->header.name : "");
            return false;
        }
        const int face = targets->face[i];
        if (colour->textureType == QV_TEXTURE_TYPE_CUBE && (face < 0 || face >= kCubeFaces)) {
            QVI_ReportPopup(QV_LOG_ERROR, "QVI_SetRenderTargets: invalid cube map side specified.");
            return false;
        }
    }
    if (targets->depth && !IsRenderTarget(targets->depth)) {
        QVI_Report(QV_LOG_WARNING, "QVI_SetRenderTargets: bitmap '%s' is not a render target.",
                   targets->depth->header.name ? targets->depth->header.name : "");
        return false;
    }
    RenderTargetSet& current = g_graphics.currentTargets;
    if (memcmp(current.colour, targets->colour, sizeof current.colour) == 0 && current.depth == targets->depth)
        return true;

    bool bound = false;
    if (RendererImplementation* renderer = ReadyRenderer()) {
        BatchRenderer::Flush();
        // A texture cannot be sampled while it is drawn into.
        for (const Bitmap* colour : targets->colour) {
            for (int stage = 0; colour && stage < kBatchTextureStages; ++stage) {
                if (g_batch.stageBitmaps[stage] == colour ||
                    (colour->hardware.rendererData && g_batch.stageTextures[stage] == colour->hardware.rendererData))
                    BatchRenderer::SetTexture(stage, nullptr);
            }
        }
        bound = renderer->SetRenderTargets(targets);
        int width;
        int height;
        TargetSize(*targets, &width, &height);
        renderer->SetViewport(0, 0, width, height, 0.0f, 1.0f);
    }
    current = *targets;
    return bound;
}

const RenderTargetSet* QVI_GetCurrentRenderTargets()
{
    return &g_graphics.currentTargets;
}

void QV_Graphics_PushRenderTargets(const RenderTargetSet* targets)
{
    if (!targets) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_PushRenderTargets: no render-target set (null), nothing pushed.");
        return;
    }
    QVI_SetRenderTargets(targets);
    g_graphics.renderTargets.Add(*targets);
    QV_Graphics_PushProjectionTransform(nullptr);
    QV_Graphics_PushWorldTransform(nullptr);
}

void QV_Graphics_PushRenderTarget(Bitmap* colour)
{
    RenderTargetSet targets = {};
    targets.colour[0] = colour;
    QV_Graphics_PushRenderTargets(&targets);
}

void QV_Graphics_PushRenderTargetWithDepth(Bitmap* colour, Bitmap* depth)
{
    RenderTargetSet targets = {};
    targets.colour[0] = colour;
    targets.depth = depth;
    QV_Graphics_PushRenderTargets(&targets);
}

void QV_Graphics_PopRenderTarget()
{
    Array<RenderTargetSet>& stack = g_graphics.renderTargets;
    if (stack.count >= 2) {
        BatchRenderer::Flush();
        QVI_SetRenderTargets(&stack.data[stack.count - 2]);
        stack.RemoveLast();
    } else {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "QV_Graphics_PopRenderTarget: Render target stack is empty! You've called PopRenderTarget() "
                        "too many times. The number of PushRenderTarget(s) and PopRenderTarget calls during a render "
                        "frame needs to be the same.");
    }
    QV_Graphics_PopWorldTransform();
    QV_Graphics_PopProjectionTransform();
}

Bitmap* QV_Graphics_PeekRenderTarget()
{
    const Array<RenderTargetSet>& stack = g_graphics.renderTargets;
    return stack.count > 0 ? const_cast<Bitmap*>(FirstColourTarget(stack.data[stack.count - 1])) : nullptr;
}

void QV_Graphics_GetViewportSize(int* width, int* height)
{
    const Array<RenderTargetSet>& stack = g_graphics.renderTargets;
    int w = g_screenState.screenWidth;
    int h = g_screenState.screenHeight;
    if (stack.count >= 2)
        TargetSize(stack.data[stack.count - 1], &w, &h);
    if (width)
        *width = w;
    if (height)
        *height = h;
}

// ---- Scissor -------------------------------------------------------------------------------

bool QV_Graphics_SetScissorRectangle(int x, int y, int width, int height)
{
    if (width < 1 || height < 1)
        return false;
    BatchRenderer::Flush();

    int limitWidth;
    int limitHeight;
    if (const Bitmap* target = FirstColourTarget(g_graphics.currentTargets)) {
        limitWidth = target->textureWidth;
        limitHeight = target->textureHeight;
    } else {
        // The back buffer: program coordinates onto the screen as the frame's base
        // transform maps them.
        if (g_autoscaleActive) {
            x = WholePart(x * g_autoscale.scaleX + g_autoscale.offsetX);
            y = WholePart(y * g_autoscale.scaleY + g_autoscale.offsetY);
            width = WholePart(width * g_autoscale.scaleX);
            height = WholePart(height * g_autoscale.scaleY);
        }
        const int screenWidth = g_screenState.screenWidth;
        const int screenHeight = g_screenState.screenHeight;
        const float zoom = g_autoscale.overlayZoom;
        const bool wholeScreen = x == 0 && y == 0 && width == screenWidth && height == screenHeight;
        if (std::fabs(zoom - 1.0f) >= kZoomTolerance && !wholeScreen) {
            x = WholePart(x * zoom + g_autoscale.zoomOffsetX);
            y = WholePart(y * zoom + g_autoscale.zoomOffsetY);
            width = WholePart(width * zoom);
            height = WholePart(height * zoom);
        }
        const VideoParameters& video = QVI_GetRecordInForce()->video;
        const bool turned =
            g_screenState.orientation != QVI_GetNaturalOrientation(video.reference_width, video.reference_height);
        limitWidth = turned ? screenHeight : screenWidth;
        limitHeight = turned ? screenWidth : screenHeight;
    }
    if (x < 0) {
        width += x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    if (width > limitWidth)
        width = limitWidth;
    if (height > limitHeight)
        height = limitHeight;
    // A rectangle clipped away entirely still goes to the renderer: it hides everything,
    // where keeping the previous rectangle would let drawing through.
    RendererImplementation* renderer = ReadyRenderer();
    if (!renderer || !renderer->SetScissorRectangle(x, y, width, height))
        return false;
    QVI_UpdateTransforms();
    return true;
}

void QV_Graphics_PushScissorRectangle(int x, int y, int width, int height)
{
    GraphicsState& s = g_graphics;
    if (s.scissorTop >= kScissorStackSize - 1) {
        QVI_ReportPopup(QV_LOG_ERROR,
                        "QV_Graphics_PushScissorRectangle: scissor rectangle stack overflow (%d):make sure each push "
                        "operation matches pop in each frame.",
                        kScissorStackSize);
        return;
    }
    ScissorRectangle rectangle = {x, y, ClampToInt(static_cast<int64_t>(x) + width),
                                  ClampToInt(static_cast<int64_t>(y) + height)};
    if (s.scissorTop >= 0) {
        const ScissorRectangle& below = s.scissors[s.scissorTop];
        rectangle.left = rectangle.left > below.left ? rectangle.left : below.left;
        rectangle.top = rectangle.top > below.top ? rectangle.top : below.top;
        rectangle.right = rectangle.right < below.right ? rectangle.right : below.right;
        rectangle.bottom = rectangle.bottom < below.bottom ? rectangle.bottom : below.bottom;
    }
    s.scissors[++s.scissorTop] = rectangle;
    ApplyScissor(rectangle);
}

void QV_Graphics_PopScissorRectangle()
{
    GraphicsState& s = g_graphics;
    if (s.scissorTop < 0) {
        QVI_ReportPopup(QV_LOG_ERROR, "QV_Graphics_PopScissorRectangle: too many pop operations called! Make sureonly "
                                      "one pop is called per each push each frame.");
    } else {
        --s.scissorTop;
    }
    if (s.scissorTop >= 0) {
        ApplyScissor(s.scissors[s.scissorTop]);
        return;
    }
    QV_Graphics_DisableScissorRectangle();
}

void QV_Graphics_DisableScissorRectangle()
{
    BatchRenderer::Flush();
    if (RendererImplementation* renderer = ReadyRenderer())
        renderer->DisableScissorRectangle();
}
