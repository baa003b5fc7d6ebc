// The tests' in-memory renderer, held to the device's rules that later suites rely on:
// clears and read-back, the eight blend modes, colour write, scissor, culling, depth,
// sampling, render targets, textures, buffers and the call record. The pixel values here
// are the same checks the Direct3D 11 renderer's tests make.

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/core_state.h"
#include "graphics/support/test_renderer.h"
#include "support/log_capture.h"

using quaven_test::LogCapture;

namespace {

const int kWidth = 64;
const int kHeight = 48;

class TestRendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        video_.width = kWidth;
        video_.height = kHeight;
        video_.windowed = 1;
        ASSERT_TRUE(renderer_.Init(nullptr, &core_, &video_));
        // Positions in pixels of the back buffer, y down.
        Matrix4& m = renderer_.vertexTransform;
        memset(&m, 0, sizeof(m));
        m.m[0] = 2.0f / kWidth;
        m.m[3] = -1.0f;
        m.m[5] = -2.0f / kHeight;
        m.m[7] = 1.0f;
        m.m[10] = 1.0f;
        m.m[15] = 1.0f;
    }

    void TearDown() override
    {
        for (RendererVertexBuffer* buffer : vertexBuffers_)
            renderer_.DestroyVertexBuffer(buffer);
        for (RendererIndexBuffer* buffer : indexBuffers_)
            renderer_.DestroyIndexBuffer(buffer);
    }

    // Draws the given format-7 vertices as a triangle list.
    void DrawTriangles(const std::vector<BatchVertex>& vertices)
    {
        RendererVertexBuffer* vb = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, int(vertices.size()), 1);
        RendererIndexBuffer* ib = renderer_.CreateIndexBuffer(int(vertices.size()), 1);
        vertexBuffers_.push_back(vb);
        indexBuffers_.push_back(ib);
        std::vector<uint16_t> indices(vertices.size());
        for (size_t i = 0; i < indices.size(); ++i)
            indices[i] = uint16_t(i);
        ASSERT_TRUE(renderer_.UploadVertices(vb, vertices.data()));
        ASSERT_TRUE(renderer_.UploadIndices(ib, indices.data()));
        renderer_.DrawIndexedTriangles(vb, int(vertices.size()), ib, int(vertices.size() / 3));
    }

    // A rectangle as two clockwise (front-facing) triangles, or counter-clockwise ones.
    void DrawRect(float x0, float y0, float x1, float y1, uint32_t argb, float z = 0.5f, float u0 = 0.0f,
                  float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f, bool clockwise = true)
    {
        BatchVertex tl = {x0, y0, z, argb, u0, v0}, tr = {x1, y0, z, argb, u1, v0};
        BatchVertex bl = {x0, y1, z, argb, u0, v1}, br = {x1, y1, z, argb, u1, v1};
        if (clockwise)
            DrawTriangles({tl, tr, bl, tr, br, bl});
        else
            DrawTriangles({tl, bl, tr, tr, bl, br});
    }

    TestImage Read(const Bitmap* target = nullptr)
    {
        TestImage image;
        EXPECT_TRUE(renderer_.ReadRenderTargetPixels(target, &image));
        return image;
    }

    Bitmap MakeBitmap(int type, int format, int width, int height, int mipLevels = 1)
    {
        Bitmap bitmap = {};
        bitmap.textureType = type;
        bitmap.format = format;
        bitmap.width = bitmap.textureWidth = width;
        bitmap.height = bitmap.textureHeight = height;
        bitmap.depth = 1;
        bitmap.mipLevels = int16_t(mipLevels);
        return bitmap;
    }

    TestRenderer renderer_;
    CoreState core_ = {};
    VideoParameters video_ = {};
    std::vector<RendererVertexBuffer*> vertexBuffers_;
    std::vector<RendererIndexBuffer*> indexBuffers_;
};

