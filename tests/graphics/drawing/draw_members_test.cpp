// The drawing members as a game calls them through the graphics table: a whole scene read
// back from the tests' renderer, the vertices the bitmap members hand to the batch, the
// triangle lists' limits, the R, G, B, A vertex colour path, and refused input.
#include <deque>
#include <string>
#include <vector>

#include "graphics/drawing/batch_renderer.h"
#include "graphics/setup/setup_fixture.h"

namespace {

using quaven_test::LogCapture;

const int kWidth = 64, kHeight = 48;
const Rgba8 kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255};
const Rgba8 kWhite = {255, 255, 255, 255}, kBlack = {0, 0, 0, 255};

class DrawMembers : public setup_test::RendererSetupTest {
protected:
    void SetUp() override {
        RendererSetupTest::SetUp();
        Start();
    }
    void Start() {
        Select(kWidth, kHeight, true);
        ASSERT_TRUE(QVI_InitRenderer());
        // Positions in pixels of the back buffer, y down.
        renderer_.vertexTransform =
            Matrix4{{2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1}};
        renderer_.ClearColor(0, 0, 0, 1);
        g()->SetTextureFilter(QV_FILTER_POINT);
        renderer_.ClearCalls();
        LogCapture::Clear();
    }

    // A ready bitmap of width x height texels (rows top to bottom) with its texture made.
    Bitmap* MakeBitmap(int width, int height, const std::vector<Rgba8>& texels) {
        pixels_.emplace_back(reinterpret_cast<const uint8_t*>(texels.data()),
                             reinterpret_cast<const uint8_t*>(texels.data() + texels.size()));
        Bitmap& bitmap = bitmaps_.emplace_back();
        bitmap.width = bitmap.textureWidth = width, bitmap.height = bitmap.textureHeight = height;
        bitmap.depth = 1, bitmap.mipLevels = 1, bitmap.state = 3;
        bitmap.format = QV_TEXTURE_FORMAT_RGBA8, bitmap.textureType = QV_TEXTURE_TYPE_2D;
        bitmap.pixels = pixels_.back().data();
        EXPECT_TRUE(renderer_.CreateTexture(&bitmap));
        return &bitmap;
    }
    // The last quad handed to the batch: x, y, u, v of each corner.
    static std::vector<float> LastQuad() {
        std::vector<float> values;
        const BatchVertex* end = g_batch.writePointer + g_batch.queued;
        for (const BatchVertex* v = end - 4; v != end; ++v)
            values.insert(values.end(), {v->x, v->y, v->u, v->v});
        return values;
    }
    TestImage Read() {
        BatchRenderer::Flush();
        TestImage image;
        EXPECT_TRUE(renderer_.ReadRenderTargetPixels(nullptr, &image));
        return image;
    }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }
    static void Colour(float r, float g, float b) { qv->graphics->SetColor(&r, &g, &b); }

    std::deque<Bitmap> bitmaps_;
    std::deque<std::vector<uint8_t>> pixels_;
};

