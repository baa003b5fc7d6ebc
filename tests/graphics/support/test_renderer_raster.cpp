// The tests' renderer's software pipeline: vertex fetch, transform, viewport, triangle
// and line rasterisation, depth, pixel program, blending.

#include "graphics/support/test_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/renderer/renderer_buffers.h"
#include "graphics/support/test_texture_formats.h"

namespace {

// Attribute slots of a fetched vertex.
const int kColor = 0;    // 4 floats
const int kUv0 = 4;      // 2 floats
const int kUv1 = 6;      // 2 floats
const int kAttributes = 8;

// Devices snap vertex positions to 1/256 pixel before rasterising.
const double kSubpixelSteps = 256.0;
// Texture coordinates beyond this many texels are not sampled more finely.
const double kLargestTexelCoordinate = 1e7;

double Snap(double v)
{
    return std::floor(v * kSubpixelSteps + 0.5) / kSubpixelSteps;
}

int AddressTexel(int64_t i, int size, int mode)
{
    switch (mode) {
    case QV_ADDRESS_WRAP:
        return static_cast<int>(((i % size) + size) % size);
    case QV_ADDRESS_MIRROR: {
        int64_t period = 2 * static_cast<int64_t>(size);
        int64_t m = ((i % period) + period) % period;
        return static_cast<int>(m < size ? m : period - 1 - m);
    }
    default:
        return static_cast<int>(i < 0 ? 0 : (i >= size ? size - 1 : i));
    }
}

double SafeTexelCoordinate(double t)
{
    if (std::isnan(t))
        return 0.0;
    return std::max(-kLargestTexelCoordinate, std::min(kLargestTexelCoordinate, t));
}

bool DepthPasses(int function, float incoming, float stored)
{
    switch (function) {
    case QV_DEPTH_NEVER: return false;
    case QV_DEPTH_EQUAL: return incoming == stored;
    case QV_DEPTH_LESS_EQUAL: return incoming <= stored;
    case QV_DEPTH_GREATER: return incoming > stored;
    case QV_DEPTH_NOT_EQUAL: return incoming != stored;
    case QV_DEPTH_GREATER_EQUAL: return incoming >= stored;
    case QV_DEPTH_ALWAYS: return true;
    default: return incoming < stored;  // LESS, also for codes outside the table
    }
}

float Clamp01(float v)
{
    if (!(v > 0.0f))
        return 0.0f;
    return v < 1.0f ? v : 1.0f;
}

// The blend table: colour by mode, alpha as source alpha x source alpha + destination
// alpha in every blending mode.
void Blend(int mode, const float src[4], const float dst[4], float out[4])
{
    float sa = src[3];
    for (int c = 0; c < 3; ++c) {
        float s = src[c];
        float d = dst[c];
        switch (mode) {
        case QV_BLEND_ALPHA: out[c] = s * sa + d * (1.0f - sa); break;
        case QV_BLEND_ADDITIVE: out[c] = s * sa + d; break;
        case QV_BLEND_SUBTRACTIVE: out[c] = d - s * sa; break;
        case QV_BLEND_MULTIPLY: out[c] = s * d; break;
        case QV_BLEND_MULTIPLY_DOUBLE: out[c] = s * d + d * s; break;
        case QV_BLEND_MULTIPLY_ADD: out[c] = s * d + d; break;
        case QV_BLEND_PREMULTIPLIED_ALPHA: out[c] = s + d * (1.0f - sa); break;
        default: out[c] = s; break;  // off, or nothing bound yet
        }
    }
    bool blending = mode >= QV_BLEND_ALPHA && mode <= QV_BLEND_PREMULTIPLIED_ALPHA && mode != QV_BLEND_OFF;
    out[3] = blending ? sa * sa + dst[3] : sa;
}

} // namespace

struct TestRenderer::Vertex {
    double x, y;   // screen position in pixels
    double zNdc;   // depth before the viewport mapping
    double invW;
    float attributes[kAttributes];
};