TEST_F(TestRendererTest, ClearReadBackAndPresent)
{
    renderer_.ClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    TestImage image = Read();
    EXPECT_EQ(image.width, kWidth);
    EXPECT_EQ(image.height, kHeight);
    EXPECT_TRUE(RegionNear(image, 0, 0, kWidth, kHeight, Rgba8{255, 0, 0, 255}, 0));

    EXPECT_TRUE(renderer_.Present());
    renderer_.ClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    TestImage shown;
    ASSERT_TRUE(renderer_.ReadPresentedPixels(&shown));
    EXPECT_TRUE(PixelNear(shown, 5, 5, Rgba8{255, 0, 0, 255}, 0));
    // Out-of-range clear values are stored as an 8-bit target keeps them.
    renderer_.ClearColor(2.0f, -1.0f, 0.5f, 0.25f);
    EXPECT_TRUE(PixelNear(Read(), 0, 0, Rgba8{255, 0, 128, 64}, 0));
}

TEST_F(TestRendererTest, SafeBeforeInitAfterFailedInitAndAfterShutdown)
{
    TestRenderer fresh;
    fresh.ClearColor(1, 1, 1, 1);
    fresh.ClearDepth(1);
    EXPECT_FALSE(fresh.Present());
    EXPECT_FALSE(fresh.SetScissorRectangle(0, 0, 4, 4));
    EXPECT_FALSE(fresh.ChangeVideoMode(32, 32, true));
    TestImage image;
    EXPECT_FALSE(fresh.ReadRenderTargetPixels(nullptr, &image));

    fresh.failInit = true;
    EXPECT_FALSE(fresh.Init(nullptr, nullptr, &video_));
    EXPECT_FALSE(fresh.initialized());
    fresh.failInit = false;
    EXPECT_FALSE(fresh.Init(nullptr, nullptr, nullptr));
    ASSERT_TRUE(fresh.Init(nullptr, nullptr, &video_));
    fresh.Shutdown();
    fresh.ClearColor(1, 1, 1, 1);
    EXPECT_FALSE(fresh.Present());
    // Init again after a shutdown gives a working device.
    ASSERT_TRUE(fresh.Init(nullptr, nullptr, &video_));
    fresh.ClearColor(0, 0, 1, 1);
    ASSERT_TRUE(fresh.ReadRenderTargetPixels(nullptr, &image));
    EXPECT_TRUE(PixelNear(image, 0, 0, Rgba8{0, 0, 255, 255}, 0));
}

TEST_F(TestRendererTest, ChangeVideoModeResizesTheBackBuffer)
{
    EXPECT_TRUE(renderer_.ChangeVideoMode(32, 16, false));
    EXPECT_EQ(Read().width, 32);
    EXPECT_EQ(renderer_.state().viewport.height, 16);
    EXPECT_FALSE(renderer_.ChangeVideoMode(0, 16, true));
    EXPECT_FALSE(renderer_.ChangeVideoMode(100000, 16, true));
    EXPECT_EQ(Read().width, 32);
}

// Destination (0.5, 0.25, 1.0, 0.5) and source (1.0, 0.5, 0.0, 0.5) as 8-bit values;
// expected results worked out by hand from the blend table, alpha = sa * sa + da.
TEST_F(TestRendererTest, EightBlendModesAgainstKnownColours)
{
    struct Expectation {
        int mode;
        Rgba8 result;
    };
    const Expectation expectations[] = {
        {QV_BLEND_ALPHA, {192, 96, 127, 192}},
        {QV_BLEND_ADDITIVE, {255, 128, 255, 192}},
        {QV_BLEND_OFF, {255, 128, 0, 128}},
        {QV_BLEND_SUBTRACTIVE, {0, 0, 255, 192}},
        {QV_BLEND_MULTIPLY, {128, 32, 0, 192}},
        {QV_BLEND_MULTIPLY_DOUBLE, {255, 64, 0, 192}},
        {QV_BLEND_MULTIPLY_ADD, {255, 96, 255, 192}},
        {QV_BLEND_PREMULTIPLIED_ALPHA, {255, 160, 127, 192}},
    };
    for (const Expectation& e : expectations) {
        renderer_.SetBlendMode(QV_BLEND_OFF);
        renderer_.ClearColor(0.5f, 0.25f, 1.0f, 0.5f);
        renderer_.SetBlendMode(e.mode);
        DrawRect(0, 0, kWidth, kHeight, 0x80FF8000);
        EXPECT_TRUE(PixelNear(Read(), 10, 10, e.result, 1)) << "blend mode " << e.mode;
    }
}

