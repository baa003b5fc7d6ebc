// The tests' in-memory renderer, held to the device's rules that later suites rely on: the
// render rules the Direct3D 11 renderer answers to as well, read-back, fill rule, render
// targets and textures, refused draws and the call record.
#include "platform/windows/win32.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <utility>
#include <vector>

#include "core/core_state.h"
#include "graphics/support/test_renderer.h"
#include "support/render_rules.h"

namespace {

const int kWidth = 64, kHeight = 48;
const Rgba8 kBlack = {0, 0, 0, 255}, kWhite = {255, 255, 255, 255};

class TestRendererTest : public ::testing::Test, public quaven_test::RenderCanvas {
protected:
    void SetUp() override {
        video_.width = kWidth;
        video_.height = kHeight;
        video_.windowed = 1;
        ASSERT_TRUE(renderer_.Init(nullptr, &core_, &video_));
        // Positions in pixels of the back buffer, y down.
        renderer_.vertexTransform =
            Matrix4{{2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1}};
        renderer_.SetBlendMode(QV_BLEND_OFF);
    }

    void TearDown() override {
        for (RendererVertexBuffer* buffer : vertexBuffers_) renderer_.DestroyVertexBuffer(buffer);
        for (RendererIndexBuffer* buffer : indexBuffers_) renderer_.DestroyIndexBuffer(buffer);
        for (Bitmap& texture : textures_) renderer_.DestroyTexture(&texture.hardware);
    }

    // The canvas of the shared render rules.
    RendererImplementation& Renderer() override { return renderer_; }
    void Quad(const float colour[4], float depth, bool counterClockwise) override {
        const Rgba8 c = ToRgba8(colour[0], colour[1], colour[2], colour[3]);
        const uint32_t argb = uint32_t(c.a) << 24 | c.r << 16 | c.g << 8 | c.b;
        renderer_.SetTexture(0, nullptr);
        DrawRect(0, 0, kWidth, kHeight, argb, depth, 0, 1, !counterClockwise);
    }
    void TexturedQuad(int width, int height, const uint8_t* rgba, float u0, float u1) override {
        textures_.push_back(MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, width, height));
        textures_.back().pixels = const_cast<uint8_t*>(rgba);
        ASSERT_TRUE(renderer_.CreateTexture(&textures_.back()));
        renderer_.SetTexture(0, textures_.back().hardware.rendererData);
        DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF, 0.5f, u0, u1);
    }
    TestImage ReadBack() override { return Read(); }

    // Uploads format-7 vertices and the indices 0..n-1.
    std::pair<RendererVertexBuffer*, RendererIndexBuffer*> Upload(const std::vector<BatchVertex>& vertices) {
        vertexBuffers_.push_back(renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, int(vertices.size()), 1));
        indexBuffers_.push_back(renderer_.CreateIndexBuffer(int(vertices.size()), 1));
        std::vector<uint16_t> indices(vertices.size());
        for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint16_t(i);
        EXPECT_TRUE(renderer_.UploadVertices(vertexBuffers_.back(), vertices.data()));
        EXPECT_TRUE(renderer_.UploadIndices(indexBuffers_.back(), indices.data()));
        return {vertexBuffers_.back(), indexBuffers_.back()};
    }

    // A rectangle as two clockwise (front-facing) triangles, or counter-clockwise ones.
    void DrawRect(float x0, float y0, float x1, float y1, uint32_t argb, float z = 0.5f, float u0 = 0.0f,
                  float u1 = 1.0f, bool clockwise = true) {
        BatchVertex tl = {x0, y0, z, argb, u0, 0}, tr = {x1, y0, z, argb, u1, 0};
        BatchVertex bl = {x0, y1, z, argb, u0, 1}, br = {x1, y1, z, argb, u1, 1};
        auto [vb, ib] = Upload(clockwise ? std::vector<BatchVertex>{tl, tr, bl, tr, br, bl}
                                         : std::vector<BatchVertex>{tl, bl, tr, tr, bl, br});
        renderer_.DrawIndexedTriangles(vb, 6, ib, 2);
    }

    TestImage Read(const Bitmap* target = nullptr) {
        TestImage image;
        EXPECT_TRUE(renderer_.ReadRenderTargetPixels(target, &image));
        return image;
    }

    Bitmap MakeBitmap(int type, int format, int width, int height) {
        Bitmap bitmap = {};
        bitmap.textureType = type;
        bitmap.format = format;
        bitmap.width = bitmap.textureWidth = width;
        bitmap.height = bitmap.textureHeight = height;
        bitmap.depth = 1;
        bitmap.mipLevels = 1;
        return bitmap;
    }

    TestRenderer renderer_;
    CoreState core_ = {};
    VideoParameters video_ = {};
    std::vector<RendererVertexBuffer*> vertexBuffers_;
    std::vector<RendererIndexBuffer*> indexBuffers_;
    std::deque<Bitmap> textures_;
};