TEST_F(DrawMembers, ASceneOfEveryMemberReachesTheScreen) {
    // Quadrants red, green (top), blue, white (bottom).
    Bitmap* quads = MakeBitmap(4, 4, {kRed, kRed, kGreen, kGreen, kRed, kRed, kGreen, kGreen,
                                      kBlue, kBlue, kWhite, kWhite, kBlue, kBlue, kWhite, kWhite});
    Bitmap* white = MakeBitmap(1, 1, {kWhite});
    const float zero = 0, eight = 8, two = 2, four = 4, x16 = 16, x24 = 24, x34 = 34, x40 = 40, x48 = 48, y10 = 10.5f,
                y16 = 16;
    const float turn = 1.57079633f, one = 1;
    Colour(1, 0, 0);
    g()->DrawRectangle(&zero, &zero, &eight, &eight);
    Colour(0, 1, 0);
    g()->DrawLine(&zero, &y10, &x16, &y10);
    Colour(1, 1, 1);
    g()->DrawBitmap(quads, &x16, &zero);
    g()->DrawSubBitmap(quads, &x24, &zero, &two, &zero, &four, &two);  // the green quadrant
    g()->DrawBitmapRotated(quads, &x34, &two, &turn, &one);           // a quarter turn clockwise
    const BatchVertex custom[4] = {{40, 0, 0.5f, 0xFFFFFF00u, 0, 0}, {48, 0, 0.5f, 0xFFFFFF00u, 0.5f, 0},
                                   {40, 8, 0.5f, 0xFFFFFF00u, 0, 0.5f}, {48, 8, 0.5f, 0xFFFFFF00u, 0.5f, 0.5f}};
    g()->DrawBitmapCustom(nullptr, custom);  // yellow
    const BatchVertex stretched[4] = {{48, 0, 0.5f, 0xFFFFFFFFu, 0, 0}, {56, 0, 0.5f, 0xFFFFFFFFu, 0.5f, 0},
                                      {48, 8, 0.5f, 0xFFFFFFFFu, 0, 0.5f}, {56, 8, 0.5f, 0xFFFFFFFFu, 0.5f, 0.5f}};
    g()->DrawBitmapCustom(quads, stretched);  // the red quadrant, eight pixels wide
    const BatchVertex magenta[3] = {{0, 16, 0.5f, 0xFFFF00FFu, 0, 0}, {8, 16, 0.5f, 0xFFFF00FFu, 0, 0},
                                    {0, 24, 0.5f, 0xFFFF00FFu, 0, 0}};
    const uint16_t indices[3] = {0, 1, 2};
    g()->DrawTriangles(nullptr, magenta, 3, indices, 3);
    Colour(0, 0, 1);
    const float p0[2] = {16, 20}, p1[2] = {32, 20}, overRed[4] = {2, -1, 0, 1};  // clamped to red
    g()->DrawBitmapLine(white, p0, p1, 4, 4, overRed, overRed);
    g()->DrawRectangle(&x40, &y16, &eight, &eight);  // in the line's red, which the current quad keeps
    Colour(0, 0, 1);
    g()->DrawRectangle(&x48, &y16, &eight, &eight);  // blue once the colour is set again

    const TestImage image = Read();
    EXPECT_TRUE(RegionNear(image, 0, 0, 8, 8, kRed, 0));
    EXPECT_TRUE(RegionNear(image, 0, 10, 16, 11, kGreen, 0) && PixelNear(image, 4, 11, kBlack, 0));
    EXPECT_TRUE(RegionNear(image, 16, 0, 18, 2, kRed, 0) && RegionNear(image, 18, 2, 20, 4, kWhite, 0));
    EXPECT_TRUE(RegionNear(image, 24, 0, 26, 2, kGreen, 0) && PixelNear(image, 26, 0, kBlack, 0));
    EXPECT_TRUE(RegionNear(image, 34, 0, 36, 2, kRed, 0) && RegionNear(image, 32, 0, 34, 2, kBlue, 0));
    EXPECT_TRUE(RegionNear(image, 32, 2, 34, 4, kWhite, 0) && RegionNear(image, 34, 2, 36, 4, kGreen, 0));
    EXPECT_TRUE(RegionNear(image, 40, 0, 48, 8, Rgba8{255, 255, 0, 255}, 0));
    EXPECT_TRUE(RegionNear(image, 48, 0, 56, 8, kRed, 0));
    EXPECT_TRUE(PixelNear(image, 1, 17, Rgba8{255, 0, 255, 255}, 0) && PixelNear(image, 7, 23, kBlack, 0));
    EXPECT_TRUE(RegionNear(image, 16, 18, 32, 22, kRed, 0) && PixelNear(image, 24, 17, kBlack, 0));
    EXPECT_TRUE(RegionNear(image, 40, 16, 48, 24, kRed, 0) && RegionNear(image, 48, 16, 56, 24, kBlue, 0));
    EXPECT_TRUE(LogCapture::Texts().empty());
}