TEST_F(TestRendererTest, SharedEdgesAreDrawnOnce)
{
    renderer_.ClearColor(0, 0, 0, 0);
    renderer_.SetBlendMode(QV_BLEND_ADDITIVE);
    // Two triangles meet on the diagonal and at the quad's inner edges: with additive
    // blending any pixel covered twice would read 254.
    DrawRect(0, 0, 32, 32, 0xFF7F7F7F);
    DrawRect(32, 0, 64, 32, 0xFF7F7F7F);
    EXPECT_TRUE(RegionNear(Read(), 0, 0, 64, 32, Rgba8{127, 127, 127, 255}, 0));
    EXPECT_TRUE(RegionNear(Read(), 0, 32, 64, 48, Rgba8{0, 0, 0, 0}, 0));
}

TEST_F(TestRendererTest, VertexColourByteOrderFollowsTheAnswer)
{
    renderer_.SetBlendMode(QV_BLEND_OFF);
    DrawRect(0, 0, 8, 8, 0xFF0000FF);  // 0xAARRGGBB: blue
    EXPECT_TRUE(PixelNear(Read(), 2, 2, Rgba8{0, 0, 255, 255}, 0));
    renderer_.rgbaVertexColor = false;  // bytes R, G, B, A: the same bytes are red
    DrawRect(0, 0, 8, 8, 0xFF0000FF);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, Rgba8{255, 0, 0, 255}, 0));
}

TEST_F(TestRendererTest, ColourWriteOffStillWritesDepth)
{
    renderer_.ClearColor(0, 0, 0, 1);
    renderer_.ClearDepth(1.0f);
    renderer_.SetBlendMode(QV_BLEND_OFF);
    renderer_.SetDepthTest(true);
    renderer_.SetDepthWrite(true);
    renderer_.SetColorWrite(false);
    DrawRect(0, 0, 16, 16, 0xFFFFFFFF, 0.25f);
    EXPECT_TRUE(PixelNear(Read(), 4, 4, Rgba8{0, 0, 0, 255}, 0));
    EXPECT_FLOAT_EQ(renderer_.ReadDepth(nullptr, 4, 4), 0.25f);
    renderer_.SetColorWrite(true);
    DrawRect(0, 0, 16, 16, 0xFFFFFFFF, 0.25f);  // LESS: equal depth fails
    EXPECT_TRUE(PixelNear(Read(), 4, 4, Rgba8{0, 0, 0, 255}, 0));
}

