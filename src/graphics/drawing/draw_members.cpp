// The graphics members with which the game draws from its own memory: bitmaps as quads
// (whole, a pixel rectangle, turned and scaled, stretched along a line, or four vertices
// of its own), filled rectangles, lines, and indexed triangle lists. Quads and lines go
// into the batch renderer; a triangle list draws the batch and goes to the renderer at
// once through one of the batch's two user buffer pairs.
#include <cmath>
#include <cstring>

#include "core/engine_log.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/drawing/user_buffers.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"

namespace {

// Bitmap::state of a bitmap whose pixels and texture are in place.
const uint16_t kBitmapReady = 3;
// Shorter lines have no direction to widen them along.
const float kShortestLine = 0.000001f;
// The texel an untextured quad samples: the middle of the white texture.
const float kUntexturedCoordinate = 0.5f;

// DrawBitmapCustom's quad of its own: the caller's vertices leave the current quad's colour
// as it is.
BatchVertex g_customQuad[4];

// Vertex colours go to the device as B, G, R, A bytes (0xAARRGGBB); so too before a device
// is ready, when nothing is drawn anyway.
bool DeviceWantsBgraColours()
{
    return !g_rendererSetup.ready || g_rendererSetup.rgbaVertexColor;
}

// DrawBitmapCustom's colours reach the engine as 0xAARRGGBB; a device that reads R, G, B, A
// bytes gets red and blue exchanged.
uint32_t ToDeviceColour(uint32_t argb, bool bgra)
{
    if (bgra)
        return argb;
    return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

uint32_t ChannelByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 1.0f)
        return 255;
    return static_cast<uint32_t>(value * 255.0f);
}

uint32_t PackColour(const float rgba[4], bool bgra)
{
    const uint32_t r = ChannelByte(rgba[0]), g = ChannelByte(rgba[1]), b = ChannelByte(rgba[2]);
    const uint32_t a = ChannelByte(rgba[3]);
    return bgra ? (a << 24 | r << 16 | g << 8 | b) : (a << 24 | b << 16 | g << 8 | r);
}

bool IsDrawable(const Bitmap* bitmap)
{
    return bitmap && bitmap->state == kBitmapReady && bitmap->hardware.loaded;
}

// Top-left, top-right, bottom-left, bottom-right.
void SetCorners(BatchVertex quad[4], float x, float y, float width, float height)
{
    quad[0].x = x;
    quad[0].y = y;
    quad[1].x = x + width;
    quad[1].y = y;
    quad[2].x = x;
    quad[2].y = y + height;
    quad[3].x = x + width;
    quad[3].y = y + height;
}

void SetTextureRectangle(BatchVertex quad[4], float left, float top, float right, float bottom)
{
    quad[0].u = left;
    quad[0].v = top;
    quad[1].u = right;
    quad[1].v = top;
    quad[2].u = left;
    quad[2].v = bottom;
    quad[3].u = right;
    quad[3].v = bottom;
}

void SetWholeBitmap(BatchVertex quad[4], const Bitmap* bitmap)
{
    const BitmapHardwareData& hardware = bitmap->hardware;
    SetTextureRectangle(quad, hardware.left, hardware.top, hardware.right, hardware.bottom);
}

bool ReportIfMissing(bool missing, const char* member, const char* what)
{
    if (missing)
        QVI_Report(QV_LOG_WARNING, "%s: null %s; nothing drawn.", member, what);
    return missing;
}

bool CurrentAlphaVisible()
{
    return QV_Graphics_GetAlpha() > 0.0f;
}

// The checks of DrawTriangles' arguments; false when nothing may be drawn.
bool AcceptTriangles(const BatchVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount)
{
    if (ReportIfMissing(!vertices || !indices, "QV_Graphics_DrawTriangles", "vertices or indices"))
        return false;
    if (vertexCount < 0 || indexCount < 0) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_DrawTriangles: invalid vertex count %d or index count %d.",
                   vertexCount, indexCount);
        return false;
    }
    if (vertexCount > kUserBufferElements) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Too many vertices (%d) for DrawTriangles call. Draw using vertex and index buffers instead. "
                        "Maximum is %d. Not drawing anything for this call.",
                        vertexCount, kUserBufferElements);
        return false;
    }
    if (indexCount > kUserBufferElements) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Too many indices (%d) for DrawTriangles call. Draw using vertex and index buffers instead. "
                        "Maximum is %d. Not drawing anything for this call.",
                        indexCount, kUserBufferElements);
        return false;
    }
    // Only this call's vertices are copied into the batch's shared buffer: an index past
    // them would draw the stale vertices an earlier call left there.
    for (int i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) {
            QVI_Report(QV_LOG_WARNING,
                       "QV_Graphics_DrawTriangles: index %d (at %d) is past the %d vertices. Not drawing anything for "
                       "this call.",
                       indices[i], i, vertexCount);
            return false;
        }
    }
    return indexCount >= 3;
}

}  // namespace