TEST_F(DrawMembers, BitmapQuadsTakeTheirCornersAndTheHardwareRectangle) {
    Bitmap atlas = {};  // a 4x2 image in the lower middle of a shared texture
    atlas.width = 4, atlas.height = 2, atlas.state = 3, atlas.hardware.loaded = 1;
    atlas.hardware.left = 0.25f, atlas.hardware.top = 0.5f, atlas.hardware.right = 0.75f, atlas.hardware.bottom = 1;
    const float x = 10, y = 20, l = 1, t = 0, r = 3, b = 1, angle = 0, turn = 1.57079633f, one = 1, two = 2;
    g()->DrawBitmap(&atlas, &x, &y);
    EXPECT_EQ(LastQuad(), (std::vector<float>{10, 20, .25f, .5f, 14, 20, .75f, .5f, 10, 22, .25f, 1, 14, 22, .75f, 1}));
    g()->DrawSubBitmap(&atlas, &x, &y, &l, &t, &r, &b);
    EXPECT_EQ(LastQuad(), (std::vector<float>{10, 20, .375f, .5f, 12, 20, .625f, .5f, 10, 21, .375f, .75f, 12, 21,
                                              .625f, .75f}));
    g()->DrawBitmapRotated(&atlas, &x, &y, &angle, &two);  // even sizes: centred on (x, y)
    EXPECT_EQ(LastQuad(), (std::vector<float>{6, 18, .25f, .5f, 14, 18, .75f, .5f, 6, 22, .25f, 1, 14, 22, .75f, 1}));
    g()->DrawBitmapRotated(&atlas, &x, &y, &turn, &one);
    const std::vector<float> turned = LastQuad(), expected = {11, 18, 11, 22, 9, 18, 9, 22};  // x, y of each corner
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(turned[4 * (i / 2) + i % 2], expected[i], 1e-5f) << i;
    atlas.width = 3, atlas.height = 3;  // odd sizes: half a pixel up and left
    g()->DrawBitmapRotated(&atlas, &x, &y, &angle, &one);
    EXPECT_EQ(LastQuad(), (std::vector<float>{8, 18, .25f, .5f, 11, 18, .75f, .5f, 8, 21, .25f, 1, 11, 21, .75f, 1}));

    const int queued = g_batch.queued;
    const float none = 0;
    g()->SetAlpha(&none);
    g()->DrawBitmap(&atlas, &x, &y);  // invisible: not queued
    g()->DrawRectangle(&x, &y, &one, &one);
    EXPECT_EQ(g_batch.queued, queued);
    g()->DrawSubBitmap(&atlas, &x, &y, &l, &t, &r, &b);  // these two do not look at the alpha
    g()->DrawBitmapRotated(&atlas, &x, &y, &angle, &one);
    EXPECT_EQ(g_batch.queued, queued + 8);
    g()->SetAlpha(&one);
    atlas.state = 1;  // hibernated
    g()->DrawBitmap(&atlas, &x, &y);
    EXPECT_EQ(g_batch.queued, queued + 8);

    // Drawable means ready with a texture, whatever the size; only DrawSubBitmap, which
    // scales by the size, passes over a bitmap without one.
    atlas.state = 3, atlas.width = -4, atlas.height = 0;
    g()->DrawBitmap(&atlas, &x, &y);
    EXPECT_EQ(LastQuad(), (std::vector<float>{10, 20, .25f, .5f, 6, 20, .75f, .5f, 10, 20, .25f, 1, 6, 20, .75f, 1}));
    const BatchVertex corners[4] = {{0, 0, 0.5f, ~0u, 0, 0}, {1, 0, 0.5f, ~0u, 1, 0}, {0, 1, 0.5f, ~0u, 0, 1},
                                    {1, 1, 0.5f, ~0u, 1, 1}};
    g()->DrawBitmapCustom(&atlas, corners);
    EXPECT_EQ(g_batch.queued, queued + 16);
    g()->DrawSubBitmap(&atlas, &x, &y, &l, &t, &r, &b);
    EXPECT_EQ(g_batch.queued, queued + 16);
}

TEST_F(DrawMembers, TriangleListsKeepTheirLimitsAndAlternateBufferPairs) {
    std::vector<BatchVertex> vertices(16385, BatchVertex{0, 0, 0.5f, 0xFFFF0000u, 0, 0});
    vertices[1].x = 8, vertices[2].y = 8;
    std::vector<uint16_t> indices(16385, 0);
    indices[1] = 1, indices[2] = 2;
    g()->DrawTriangles(nullptr, vertices.data(), 16384, indices.data(), 3);
    g()->DrawTriangles(nullptr, vertices.data(), 3, indices.data(), 3);
    std::vector<RendererCall> draws;
    for (const RendererCall& call : renderer_.Calls())
        if (std::string(call.name) == "DrawIndexedTriangles") draws.push_back(call);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].numbers, (std::vector<double>{16384, 1}));
    EXPECT_NE(draws[0].pointers[0], draws[1].pointers[0]);
    EXPECT_TRUE(PixelNear(Read(), 1, 1, kRed, 0));

    renderer_.ClearCalls();
    g()->DrawTriangles(nullptr, vertices.data(), 16385, indices.data(), 3);
    g()->DrawTriangles(nullptr, vertices.data(), 3, indices.data(), 16385);
    indices[2] = 3;  // past the three vertices
    g()->DrawTriangles(nullptr, vertices.data(), 3, indices.data(), 3);
    g()->DrawTriangles(nullptr, vertices.data(), -3, indices.data(), 3);
    g()->DrawTriangles(nullptr, nullptr, 3, indices.data(), 3);
    EXPECT_EQ(renderer_.CallCount("DrawIndexedTriangles"), 0);
    EXPECT_EQ(LogCapture::CountPopups("Too many vertices (16385) for DrawTriangles call. Draw using vertex and index "
                                      "buffers instead. Maximum is 16384. Not drawing anything for this call.",
                                      QV_LOG_WARNING), 1);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Too many indices (16385)"), 1);
    EXPECT_EQ(LogCapture::CountContaining("QV_Graphics_DrawTriangles: ", QV_LOG_WARNING), 3);
}