TEST_F(TestRendererTest, ScissorWithNegativeOriginKeepsItsFarEdges)
{
    renderer_.ClearColor(0, 0, 0, 1);
    renderer_.SetBlendMode(QV_BLEND_OFF);
    ASSERT_TRUE(renderer_.SetScissorRectangle(-10, 5, 30, 10));
    const TestScissor& s = renderer_.state().scissor;
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.top, 5);
    EXPECT_EQ(s.right, 20);
    EXPECT_EQ(s.bottom, 15);
    DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);
    TestImage image = Read();
    EXPECT_TRUE(RegionNear(image, 0, 5, 20, 15, Rgba8{255, 255, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 20, 5, Rgba8{0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 0, 4, Rgba8{0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 0, 15, Rgba8{0, 0, 0, 255}, 0));

    renderer_.DisableScissorRectangle();
    DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);
    EXPECT_TRUE(PixelNear(Read(), 40, 40, Rgba8{255, 255, 255, 255}, 0));
    // Edges that would overflow are held at the integer range.
    EXPECT_TRUE(renderer_.SetScissorRectangle(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX));
    EXPECT_EQ(renderer_.state().scissor.right, INT_MAX);
}

TEST_F(TestRendererTest, CullModesUseClockwiseFrontFaces)
{
    struct Case {
        int cull;
        bool clockwise;
        bool drawn;
    };
    const Case cases[] = {
        {QV_CULL_NONE, true, true},  {QV_CULL_NONE, false, true},  {QV_CULL_BACK, true, true},
        {QV_CULL_BACK, false, false}, {QV_CULL_FRONT, true, false}, {QV_CULL_FRONT, false, true},
    };
    renderer_.SetBlendMode(QV_BLEND_OFF);
    for (const Case& c : cases) {
        renderer_.ClearColor(0, 0, 0, 1);
        renderer_.SetCullMode(c.cull);
        DrawRect(0, 0, 16, 16, 0xFFFFFFFF, 0.5f, 0, 0, 1, 1, c.clockwise);
        Rgba8 expected = c.drawn ? Rgba8{255, 255, 255, 255} : Rgba8{0, 0, 0, 255};
        EXPECT_TRUE(PixelNear(Read(), 8, 8, expected, 0)) << "cull " << c.cull << " clockwise " << c.clockwise;
    }
}

TEST_F(TestRendererTest, DepthFunctionsAndWrite)
{
    renderer_.SetBlendMode(QV_BLEND_OFF);
    renderer_.SetDepthTest(true);
    struct Case {
        int function;
        bool drawn;
    };
    // Incoming 0.7 against a stored 0.5.
    const Case cases[] = {{QV_DEPTH_NEVER, false},   {QV_DEPTH_LESS, false},        {QV_DEPTH_EQUAL, false},
                          {QV_DEPTH_LESS_EQUAL, false}, {QV_DEPTH_GREATER, true},    {QV_DEPTH_NOT_EQUAL, true},
                          {QV_DEPTH_GREATER_EQUAL, true}, {QV_DEPTH_ALWAYS, true},   {9, false}};
    for (const Case& c : cases) {
        renderer_.ClearColor(0, 0, 0, 1);
        renderer_.ClearDepth(0.5f);
        renderer_.SetDepthFunction(c.function);
        DrawRect(0, 0, 8, 8, 0xFFFFFFFF, 0.7f);
        Rgba8 expected = c.drawn ? Rgba8{255, 255, 255, 255} : Rgba8{0, 0, 0, 255};
        EXPECT_TRUE(PixelNear(Read(), 4, 4, expected, 0)) << "function " << c.function;
        EXPECT_FLOAT_EQ(renderer_.ReadDepth(nullptr, 4, 4), 0.5f) << "write is off";
    }
    renderer_.SetDepthWrite(true);
    renderer_.SetDepthFunction(QV_DEPTH_ALWAYS);
    DrawRect(0, 0, 8, 8, 0xFFFFFFFF, 0.7f);
    EXPECT_FLOAT_EQ(renderer_.ReadDepth(nullptr, 4, 4), 0.7f);
    // Depth outside 0 to 1 is clipped, not clamped.
    DrawRect(0, 0, 8, 8, 0xFF000000, 1.5f);
    EXPECT_TRUE(PixelNear(Read(), 4, 4, Rgba8{255, 255, 255, 255}, 0));
}

class TestRendererSampling : public TestRendererTest {
protected:
    void SetUp() override
    {
        TestRendererTest::SetUp();
        // Two texels: black, white.
        pixels_ = {0, 0, 0, 255, 255, 255, 255, 255};
        texture_ = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, 2, 1);
        texture_.pixels = pixels_.data();
        ASSERT_TRUE(renderer_.CreateTexture(&texture_));
        renderer_.SetTexture(0, texture_.hardware.rendererData);
        renderer_.SetBlendMode(QV_BLEND_OFF);
    }

    void TearDown() override
    {
        renderer_.DestroyTexture(&texture_.hardware);
        TestRendererTest::TearDown();
    }

    // Red channel of row 0, columns 0 to 7.
    std::vector<int> Row()
    {
        TestImage image = Read();
        std::vector<int> row;
        for (int x = 0; x < 8; ++x)
            row.push_back(image.At(x, 0).r);
        return row;
    }

    std::vector<uint8_t> pixels_;
    Bitmap texture_;
};