bool TestRenderer::FetchVertex(const RendererVertexBuffer* buffer, int index, Vertex* out) const
{
    if (index < 0 || index >= buffer->count)
        return false;
    const uint8_t* storage = reinterpret_cast<const HeapVertexBuffer*>(buffer)->storage;
    if (!storage)
        return false;
    int stride = QVI_GetVertexSize(buffer->format);
    const uint8_t* vertex = storage + static_cast<size_t>(index) * stride;

    // Elements lie in bit order, packed; an element that would reach past the vertex is
    // taken as absent.
    int offsets[9];
    int offset = 0;
    for (int bit = 0; bit < 9; ++bit) {
        int element = 1 << bit;
        offsets[bit] = -1;
        if (!(buffer->format & element))
            continue;
        int size = QVI_GetVertexElementSize(element);
        if (offset + size <= stride)
            offsets[bit] = offset;
        offset += size;
    }

    float position[3] = {0.0f, 0.0f, 0.0f};
    if (offsets[0] >= 0)
        memcpy(position, vertex + offsets[0], sizeof(position));
    float* attributes = out->attributes;
    for (int i = 0; i < kAttributes; ++i)
        attributes[i] = 0.0f;
    for (int c = 0; c < 4; ++c)
        attributes[kColor + c] = 1.0f;
    if (offsets[1] >= 0) {
        const uint8_t* color = vertex + offsets[1];
        // UsesRGBAVertexColor true: the 32-bit value 0xAARRGGBB, blue in byte 0.
        int red = rgbaVertexColor ? 2 : 0;
        int blue = rgbaVertexColor ? 0 : 2;
        attributes[kColor + 0] = color[red] / 255.0f;
        attributes[kColor + 1] = color[1] / 255.0f;
        attributes[kColor + 2] = color[blue] / 255.0f;
        attributes[kColor + 3] = color[3] / 255.0f;
    }
    if (offsets[2] >= 0)
        memcpy(attributes + kUv0, vertex + offsets[2], 2 * sizeof(float));
    if (offsets[4] >= 0)
        memcpy(attributes + kUv1, vertex + offsets[4], 2 * sizeof(float));

    Matrix4 transform = vertexTransform;
    if (state_.shader && transformForShader)
        transform = transformForShader(state_.shader);
    double clip[4];
    const double in[4] = {position[0], position[1], position[2], 1.0};
    for (int r = 0; r < 4; ++r) {
        clip[r] = 0.0;
        for (int c = 0; c < 4; ++c)
            clip[r] += static_cast<double>(transform.m[r * 4 + c]) * in[c];
    }
    // Geometry behind the eye is not clipped here; such primitives are skipped.
    if (!(clip[3] > 1e-6))
        return false;
    const TestViewport& viewport = state_.viewport;
    double ndcX = clip[0] / clip[3];
    double ndcY = clip[1] / clip[3];
    out->x = Snap(viewport.x + (ndcX + 1.0) * 0.5 * viewport.width);
    out->y = Snap(viewport.y + (1.0 - ndcY) * 0.5 * viewport.height);
    out->zNdc = clip[2] / clip[3];
    out->invW = 1.0 / clip[3];
    return std::isfinite(out->x) && std::isfinite(out->y) && std::isfinite(out->zNdc);
}

bool TestRenderer::PixelAllowed(int x, int y) const
{
    const TestViewport& viewport = state_.viewport;
    if (x < viewport.x || y < viewport.y || x >= static_cast<int64_t>(viewport.x) + viewport.width ||
        y >= static_cast<int64_t>(viewport.y) + viewport.height)
        return false;
    if (state_.scissorOn) {
        const TestScissor& s = state_.scissor;
        if (x < s.left || y < s.top || x >= s.right || y >= s.bottom)
            return false;
    }
    return x >= 0 && y >= 0;
}

void TestRenderer::DrawTriangles(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int64_t indexCount)
{
    const uint16_t* storage = reinterpret_cast<const HeapIndexBuffer*>(indices)->storage;
    if (!storage)
        return;
    int64_t available = std::min<int64_t>(indexCount, indices->count);
    available -= available % 3;
    for (int64_t i = 0; i < available; i += 3) {
        Vertex corner[3];
        bool fetched = true;
        for (int k = 0; k < 3 && fetched; ++k)
            fetched = FetchVertex(vertices, storage[i + k], &corner[k]);
        if (fetched)
            RasterizeTriangle(corner[0], corner[1], corner[2]);
    }
}