TEST_F(TestRendererTest, ClearsReadBackPresentAndInitAgainAfterAFailure) {
    renderer_.ClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_TRUE(RegionNear(Read(), 0, 0, kWidth, kHeight, Rgba8{255, 0, 0, 255}, 0));
    EXPECT_TRUE(renderer_.Present());
    renderer_.ClearColor(2.0f, -1.0f, 0.5f, 0.25f);  // stored as an 8-bit target keeps it
    EXPECT_TRUE(PixelNear(Read(), 0, 0, Rgba8{255, 0, 128, 64}, 0));
    TestImage shown;
    ASSERT_TRUE(renderer_.ReadPresentedPixels(&shown));
    EXPECT_TRUE(PixelNear(shown, 5, 5, Rgba8{255, 0, 0, 255}, 0));

    renderer_.failInit = true;
    EXPECT_FALSE(renderer_.Init(nullptr, &core_, &video_));
    EXPECT_FALSE(renderer_.Present());
    renderer_.failInit = false;
    ASSERT_TRUE(renderer_.Init(nullptr, &core_, &video_));
    renderer_.ClearColor(0, 0, 1, 1);
    EXPECT_TRUE(PixelNear(Read(), 0, 0, Rgba8{0, 0, 255, 255}, 0));
}

TEST_F(TestRendererTest, EightBlendModesAgainstKnownColours) { quaven_test::CheckBlendTable(*this); }
TEST_F(TestRendererTest, ScissorClipsNegativeOriginsAndKeepsItsFarEdges) { quaven_test::CheckScissor(*this); }
TEST_F(TestRendererTest, CullingTakesClockwiseAsTheFront) { quaven_test::CheckCulling(*this); }
TEST_F(TestRendererTest, DepthTestFunctionAndWriteDecideWhatIsDrawn) { quaven_test::CheckDepth(*this); }
TEST_F(TestRendererTest, PointLinearWrapAndClampSampling) { quaven_test::CheckSampling(*this); }

TEST_F(TestRendererTest, SharedEdgesAreDrawnOnceAndVertexColourFollowsTheByteOrder) {
    renderer_.ClearColor(0, 0, 0, 0);
    renderer_.SetBlendMode(QV_BLEND_ADDITIVE);
    // With additive blending any pixel covered twice would read 254.
    DrawRect(0, 0, 32, 32, 0xFF7F7F7F);
    DrawRect(32, 0, 64, 32, 0xFF7F7F7F);
    EXPECT_TRUE(RegionNear(Read(), 0, 0, 64, 32, Rgba8{127, 127, 127, 255}, 0));
    EXPECT_TRUE(RegionNear(Read(), 0, 32, 64, 48, Rgba8{0, 0, 0, 0}, 0));

    renderer_.SetBlendMode(QV_BLEND_OFF);
    DrawRect(0, 0, 8, 8, 0xFF0000FF);  // 0xAARRGGBB: blue
    EXPECT_TRUE(PixelNear(Read(), 2, 2, Rgba8{0, 0, 255, 255}, 0));
    renderer_.rgbaVertexColor = false;  // bytes R, G, B, A: the same bytes are red
    DrawRect(0, 0, 8, 8, 0xFF0000FF);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, Rgba8{255, 0, 0, 255}, 0));
}

// Until a stage's first filter or address call it samples as a device does with no sampler
// bound: linear.
TEST_F(TestRendererTest, AStageWithoutASamplerFiltersLinearly) {
    const uint8_t blackWhite[8] = {0, 0, 0, 255, 255, 255, 255, 255};
    TexturedQuad(2, 1, blackWhite, 0, 1);
    EXPECT_TRUE(PixelNear(Read(), 24, 5, Rgba8{68, 68, 68, 255}, 1));
}