TEST_F(TestRendererSampling, PointAgainstLinear)
{
    // No sampler set yet: the device's default, linear.
    DrawRect(0, 0, 8, 1, 0xFFFFFFFF);
    EXPECT_NEAR(Row()[3], 96, 1);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    DrawRect(0, 0, 8, 1, 0xFFFFFFFF);
    EXPECT_EQ(Row(), (std::vector<int>{0, 0, 0, 0, 255, 255, 255, 255}));
    renderer_.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_POINT);
    DrawRect(0, 0, 8, 1, 0xFFFFFFFF);
    std::vector<int> row = Row();
    EXPECT_EQ(row[0], 0);
    EXPECT_NEAR(row[3], 96, 1);
    EXPECT_NEAR(row[4], 159, 1);
    EXPECT_EQ(row[7], 255);
}

TEST_F(TestRendererSampling, WrapAgainstClampAndMirror)
{
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP);
    DrawRect(0, 0, 8, 1, 0xFFFFFFFF, 0.5f, 0.0f, 0.0f, 2.0f, 1.0f);
    EXPECT_EQ(Row(), (std::vector<int>{0, 0, 255, 255, 0, 0, 255, 255}));
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP);
    DrawRect(0, 0, 8, 1, 0xFFFFFFFF, 0.5f, 0.0f, 0.0f, 2.0f, 1.0f);
    EXPECT_EQ(Row(), (std::vector<int>{0, 0, 255, 255, 255, 255, 255, 255}));
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_MIRROR, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP);
    DrawRect(0, 0, 8, 1, 0xFFFFFFFF, 0.5f, 0.0f, 0.0f, 2.0f, 1.0f);
    EXPECT_EQ(Row(), (std::vector<int>{0, 0, 255, 255, 255, 255, 0, 0}));
}

TEST_F(TestRendererSampling, HostileCoordinatesSampleSafely)
{
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_WRAP, QV_ADDRESS_MIRROR, QV_ADDRESS_WRAP);
    DrawRect(0, 0, 8, 1, 0xFFFFFFFF, 0.5f, -1e30f, NAN, 1e30f, INFINITY);
    SUCCEED();
}