void TestRenderer::DrawLines(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int64_t indexCount)
{
    const uint16_t* storage = reinterpret_cast<const HeapIndexBuffer*>(indices)->storage;
    if (!storage)
        return;
    int64_t available = std::min<int64_t>(indexCount, indices->count);
    available -= available % 2;
    for (int64_t i = 0; i < available; i += 2) {
        Vertex a, b;
        if (FetchVertex(vertices, storage[i], &a) && FetchVertex(vertices, storage[i + 1], &b))
            RasterizeLine(a, b);
    }
}

namespace {

// Which side of the directed edge a -> b the point lies on; positive inside a clockwise
// (on screen, y down) triangle.
double Edge(double ax, double ay, double bx, double by, double px, double py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// Top-left fill rule for a clockwise triangle: pixel centres exactly on a top or left
// edge belong to the triangle, those on other edges do not.
bool TopLeft(double ax, double ay, double bx, double by)
{
    double dx = bx - ax;
    double dy = by - ay;
    return (dy == 0.0 && dx > 0.0) || dy < 0.0;
}

} // namespace

void TestRenderer::RasterizeTriangle(const Vertex& a, const Vertex& bIn, const Vertex& cIn)
{
    double area = Edge(a.x, a.y, bIn.x, bIn.y, cIn.x, cIn.y);
    if (area == 0.0 || !std::isfinite(area))
        return;
    bool frontFace = area > 0.0;  // clockwise on screen
    if ((state_.cullMode == QV_CULL_FRONT && frontFace) || (state_.cullMode == QV_CULL_BACK && !frontFace))
        return;
    const Vertex& b = frontFace ? bIn : cIn;
    const Vertex& c = frontFace ? cIn : bIn;
    area = std::fabs(area);

    // Bounds: the triangle, within the largest bound target.
    int limitX = 0, limitY = 0;
    for (const ColorView& view : boundColor_) {
        if (view.texture) {
            limitX = std::max(limitX, view.texture->width);
            limitY = std::max(limitY, view.texture->height);
        }
    }
    if (boundDepth_) {
        limitX = std::max(limitX, boundDepth_->width);
        limitY = std::max(limitY, boundDepth_->height);
    }
    double minX = std::max(0.0, std::floor(std::min({a.x, b.x, c.x})));
    double minY = std::max(0.0, std::floor(std::min({a.y, b.y, c.y})));
    double maxX = std::min<double>(limitX, std::ceil(std::max({a.x, b.x, c.x})));
    double maxY = std::min<double>(limitY, std::ceil(std::max({a.y, b.y, c.y})));

    bool topLeft0 = TopLeft(b.x, b.y, c.x, c.y);
    bool topLeft1 = TopLeft(c.x, c.y, a.x, a.y);
    bool topLeft2 = TopLeft(a.x, a.y, b.x, b.y);

    // Perspective-correct attributes at any point of the triangle's plane.
    auto interpolate = [&](double px, double py, float out[kAttributes]) {
        double l0 = Edge(b.x, b.y, c.x, c.y, px, py) / area;
        double l1 = Edge(c.x, c.y, a.x, a.y, px, py) / area;
        double l2 = Edge(a.x, a.y, b.x, b.y, px, py) / area;
        double invW = l0 * a.invW + l1 * b.invW + l2 * c.invW;
        for (int i = 0; i < kAttributes; ++i) {
            double sum = l0 * a.attributes[i] * a.invW + l1 * b.attributes[i] * b.invW +
                         l2 * c.attributes[i] * c.invW;
            out[i] = static_cast<float>(invW != 0.0 ? sum / invW : 0.0);
        }
    };

    for (int py = static_cast<int>(minY); py < static_cast<int>(maxY); ++py) {
        for (int px = static_cast<int>(minX); px < static_cast<int>(maxX); ++px) {
            double cx = px + 0.5;
            double cy = py + 0.5;
            double e0 = Edge(b.x, b.y, c.x, c.y, cx, cy);
            double e1 = Edge(c.x, c.y, a.x, a.y, cx, cy);
            double e2 = Edge(a.x, a.y, b.x, b.y, cx, cy);
            bool inside = (e0 > 0.0 || (e0 == 0.0 && topLeft0)) && (e1 > 0.0 || (e1 == 0.0 && topLeft1)) &&
                          (e2 > 0.0 || (e2 == 0.0 && topLeft2));
            if (!inside || !PixelAllowed(px, py))
                continue;
            double zNdc = (e0 * a.zNdc + e1 * b.zNdc + e2 * c.zNdc) / area;
            float here[kAttributes], right[kAttributes], below[kAttributes];
            interpolate(cx, cy, here);
            interpolate(cx + 1.0, cy, right);
            interpolate(cx, cy + 1.0, below);
            TestPixelInput input;
            memcpy(input.color, here + kColor, sizeof(input.color));
            memcpy(input.uv0, here + kUv0, sizeof(input.uv0));
            memcpy(input.uv1, here + kUv1, sizeof(input.uv1));
            for (int k = 0; k < 2; ++k) {
                input.uv0PerPixelX[k] = right[kUv0 + k] - here[kUv0 + k];
                input.uv0PerPixelY[k] = below[kUv0 + k] - here[kUv0 + k];
            }
            input.x = px;
            input.y = py;
            ShadePixel(input, static_cast<float>(zNdc));
        }
    }
}

void TestRenderer::RasterizeLine(const Vertex& a, const Vertex& b)
{
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    if (dx == 0.0 && dy == 0.0)
        return;
    bool xMajor = std::fabs(dx) >= std::fabs(dy);
    double start = xMajor ? a.x : a.y;
    double end = xMajor ? b.x : b.y;
    double delta = end - start;
    // Pixel centres from the start up to, not including, the end along the major axis.
    int64_t first, last;
    if (delta > 0.0) {
        first = static_cast<int64_t>(std::ceil(start - 0.5));
        last = static_cast<int64_t>(std::ceil(end - 0.5)) - 1;
    } else {
        first = static_cast<int64_t>(std::floor(end - 0.5)) + 1;
        last = static_cast<int64_t>(std::floor(start - 0.5));
    }
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, 16384);
    for (int64_t major = first; major <= last; ++major) {
        double centre = major + 0.5;
        double t = (centre - start) / delta;
        double minor = (xMajor ? a.y + t * dy : a.x + t * dx);
        int px = static_cast<int>(xMajor ? major : static_cast<int64_t>(std::floor(minor)));
        int py = static_cast<int>(xMajor ? static_cast<int64_t>(std::floor(minor)) : major);
        if (!PixelAllowed(px, py))
            continue;
        double invW = a.invW + t * (b.invW - a.invW);
        TestPixelInput input;
        float attributes[kAttributes];
        for (int i = 0; i < kAttributes; ++i) {
            double sum = a.attributes[i] * a.invW + t * (b.attributes[i] * b.invW - a.attributes[i] * a.invW);
            attributes[i] = static_cast<float>(invW != 0.0 ? sum / invW : 0.0);
        }
        memcpy(input.color, attributes + kColor, sizeof(input.color));
        memcpy(input.uv0, attributes + kUv0, sizeof(input.uv0));
        memcpy(input.uv1, attributes + kUv1, sizeof(input.uv1));
        for (int k = 0; k < 2; ++k) {
            input.uv0PerPixelX[k] = 0.0f;
            input.uv0PerPixelY[k] = 0.0f;
        }
        input.x = px;
        input.y = py;
        ShadePixel(input, static_cast<float>(a.zNdc + t * (b.zNdc - a.zNdc)));
    }
}