TEST_F(TestRendererTest, RenderTargetsRoundUpAndReadBack) {
    renderer_.nonPowerOfTwoTextures = false;
    Bitmap target = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, 300, 200);
    ASSERT_TRUE(renderer_.CreateRenderTarget(&target));
    EXPECT_EQ(target.hardware.textureFullWidth, 512);
    EXPECT_EQ(target.hardware.textureFullHeight, 256);
    EXPECT_FLOAT_EQ(target.hardware.right, 300.0f / 512.0f);
    EXPECT_TRUE(target.flags & 4);

    renderer_.ClearColor(1, 0, 0, 1);
    RenderTargetSet set = {};
    set.colour[0] = &target;
    ASSERT_TRUE(renderer_.SetRenderTargets(&set));
    renderer_.ClearColor(0, 0, 1, 1);
    EXPECT_TRUE(PixelNear(Read(&target), 299, 199, Rgba8{0, 0, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(Read(), 0, 0, Rgba8{255, 0, 0, 255}, 0));
    // Without a colour target the back buffer is bound again.
    RenderTargetSet none = {};
    ASSERT_TRUE(renderer_.SetRenderTargets(&none));
    renderer_.ClearColor(0, 1, 0, 1);
    EXPECT_TRUE(PixelNear(Read(), 0, 0, Rgba8{0, 255, 0, 255}, 0));

    target.pixels = nullptr;
    ASSERT_TRUE(renderer_.CopyRenderTargetToPixels(&target));
    ASSERT_NE(target.pixels, nullptr);
    EXPECT_EQ(target.pixels[2], 255);
    free(target.pixels);
    renderer_.DestroyTexture(&target.hardware);
    EXPECT_EQ(renderer_.LiveTextureCount(), 0);
}

TEST_F(TestRendererTest, TexturesFromPixelsAndRecordsItNeverMade) {
    renderer_.nonPowerOfTwoTextures = false;
    std::vector<uint8_t> pixels(3 * 5 * 4, 200);
    Bitmap bitmap = MakeBitmap(QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGB8, 3, 5);
    bitmap.pixels = pixels.data();
    ASSERT_TRUE(renderer_.CreateTexture(&bitmap));
    EXPECT_EQ(bitmap.hardware.textureFullWidth, 4);
    EXPECT_EQ(bitmap.hardware.textureFullHeight, 8);
    EXPECT_FLOAT_EQ(bitmap.hardware.bottom, 0.625f);
    TestImage image = Read(&bitmap);
    // The pixels' own alpha is kept whatever the format code; the padding is transparent.
    EXPECT_TRUE(PixelNear(image, 2, 4, Rgba8{200, 200, 200, 200}, 0));
    EXPECT_TRUE(PixelNear(image, 3, 7, Rgba8{0, 0, 0, 0}, 0));

    // A freed or foreign record binds nothing and is counted.
    TextureHardwareData* record = bitmap.hardware.rendererData;
    renderer_.SetTexture(3, record);
    renderer_.DestroyTexture(&bitmap.hardware);
    EXPECT_EQ(bitmap.hardware.rendererData, nullptr);
    EXPECT_EQ(renderer_.state().textures[3], nullptr);
    renderer_.SetTexture(0, record);
    int notATexture = 0;
    renderer_.SetTexture(1, reinterpret_cast<TextureHardwareData*>(&notATexture));
    EXPECT_EQ(renderer_.state().textures[0], nullptr);
    EXPECT_EQ(renderer_.unknownTextureUses(), 2);
    EXPECT_EQ(renderer_.LiveTextureCount(), 0);
}

TEST_F(TestRendererTest, LockedForeignOrShortBuffersAreNotDrawnPastWhatExists) {
    renderer_.ClearColor(0, 0, 0, 1);
    auto [vb, ib] =
        Upload({{0, 0, 0.5f, 0xFFFFFFFF, 0, 0}, {64, 0, 0.5f, 0xFFFFFFFF, 0, 0}, {0, 48, 0.5f, 0xFFFFFFFF, 0, 0}});
    ASSERT_NE(renderer_.LockVertexBuffer(vb), nullptr);
    renderer_.DrawIndexedTriangles(vb, 3, ib, 1);
    renderer_.UnlockVertexBuffer(vb);
    RendererIndexBuffer foreign = {3, 0, 0};
    renderer_.DrawIndexedTriangles(vb, 3, &foreign, 1);
    EXPECT_EQ(renderer_.refusedDraws(), 2);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, kBlack, 0));

    // More triangles than indices, and indices past the vertices, draw only what exists.
    renderer_.DrawIndexedTriangles(vb, 3, ib, 1000);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, kWhite, 0));
    const uint16_t outside[3] = {0, 1, 60000};
    renderer_.UploadIndices(ib, outside);
    renderer_.ClearColor(0, 0, 0, 1);
    renderer_.DrawIndexedTriangles(vb, 3, ib, 1);
    EXPECT_TRUE(PixelNear(Read(), 2, 2, kBlack, 0));
}

TEST_F(TestRendererTest, LinesCoverTheirPixelsUpToTheEnd) {
    renderer_.ClearColor(0, 0, 0, 1);
    auto [vb, ib] = Upload({{2.0f, 3.5f, 0.5f, 0xFFFFFFFF, 0, 0}, {10.0f, 3.5f, 0.5f, 0xFFFFFFFF, 0, 0}});
    renderer_.DrawIndexedLines(vb, ib, 1);
    TestImage image = Read();
    EXPECT_TRUE(RegionNear(image, 2, 3, 10, 4, kWhite, 0));
    EXPECT_TRUE(PixelNear(image, 1, 3, kBlack, 0));
    EXPECT_TRUE(PixelNear(image, 10, 3, kBlack, 0));
}

TEST_F(TestRendererTest, CallsAreRecordedWithSlotsAndArguments) {
    renderer_.ClearCalls();
    renderer_.BeginFrame(QV_EYE_MONO);
    renderer_.SetViewport(1, 2, 3, 4, 0.0f, 1.0f);
    renderer_.Present();
    EXPECT_EQ(renderer_.CallNames(), (std::vector<std::string>{"BeginFrame", "SetViewport", "Present"}));
    RendererCall call;
    ASSERT_TRUE(renderer_.LastCall("SetViewport", &call));
    EXPECT_EQ(call.slot, 16);
    EXPECT_EQ(call.ToString(), "SetViewport(1, 2, 3, 4, 0, 1)");
    EXPECT_EQ(call.threadId, GetCurrentThreadId());
    EXPECT_FALSE(renderer_.LastCall("Shutdown", nullptr));
}

}  // namespace