TEST_F(TestRendererTest, SamplerValuesAreSharedAcrossStagesAsOnTheDevice)
{
    renderer_.SetSamplerAddressMode(1, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    const TestSampler& stage0 = renderer_.state().samplers[0];
    EXPECT_EQ(stage0.u, QV_ADDRESS_WRAP);
    EXPECT_EQ(stage0.w, QV_ADDRESS_WRAP);
    EXPECT_EQ(stage0.minFilter, QV_FILTER_POINT);
}

TEST_F(TestRendererTest, ValuesOutsideTheirTablesAreIgnoredAndReportedOnce)
{
    LogCapture capture;
    QVI_ResetIgnoredRendererValueReports();
    renderer_.SetBlendMode(QV_BLEND_ADDITIVE);
    renderer_.SetCullMode(QV_CULL_BACK);
    renderer_.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_LINEAR);
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_MIRROR, QV_ADDRESS_MIRROR, QV_ADDRESS_MIRROR);
    for (int bad : {0, 9, -1, 1000000})
        renderer_.SetBlendMode(bad);
    for (int bad : {3, -1, INT_MIN})
        renderer_.SetCullMode(bad);
    for (int bad : {0, 4, -1}) {
        renderer_.SetSamplerFilter(0, QV_FILTER_POINT, bad, QV_FILTER_POINT);
        renderer_.SetSamplerAddressMode(0, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP, bad);
    }
    // A stage beyond the four changes no stage.
    renderer_.SetSamplerFilter(4, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    renderer_.SetSamplerFilter(-1, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    EXPECT_EQ(renderer_.state().blendMode, QV_BLEND_ADDITIVE);
    EXPECT_EQ(renderer_.state().cullMode, QV_CULL_BACK);
    EXPECT_EQ(renderer_.state().samplers[0].minFilter, QV_FILTER_LINEAR);
    EXPECT_EQ(renderer_.state().samplers[0].u, QV_ADDRESS_MIRROR);
    EXPECT_EQ(LogCapture::CountContaining("ignored", QV_LOG_WARNING), 4);
    QVI_ResetIgnoredRendererValueReports();
}

TEST_F(TestRendererTest, RenderTargetsRoundUpAndReadBack)
{
    renderer_.nonPowerOfTwoTextures = false;
    Bitmap target = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, 300, 200);
    ASSERT_TRUE(renderer_.CreateRenderTarget(&target));
    EXPECT_EQ(target.hardware.textureFullWidth, 512);
    EXPECT_EQ(target.hardware.textureFullHeight, 256);
    EXPECT_FLOAT_EQ(target.hardware.right, 300.0f / 512.0f);
    EXPECT_FLOAT_EQ(target.hardware.bottom, 200.0f / 256.0f);
    EXPECT_TRUE(target.flags & 4);
    EXPECT_EQ(target.hardware.loaded, 1);

    renderer_.ClearColor(1, 0, 0, 1);
    RenderTargetSet set = {};
    set.colour[0] = &target;
    ASSERT_TRUE(renderer_.SetRenderTargets(&set));
    renderer_.ClearColor(0, 0, 1, 1);
    EXPECT_TRUE(PixelNear(Read(&target), 299, 199, Rgba8{0, 0, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(Read(), 0, 0, Rgba8{255, 0, 0, 255}, 0));

    // Only a depth entry: the back buffer is bound again.
    Bitmap depth = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_D32F, 300, 200);
    ASSERT_TRUE(renderer_.CreateRenderTarget(&depth));
    RenderTargetSet depthOnly = {};
    depthOnly.depth = &depth;
    ASSERT_TRUE(renderer_.SetRenderTargets(&depthOnly));
    renderer_.ClearColor(0, 1, 0, 1);
    EXPECT_TRUE(PixelNear(Read(), 0, 0, Rgba8{0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(Read(&target), 0, 0, Rgba8{0, 0, 255, 255}, 0));
    TestImage none;
    EXPECT_FALSE(renderer_.ReadRenderTargetPixels(&depth, &none));
    renderer_.DestroyTexture(&target.hardware);
    renderer_.DestroyTexture(&depth.hardware);
    EXPECT_EQ(renderer_.LiveTextureCount(), 0);
}

TEST_F(TestRendererTest, ColourWithoutAlphaReadsOpaque)
{
    Bitmap target = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGB8, 4, 4);
    ASSERT_TRUE(renderer_.CreateRenderTarget(&target));
    RenderTargetSet set = {};
    set.colour[0] = &target;
    renderer_.SetRenderTargets(&set);
    renderer_.ClearColor(0.2f, 0.4f, 0.6f, 0.2f);
    EXPECT_TRUE(PixelNear(Read(&target), 1, 1, Rgba8{51, 102, 153, 255}, 0));

    target.pixels = nullptr;
    ASSERT_TRUE(renderer_.CopyRenderTargetToPixels(&target));
    ASSERT_NE(target.pixels, nullptr);
    EXPECT_EQ(target.pixels[0], 51);
    EXPECT_EQ(target.pixels[3], 255);
    free(target.pixels);
    renderer_.DestroyTexture(&target.hardware);
}

TEST_F(TestRendererTest, TexturesFromPixels)
{
    renderer_.nonPowerOfTwoTextures = false;
    std::vector<uint8_t> pixels(3 * 5 * 4, 200);
    Bitmap bitmap = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGB8, 3, 5);
    bitmap.flags = 4;  // left over from an earlier render target
    bitmap.pixels = pixels.data();
    ASSERT_TRUE(renderer_.CreateTexture(&bitmap));
    EXPECT_EQ(bitmap.hardware.textureFullWidth, 4);
    EXPECT_EQ(bitmap.hardware.textureFullHeight, 8);
    EXPECT_FLOAT_EQ(bitmap.hardware.right, 0.75f);
    EXPECT_FLOAT_EQ(bitmap.hardware.bottom, 0.625f);
    EXPECT_EQ(bitmap.flags & 4, 0);
    TestImage image = Read(&bitmap);
    // The pixels' own alpha is kept whatever the format code; the padding is transparent.
    EXPECT_TRUE(PixelNear(image, 2, 4, Rgba8{200, 200, 200, 200}, 0));
    EXPECT_TRUE(PixelNear(image, 3, 7, Rgba8{0, 0, 0, 0}, 0));

    renderer_.DestroyTexture(&bitmap.hardware);
    EXPECT_EQ(bitmap.hardware.loaded, 0);
    EXPECT_EQ(bitmap.hardware.rendererData, nullptr);
    EXPECT_EQ(renderer_.LiveTextureCount(), 0);

    Bitmap volume = MakeBitmap(QV_TEXTURE_TYPE_3D, QV_TEXTURE_FORMAT_RGBA8, 3, 5);
    volume.pixels = pixels.data();
    EXPECT_FALSE(renderer_.CreateTexture(&volume));
    Bitmap empty = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, 3, 5);
    EXPECT_FALSE(renderer_.CreateTexture(&empty));
    EXPECT_FALSE(renderer_.CreateTexture(nullptr));
}