TEST_F(DrawMembers, TrianglesBindTheirBitmapsTextureAsItIsAndOnlyNoBitmapMeansWhite) {
    const BatchVertex vertices[3] = {{0, 0, 0.5f, 0xFFFF0000u, 0, 0}, {8, 0, 0.5f, 0xFFFF0000u, 1, 0},
                                     {0, 8, 0.5f, 0xFFFF0000u, 0, 1}};
    const uint16_t indices[3] = {0, 1, 2};
    Bitmap& notOnTheGpu = bitmaps_.emplace_back();
    notOnTheGpu.width = notOnTheGpu.height = 4;
    ASSERT_FALSE(notOnTheGpu.hardware.loaded);
    Bitmap* blue = MakeBitmap(1, 1, {kBlue});
    const void* white = g_batch.whiteTexture->hardware.rendererData;
    ASSERT_NE(white, nullptr);

    // What stage 0 holds at each triangle draw, from the renderer's own record of calls.
    const auto stageZeroAtDraws = [this] {
        std::vector<const void*> bound;
        const void* stageZero = nullptr;
        for (const RendererCall& call : renderer_.Calls()) {
            const std::string name = call.name;
            if (name == "SetTexture" && call.numbers.at(0) == 0)
                stageZero = call.pointers.at(0);
            else if (name == "DrawIndexedTriangles")
                bound.push_back(stageZero);
        }
        return bound;
    };
    g()->DrawTriangles(blue, vertices, 3, indices, 3);
    g()->DrawTriangles(&notOnTheGpu, vertices, 3, indices, 3);
    g()->DrawTriangles(nullptr, vertices, 3, indices, 3);
    g()->DrawTriangles(&notOnTheGpu, vertices, 3, indices, 3);
    EXPECT_EQ(stageZeroAtDraws(), (std::vector<const void*>{blue->hardware.rendererData, nullptr, white, nullptr}));
}

TEST_F(DrawMembers, RgbaDevicesGetColoursInTheirOrderAndBadInputDrawsNothing) {
    renderer_.rgbaVertexColor = false;
    Start();
    // A custom quad's 0xAARRGGBB colours are put in the device's order; custom lines and
    // triangle lists reach it as the game wrote them, so on a device reading R, G, B, A
    // bytes 0xFFFF0000 shows blue there and 0xFF0000FF red.
    const BatchVertex red[4] = {{0, 0, 0.5f, 0xFFFF0000u, 0, 0}, {8, 0, 0.5f, 0xFFFF0000u, 0, 0},
                                {0, 8, 0.5f, 0xFFFF0000u, 0, 0}, {8, 8, 0.5f, 0xFFFF0000u, 0, 0}};
    const BatchVertex asWritten[2] = {{8, 10.5f, 0.5f, 0xFF0000FFu, 0, 0}, {16, 10.5f, 0.5f, 0xFF0000FFu, 0, 0}};
    const BatchVertex triangles[4] = {{32, 0, 0.5f, 0xFFFF0000u, 0, 0}, {40, 0, 0.5f, 0xFFFF0000u, 0, 0},
                                      {32, 8, 0.5f, 0xFFFF0000u, 0, 0}, {40, 8, 0.5f, 0xFFFF0000u, 0, 0}};
    const uint16_t indices[6] = {0, 1, 2, 1, 3, 2};
    g()->DrawBitmapCustom(nullptr, red);
    g()->DrawLineCustom(asWritten);
    g()->DrawTriangles(nullptr, triangles, 4, indices, 6);
    Bitmap* white = MakeBitmap(1, 1, {kWhite});
    const float p0[2] = {16, 4}, p1[2] = {24, 4}, green[4] = {0, 1, 0, 1};
    g()->DrawBitmapLine(white, p0, p1, 8, 8, green, green);
    TestImage image = Read();
    EXPECT_TRUE(RegionNear(image, 0, 0, 8, 8, kRed, 0)) << "custom quad";
    EXPECT_TRUE(RegionNear(image, 8, 10, 16, 11, kRed, 0)) << "custom line";
    EXPECT_TRUE(RegionNear(image, 32, 0, 40, 8, kBlue, 0)) << "triangle list";
    EXPECT_TRUE(RegionNear(image, 16, 0, 24, 8, kGreen, 0)) << "bitmap line";

    renderer_.ClearCalls();
    const float x = 30, y = 30, same[2] = {5, 5};
    g()->DrawBitmap(nullptr, &x, &y);
    g()->DrawRectangle(&x, &y, nullptr, &x);
    g()->DrawLine(&x, nullptr, &x, &y);
    g()->DrawBitmapLine(white, same, same, 4, 4, green, green);  // no length: nothing, quietly
    g()->DrawBitmapCustom(nullptr, nullptr);
    g()->DrawSubBitmap(white, &x, &y, nullptr, &x, &x, &x);
    EXPECT_TRUE(RegionNear(Read(), 24, 12, kWidth, kHeight, kBlack, 0));
    EXPECT_EQ(LogCapture::CountContaining("nothing drawn.", QV_LOG_WARNING), 5);
}

}  // namespace