void QV_Graphics_DrawBitmap(Bitmap* bitmap, const float* x, const float* y)
{
    if (ReportIfMissing(!bitmap || !x || !y, "QV_Graphics_DrawBitmap", "bitmap or position"))
        return;
    if (!IsDrawable(bitmap) || !CurrentAlphaVisible())
        return;
    SetCorners(g_batchQuad, *x, *y, static_cast<float>(bitmap->width), static_cast<float>(bitmap->height));
    SetWholeBitmap(g_batchQuad, bitmap);
    BatchRenderer::AddQuad(bitmap, g_batchQuad);
}

void QV_Graphics_DrawSubBitmap(Bitmap* bitmap, const float* x, const float* y, const float* left, const float* top,
                               const float* right, const float* bottom)
{
    if (ReportIfMissing(!bitmap || !x || !y || !left || !top || !right || !bottom, "QV_Graphics_DrawSubBitmap",
                        "bitmap, position or rectangle"))
        return;
    // The pixel rectangle is scaled by the bitmap's size: without one there is no scale.
    if (!IsDrawable(bitmap) || bitmap->width == 0 || bitmap->height == 0)
        return;
    const BitmapHardwareData& hardware = bitmap->hardware;
    const float du = (hardware.right - hardware.left) / static_cast<float>(bitmap->width);
    const float dv = (hardware.bottom - hardware.top) / static_cast<float>(bitmap->height);
    SetCorners(g_batchQuad, *x, *y, *right - *left, *bottom - *top);
    SetTextureRectangle(g_batchQuad, hardware.left + *left * du, hardware.top + *top * dv,
                        hardware.left + *right * du, hardware.top + *bottom * dv);
    BatchRenderer::AddQuad(bitmap, g_batchQuad);
}

void QV_Graphics_DrawBitmapRotated(Bitmap* bitmap, const float* x, const float* y, const float* angle,
                                   const float* scale)
{
    if (ReportIfMissing(!bitmap || !x || !y || !angle || !scale, "QV_Graphics_DrawBitmapRotated",
                        "bitmap, position, angle or scale"))
        return;
    if (!IsDrawable(bitmap))
        return;
    const float s = *scale / 2.0f;
    const float halfWidth = static_cast<float>(bitmap->width) * s;
    const float halfHeight = static_cast<float>(bitmap->height) * s;
    // An odd size has its middle on a pixel centre; half a pixel back keeps texels on pixels.
    const float cx = *x - ((bitmap->width & 1) ? s : 0.0f);
    const float cy = *y - ((bitmap->height & 1) ? s : 0.0f);
    const float c = std::cos(*angle);
    const float sn = std::sin(*angle);
    const float offsets[4][2] = {
        {-halfWidth, -halfHeight}, {halfWidth, -halfHeight}, {-halfWidth, halfHeight}, {halfWidth, halfHeight}};
    for (int i = 0; i < 4; ++i) {
        g_batchQuad[i].x = cx + offsets[i][0] * c - offsets[i][1] * sn;
        g_batchQuad[i].y = cy + offsets[i][0] * sn + offsets[i][1] * c;
    }
    SetWholeBitmap(g_batchQuad, bitmap);
    BatchRenderer::AddQuad(bitmap, g_batchQuad);
}

void QV_Graphics_DrawBitmapLine(Bitmap* bitmap, const float p0[2], const float p1[2], float width0, float width1,
                                const float colour0[4], const float colour1[4])
{
    if (ReportIfMissing(!bitmap || !p0 || !p1 || !colour0 || !colour1, "QV_Graphics_DrawBitmapLine",
                        "bitmap, end point or colour"))
        return;
    if (!IsDrawable(bitmap))
        return;
    const float dx = p1[1] - p0[1];
    const float dy = p0[0] - p1[0];
    const float length = std::sqrt(dx * dx + dy * dy);
    if (!(length >= kShortestLine))
        return;
    const float nx = dx / length, ny = dy / length;
    const float h0 = width0 / 2.0f, h1 = width1 / 2.0f;
    const float corners[4][2] = {{p0[0] - nx * h0, p0[1] - ny * h0},
                                 {p0[0] + nx * h0, p0[1] + ny * h0},
                                 {p1[0] - nx * h1, p1[1] - ny * h1},
                                 {p1[0] + nx * h1, p1[1] + ny * h1}};
    const bool bgra = DeviceWantsBgraColours();
    const uint32_t startColour = PackColour(colour0, bgra);
    const uint32_t endColour = PackColour(colour1, bgra);
    // The line is drawn from the current quad, so its two colours stay in it: what is drawn
    // next keeps them (SetAlpha changes only their alpha) until SetColor writes the current
    // colour back.
    for (int i = 0; i < 4; ++i) {
        g_batchQuad[i].x = corners[i][0];
        g_batchQuad[i].y = corners[i][1];
        g_batchQuad[i].color = i < 2 ? startColour : endColour;
    }
    SetWholeBitmap(g_batchQuad, bitmap);
    BatchRenderer::AddQuad(bitmap, g_batchQuad);
}