TEST_F(TestRendererTest, CubeTexturesTakeSixStackedFaces)
{
    std::vector<uint8_t> pixels(4 * 24 * 4);
    for (int face = 0; face < 6; ++face)
        memset(&pixels[face * 4 * 4 * 4], 40 * face, 4 * 4 * 4);
    Bitmap cube = MakeBitmap(QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_RGBA8, 4, 24);
    cube.pixels = pixels.data();
    ASSERT_TRUE(renderer_.CreateTexture(&cube));
    TestImage face;
    ASSERT_TRUE(renderer_.ReadRenderTargetPixels(&cube, &face, 5));
    EXPECT_EQ(face.width, 4);
    EXPECT_EQ(face.height, 4);
    EXPECT_TRUE(PixelNear(face, 3, 3, Rgba8{200, 200, 200, 200}, 0));
    EXPECT_FALSE(renderer_.ReadRenderTargetPixels(&cube, &face, 6));
    renderer_.DestroyTexture(&cube.hardware);

    Bitmap uneven = MakeBitmap(QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_RGBA8, 4, 30);
    uneven.pixels = pixels.data();
    EXPECT_FALSE(renderer_.CreateTexture(&uneven));
}

TEST_F(TestRendererTest, ForeignAndStaleTextureRecordsBindNothing)
{
    int notATexture = 0;
    renderer_.SetTexture(0, reinterpret_cast<TextureHardwareData*>(&notATexture));
    EXPECT_EQ(renderer_.state().textures[0], nullptr);
    EXPECT_EQ(renderer_.unknownTextureUses(), 1);

    std::vector<uint8_t> pixels(4, 255);
    Bitmap bitmap = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, 1, 1);
    bitmap.pixels = pixels.data();
    ASSERT_TRUE(renderer_.CreateTexture(&bitmap));
    TextureHardwareData* record = bitmap.hardware.rendererData;
    renderer_.SetTexture(3, record);
    renderer_.SetTexture(4, record);  // no such stage
    EXPECT_EQ(renderer_.state().textures[3], record);
    renderer_.DestroyTexture(&bitmap.hardware);
    EXPECT_EQ(renderer_.state().textures[3], nullptr);
    renderer_.SetTexture(0, record);
    EXPECT_EQ(renderer_.state().textures[0], nullptr);
    EXPECT_EQ(renderer_.unknownTextureUses(), 2);
}