void TestRenderer::ShadePixel(const TestPixelInput& pixel, float zNdc)
{
    // Depth clipping: nothing in front of the near or behind the far plane is drawn.
    if (!(zNdc >= 0.0f && zNdc <= 1.0f))
        return;
    const TestViewport& viewport = state_.viewport;
    TestPixelInput input = pixel;
    input.depth = viewport.minDepth + zNdc * (viewport.maxDepth - viewport.minDepth);

    // The depth test and write happen whether or not colour is written.
    if (state_.depthTest && boundDepth_ && input.x < boundDepth_->width && input.y < boundDepth_->height) {
        float& stored = boundDepth_->depthValues[static_cast<size_t>(input.y) * boundDepth_->width + input.x];
        float incoming = StoreDepthValue(boundDepth_->format, input.depth);
        if (!DepthPasses(state_.depthFunction, incoming, stored))
            return;
        if (state_.depthWrite)
            stored = incoming;
    }
    if (!state_.colorWrite)
        return;

    float source[4];
    if (pixelProgram) {
        pixelProgram(input, source);
    } else {
        float texel[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        if (state_.textures[0])
            Sample(0, input.uv0[0], input.uv0[1], input.uv0PerPixelX, input.uv0PerPixelY, texel);
        for (int c = 0; c < 4; ++c)
            source[c] = input.color[c] * texel[c];
    }

    for (ColorView& view : boundColor_) {
        TestTexture* target = view.texture;
        if (!target || input.x >= target->width || input.y >= target->height)
            continue;
        float src[4];
        for (int c = 0; c < 4; ++c)
            src[c] = IsEightBitColorFormat(target->format) ? Clamp01(source[c]) : source[c];
        const float* dst = target->ColorAt(view.face, input.x, input.y);
        float out[4];
        Blend(state_.blendMode, src, dst, out);
        StoreTexel(target, view.face, input.x, input.y, out);
    }
}

void TestRenderer::Sample(int stage, float u, float v, const float perPixelX[2], const float perPixelY[2],
                          float out[4]) const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    for (int c = 0; c < 4; ++c)
        out[c] = 0.0f;
    if (stage < 0 || stage >= kRendererTextureStages)
        return;
    const TestTexture* texture = Known(state_.textures[stage]);
    if (!texture || texture->depth || texture->width <= 0 || texture->height <= 0)
        return;
    const TestSampler& sampler = state_.samplers[stage];
    int width = texture->width;
    int height = texture->height;

    // Minified when one pixel step covers more than one texel.
    double stepX = std::hypot(perPixelX[0] * width, perPixelX[1] * height);
    double stepY = std::hypot(perPixelY[0] * width, perPixelY[1] * height);
    int filter = std::max(stepX, stepY) > 1.0 ? sampler.minFilter : sampler.magFilter;

    auto texel = [&](int64_t i, int64_t j, int c) {
        int x = AddressTexel(i, width, sampler.u);
        int y = AddressTexel(j, height, sampler.v);
        return texture->ColorAt(0, x, y)[c];
    };
    double tx = SafeTexelCoordinate(static_cast<double>(u) * width);
    double ty = SafeTexelCoordinate(static_cast<double>(v) * height);
    if (filter == QV_FILTER_POINT) {
        int64_t i = static_cast<int64_t>(std::floor(tx));
        int64_t j = static_cast<int64_t>(std::floor(ty));
        for (int c = 0; c < 4; ++c)
            out[c] = texel(i, j, c);
        return;
    }
    // Linear (anisotropic filtering is taken as linear).
    tx -= 0.5;
    ty -= 0.5;
    int64_t i0 = static_cast<int64_t>(std::floor(tx));
    int64_t j0 = static_cast<int64_t>(std::floor(ty));
    float fx = static_cast<float>(tx - i0);
    float fy = static_cast<float>(ty - j0);
    for (int c = 0; c < 4; ++c) {
        float top = texel(i0, j0, c) * (1.0f - fx) + texel(i0 + 1, j0, c) * fx;
        float bottom = texel(i0, j0 + 1, c) * (1.0f - fx) + texel(i0 + 1, j0 + 1, c) * fx;
        out[c] = top * (1.0f - fy) + bottom * fy;
    }
}