void QV_Graphics_DrawRectangle(const float* x, const float* y, const float* width, const float* height)
{
    if (ReportIfMissing(!x || !y || !width || !height, "QV_Graphics_DrawRectangle", "position or size"))
        return;
    if (!CurrentAlphaVisible())
        return;
    SetCorners(g_batchQuad, *x, *y, *width, *height);
    SetTextureRectangle(g_batchQuad, kUntexturedCoordinate, kUntexturedCoordinate, kUntexturedCoordinate,
                        kUntexturedCoordinate);
    BatchRenderer::AddQuad(nullptr, g_batchQuad);
}

void QV_Graphics_DrawBitmapCustom(Bitmap* bitmap, const BatchVertex vertices[4])
{
    if (ReportIfMissing(!vertices, "QV_Graphics_DrawBitmapCustom", "vertices"))
        return;
    if (bitmap && !IsDrawable(bitmap))
        return;
    const bool bgra = DeviceWantsBgraColours();
    memcpy(g_customQuad, vertices, sizeof(g_customQuad));
    for (BatchVertex& vertex : g_customQuad) {
        vertex.color = ToDeviceColour(vertex.color, bgra);
        if (bitmap) {
            const BitmapHardwareData& hardware = bitmap->hardware;
            vertex.u = hardware.left + vertex.u * (hardware.right - hardware.left);
            vertex.v = hardware.top + vertex.v * (hardware.bottom - hardware.top);
        }
    }
    BatchRenderer::AddQuad(bitmap, g_customQuad);
}

void QV_Graphics_DrawLine(const float* x0, const float* y0, const float* x1, const float* y1)
{
    if (ReportIfMissing(!x0 || !y0 || !x1 || !y1, "QV_Graphics_DrawLine", "end point"))
        return;
    const float z = g_batchQuad[0].z;
    const uint32_t colour = g_batchQuad[0].color;
    const BatchVertex a = {*x0, *y0, z, colour, 0.0f, 0.0f};
    const BatchVertex b = {*x1, *y1, z, colour, 0.0f, 0.0f};
    BatchRenderer::AddLine(&a, &b);
}

void QV_Graphics_DrawLineCustom(const BatchVertex vertices[2])
{
    if (ReportIfMissing(!vertices, "QV_Graphics_DrawLineCustom", "vertices"))
        return;
    // The game's vertices go to the device as they are, colours in the device's own order.
    BatchRenderer::AddLine(&vertices[0], &vertices[1]);
}

void QV_Graphics_DrawTriangles(Bitmap* texture, const BatchVertex* vertices, int vertexCount, const uint16_t* indices,
                               int indexCount)
{
    if (!AcceptTriangles(vertices, vertexCount, indices, indexCount) || !QVI_IsRendererReady())
        return;
    const int pair = g_batch.userPair & 1;
    RendererVertexBuffer* vertexBuffer = g_batch.userVertexBuffers[pair];
    RendererIndexBuffer* indexBuffer = g_batch.userIndexBuffers[pair];
    if (!vertexBuffer || !indexBuffer)
        return;
    RendererImplementation* renderer = QVI_GetRenderer();

    QVI_PrepareDirectTriangles();
    // Only no bitmap at all stands for the white texture: one not on the GPU leaves the stage
    // empty, as its (null) hardware record says.
    BatchRenderer::SetTexture(0, texture);

    uint16_t* indexTarget = renderer->LockIndexBuffer(indexBuffer);
    if (!indexTarget) {
        QVI_Report(QV_LOG_ERROR, "QV_Graphics_DrawTriangles: the renderer gave no memory for the indices.");
        return;
    }
    memcpy(indexTarget, indices, static_cast<size_t>(indexCount) * sizeof(uint16_t));
    renderer->UnlockIndexBuffer(indexBuffer);
    BatchVertex* vertexTarget = static_cast<BatchVertex*>(renderer->LockVertexBuffer(vertexBuffer));
    if (!vertexTarget) {
        QVI_Report(QV_LOG_ERROR, "QV_Graphics_DrawTriangles: the renderer gave no memory for the vertices.");
        return;
    }
    // Copied as they are: the colours are taken to be in the device's order already.
    memcpy(vertexTarget, vertices, static_cast<size_t>(vertexCount) * sizeof(BatchVertex));
    renderer->UnlockVertexBuffer(vertexBuffer);

    QVI_BindBatchShader();
    renderer->DrawIndexedTriangles(vertexBuffer, vertexCount, indexBuffer, indexCount / 3);
    // The other pair next, so that the device need not finish this draw before the next fill.
    g_batch.userPair = pair ^ 1;
    BatchRenderer::Flush();
}