TEST_F(TestRendererTest, LockedOrForeignBuffersAreNotDrawn)
{
    renderer_.ClearColor(0, 0, 0, 1);
    RendererVertexBuffer* vb = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, 3, 1);
    RendererIndexBuffer* ib = renderer_.CreateIndexBuffer(3, 1);
    vertexBuffers_.push_back(vb);
    indexBuffers_.push_back(ib);
    const BatchVertex vertices[3] = {{0, 0, 0.5f, 0xFFFFFFFF, 0, 0}, {64, 0, 0.5f, 0xFFFFFFFF, 0, 0},
                                     {0, 48, 0.5f, 0xFFFFFFFF, 0, 0}};
    const uint16_t indices[3] = {0, 1, 2};
    renderer_.UploadVertices(vb, vertices);
    renderer_.UploadIndices(ib, indices);
    ASSERT_NE(renderer_.LockVertexBuffer(vb), nullptr);
    renderer_.DrawIndexedTriangles(vb, 3, ib, 1);
    renderer_.UnlockVertexBuffer(vb);
    RendererIndexBuffer foreign = {3, 0, 0};
    renderer_.DrawIndexedTriangles(vb, 3, &foreign, 1);
    EXPECT_EQ(renderer_.refusedDraws(), 2);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, Rgba8{0, 0, 0, 255}, 0));

    // More triangles than indices, and indices past the vertices, draw only what exists.
    renderer_.DrawIndexedTriangles(vb, 3, ib, 1000);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, Rgba8{255, 255, 255, 255}, 0));
    const uint16_t outside[3] = {0, 1, 60000};
    renderer_.UploadIndices(ib, outside);
    renderer_.ClearColor(0, 0, 0, 1);
    renderer_.DrawIndexedTriangles(vb, 3, ib, 1);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, Rgba8{0, 0, 0, 255}, 0));
}

TEST_F(TestRendererTest, LinesCoverTheirPixelsUpToTheEnd)
{
    renderer_.ClearColor(0, 0, 0, 1);
    renderer_.SetBlendMode(QV_BLEND_OFF);
    RendererVertexBuffer* vb = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, 2, 1);
    RendererIndexBuffer* ib = renderer_.CreateIndexBuffer(2, 1);
    vertexBuffers_.push_back(vb);
    indexBuffers_.push_back(ib);
    const BatchVertex ends[2] = {{2.0f, 3.5f, 0.5f, 0xFFFFFFFF, 0, 0}, {10.0f, 3.5f, 0.5f, 0xFFFFFFFF, 0, 0}};
    const uint16_t indices[2] = {0, 1};
    renderer_.UploadVertices(vb, ends);
    renderer_.UploadIndices(ib, indices);
    renderer_.DrawIndexedLines(vb, ib, 1);
    TestImage image = Read();
    EXPECT_TRUE(RegionNear(image, 2, 3, 10, 4, Rgba8{255, 255, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 1, 3, Rgba8{0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 10, 3, Rgba8{0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 5, 2, Rgba8{0, 0, 0, 255}, 0));
}

TEST_F(TestRendererTest, CallsAreRecordedWithSlotsAndArguments)
{
    renderer_.ClearCalls();
    renderer_.BeginFrame(QV_EYE_MONO);
    renderer_.SetBlendMode(QV_BLEND_MULTIPLY);
    renderer_.SetViewport(1, 2, 3, 4, 0.0f, 1.0f);
    renderer_.Present();
    EXPECT_EQ(renderer_.CallNames(),
              (std::vector<std::string>{"BeginFrame", "SetBlendMode", "SetViewport", "Present"}));
    RendererCall call;
    ASSERT_TRUE(renderer_.LastCall("SetViewport", &call));
    EXPECT_EQ(call.slot, 16);
    EXPECT_EQ(call.ToString(), "SetViewport(1, 2, 3, 4, 0, 1)");
    EXPECT_EQ(call.threadId, GetCurrentThreadId());
    EXPECT_EQ(renderer_.CallCount("Present"), 1);
    EXPECT_FALSE(renderer_.LastCall("Shutdown", nullptr));
    EXPECT_EQ(renderer_.frameCount(), 1);
}

TEST_F(TestRendererTest, DisplayModesAreKeptUnique)
{
    renderer_.deviceModes = {{1280, 1024}, {800, 600}, {1280, 1024}};
    EXPECT_STREQ(renderer_.GetSupportedResolutions(), "800x600,1280x1024");
    renderer_.EnumerateDisplayModes();
    renderer_.EnumerateDisplayModes();
    EXPECT_EQ(renderer_.displayModes.count, 2);
    EXPECT_TRUE(renderer_.IsDisplayModeSupported(800, 600));
}

}  // namespace
