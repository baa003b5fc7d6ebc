// What a game draws is what a person sees, on the tests' renderer and on the real Direct3D
// 11 renderer alike: both are brought up through renderer set-up (built-in shaders, white
// texture, batch buffers), one scene is drawn through the graphics table as a game draws
// it, and the same pixels are checked in the back buffer and in a render target read back.
#include <cstring>
#include <string>
#include <vector>

#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/drawing/drawing_fixture.h"
#include "support/back_buffer.h"
#include "support/windows_ui.h"

namespace drawing_test {
namespace {

const Rgba8 kBackground = {0, 0, 51, 255}, kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255};
const Rgba8 kBlue = {0, 0, 255, 255}, kWhite = {255, 255, 255, 255}, kYellow = {255, 255, 0, 255};
const float kTurn = 1.57079633f;

// A pixel expected at a point, each channel within tolerance (the back buffer's alpha is
// the renderer's own business, so only where asked).
struct Spot {
    int x, y;
    Rgba8 colour;
    int tolerance;
    const char* what;
};

void CheckSpots(const TestImage& image, const std::vector<Spot>& spots, bool alpha = false) {
    ASSERT_GT(image.width, 0) << "nothing was read back";
    for (const Spot& s : spots) {
        const Rgba8 expected = {s.colour.r, s.colour.g, s.colour.b, alpha ? s.colour.a : image.At(s.x, s.y).a};
        EXPECT_TRUE(PixelNear(image, s.x, s.y, expected, s.tolerance)) << s.what;
    }
}

class DrawnScene : public DrawingTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        if (Direct3D()) {
            // A popup: its client, the back buffer, is the whole 80 x 60 window.
            window_ = quaven_test::CreateTestWindow("scene", WS_POPUP | WS_VISIBLE, 40, 40, 80, 60);
            g_core.mainWindow = window_;
            device_ = &direct3D_;
        }
        g_core.imageLoader = QVI_GetImageLoader();  // as pre-initialisation sets it
        DrawingTest::SetUp();
        quaven_test::LogCapture::Clear();
    }
    void TearDown() override {
        // Nothing went wrong on the way, beyond the members of parts still to come (text).
        for (const quaven_test::LoggedLine& line : quaven_test::LogCapture::Lines())
            EXPECT_TRUE(line.level == QV_LOG_INFO || line.level == QV_LOG_SYSTEM ||
                        line.text.find("is not available yet") != std::string::npos) << line.text;
        for (Bitmap* bitmap : {sprite_, target_})
            if (bitmap) g()->ReleaseBitmap(bitmap);
        DrawingTest::TearDown();
        if (window_) DestroyWindow(window_);
    }
    bool Direct3D() const { return GetParam() == "Direct3D11"; }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }

    // 4 x 4 texels made in code: red, green (top), blue, white (bottom) quadrants.
    Bitmap* Sprite() {
        BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 4, 4, 1, 0, {}};
        sprite_ = g()->CreateBitmap("scene sprite", &description);
        if (!sprite_) return nullptr;
        for (int i = 0; i < 16; ++i) {
            const Rgba8 texel = i / 8 ? (i % 4 < 2 ? kBlue : kWhite) : (i % 4 < 2 ? kRed : kGreen);
            memcpy(sprite_->pixels + 4 * i, &texel, 4);
        }
        g()->RefreshBitmap(sprite_);
        return sprite_;
    }
    // What the window holds, read just before Present.
    TestImage Screen() {
        if (Direct3D()) return quaven_test::ReadBackBuffer(direct3D_);
        TestImage image;
        renderer_.ReadRenderTargetPixels(nullptr, &image);
        return image;
    }
    static TestImage PixelsOf(const Bitmap* bitmap) {
        TestImage image;
        image.Resize(bitmap->width, bitmap->height);
        if (bitmap->pixels) memcpy(image.rgba.data(), bitmap->pixels, image.rgba.size());
        return image;
    }
    static void Rectangle(float x, float y, float w, float h) { g()->DrawRectangle(&x, &y, &w, &h); }
    static void Line(float x0, float y0, float x1, float y1) { g()->DrawLine(&x0, &y0, &x1, &y1); }

    RendImpDirect3D11 direct3D_;
    HWND window_ = nullptr;
    Bitmap* sprite_ = nullptr;
    Bitmap* target_ = nullptr;
};

TEST_P(DrawnScene, EveryKindOfDrawingLandsWhereAPersonSeesIt) {
    ASSERT_NE(Sprite(), nullptr);
    BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 16, 16, 1, 1, {}};
    target_ = g()->CreateBitmap("scene target", &description);
    ASSERT_TRUE(target_ && target_->hardware.loaded);
    std::vector<TestImage> screens;  // the second frame starts from what the first left
    for (int frame = 0; frame < 2; ++frame) Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->SetTextureFilter(QV_FILTER_POINT);
        Colour(1, 0, 0);
        Rectangle(2, 2, 8, 8);
        Colour(0, 1, 0), Alpha(0.5f);
        Rectangle(12, 2, 8, 8);
        Colour(1, 1, 1), Alpha(0.25f);
        Rectangle(6, 6, 8, 8);  // over the red one's corner
        Alpha(1);
        Colour(0, 1, 1);
        Line(62.5f, 2, 62.5f, 12);
        Colour(1, 1, 0);
        Line(2, 13.5f, 20, 13.5f);

        Colour(1, 1, 1);
        const float x22 = 22, x28 = 28, x34 = 34, y2 = 2, y4 = 4, zero = 0, two = 2, four = 4, one = 1;
        g()->DrawBitmap(sprite_, &x22, &y2);
        g()->DrawSubBitmap(sprite_, &x28, &y2, &two, &zero, &four, &two);  // the green quadrant
        g()->DrawBitmapRotated(sprite_, &x34, &y4, &kTurn, &one);          // a quarter turn clockwise
        const uint32_t magenta = 0xFFFF00FFu, yellow = 0xFFFFFF00u;       // 0xAARRGGBB
        const BatchVertex custom[4] = {{38, 2, 0.5f, magenta, 0.5f, 0.5f}, {46, 2, 0.5f, magenta, 1, 0.5f},
                                       {38, 10, 0.5f, magenta, 0.5f, 1}, {46, 10, 0.5f, magenta, 1, 1}};
        g()->DrawBitmapCustom(sprite_, custom);  // the white quadrant stretched, times magenta
        const BatchVertex corner[3] = {{48, 2, 0.5f, yellow, 0.75f, 0.25f}, {58, 2, 0.5f, yellow, 0.75f, 0.25f},
                                       {48, 12, 0.5f, yellow, 0.75f, 0.25f}};
        const uint16_t indices[3] = {0, 1, 2};
        g()->DrawTriangles(sprite_, corner, 3, indices, 3);  // yellow times the green quadrant

        // The world translation reaches the built-in vertex shader as its world_view_proj.
        const Matrix4 move = Translation(8, 6);
        g()->PushWorldTransform(&move);
        Rectangle(2, 16, 4, 4);
        g()->PopWorldTransform();

        g()->PushScissorRectangle(20, 16, 30, 20);
        g()->PushScissorRectangle(30, 20, 30, 30);
        Colour(0, 1, 0);
        Rectangle(16, 15, 50, 30);
        g()->PopScissorRectangle();
        g()->PopScissorRectangle();

        g()->PushRenderTarget(target_);
        g()->ClearColorAlpha(1, 1, 0, 0);  // transparent: the screen shows through
        Colour(0, 0, 1);
        Rectangle(4, 4, 8, 8);
        g()->PopRenderTarget();
        Colour(1, 1, 1);
        const float x62 = 62, y42 = 42;
        g()->DrawBitmap(target_, &x62, &y42);  // outside the popped scissors

        // The eight blend modes: (1, 0.5, 0) at alpha 0.5 over grey 0.4, in 5 x 8 cells.
        g()->SetBlendMode(QV_BLEND_OFF);
        Colour(0.4f, 0.4f, 0.4f);
        Rectangle(2, 46, 40, 8);
        Colour(1, 0.5f, 0), Alpha(0.5f);
        for (int mode = QV_BLEND_ALPHA; mode <= QV_BLEND_PREMULTIPLIED_ALPHA; ++mode) {
            g()->SetBlendMode(mode);
            Rectangle(2.0f + 5 * (mode - 1), 46, 5, 8);
        }
    }, [&] { screens.push_back(Screen()); });

    for (const TestImage& screen : screens) {
        CheckSpots(screen, {
            {6, 4, kRed, 0, "red rectangle"}, {1, 4, kBackground, 0, "left of it"}, {4, 1, kBackground, 0, "above it"},
            {10, 4, kBackground, 0, "right of it"}, {4, 10, kBackground, 0, "below it"},
            {16, 4, {0, 128, 26, 255}, 2, "green at half alpha"}, {20, 4, kBackground, 0, "right of the green one"},
            {8, 8, {255, 64, 64, 255}, 2, "white at a quarter over red"},
            {62, 7, {0, 255, 255, 255}, 0, "vertical line"}, {61, 7, kBackground, 0, "left of it"},
            {63, 7, kBackground, 0, "right of it"},
            {16, 13, kYellow, 0, "horizontal line"}, {16, 12, kBackground, 0, "above it"},
            {16, 14, kBackground, 0, "below it"},
            {22, 2, kRed, 0, "bitmap: top left"}, {25, 2, kGreen, 0, "top right"}, {22, 5, kBlue, 0, "bottom left"},
            {25, 5, kWhite, 0, "bottom right"}, {26, 3, kBackground, 0, "right of the bitmap"},
            {21, 3, kBackground, 0, "left of it"}, {23, 6, kBackground, 0, "below it"},
            {28, 2, kGreen, 0, "sub-bitmap"}, {29, 3, kGreen, 0, "sub-bitmap"}, {30, 3, kBackground, 0, "right of it"},
            {28, 4, kBackground, 0, "below it"},
            {32, 2, kBlue, 0, "turned: top left"}, {35, 2, kRed, 0, "top right"}, {32, 5, kWhite, 0, "bottom left"},
            {35, 5, kGreen, 0, "bottom right"}, {36, 3, kBackground, 0, "right of it"},
            {38, 2, {255, 0, 255, 255}, 0, "custom quad"}, {45, 9, {255, 0, 255, 255}, 0, "custom quad"},
            {46, 5, kBackground, 0, "right of it"}, {41, 10, kBackground, 0, "below it"},
            {49, 3, kGreen, 0, "triangle"}, {56, 10, kBackground, 0, "beyond its long side"},
            {47, 5, kBackground, 0, "left of it"},
            {11, 23, kWhite, 0, "translated rectangle"}, {13, 25, kWhite, 0, "translated rectangle"},
            {3, 17, kBackground, 0, "where it stood untranslated"}, {14, 24, kBackground, 0, "right of it"},
            {11, 26, kBackground, 0, "below it"},
            {30, 20, kGreen, 0, "scissors' intersection"}, {49, 35, kGreen, 0, "scissors' intersection"},
            {29, 28, kBackground, 0, "left of it"}, {50, 28, kBackground, 0, "right of it"},
            {40, 19, kBackground, 0, "above it"}, {40, 36, kBackground, 0, "below it"},
            {63, 43, kBackground, 0, "render target: its clear"}, {70, 50, kBlue, 0, "its rectangle"},
            {65, 50, kBackground, 0, "its clear"}, {66, 46, kBlue, 0, "its rectangle"},
            {70, 41, kBackground, 0, "above it"}, {78, 50, kBackground, 0, "right of it"},
        });
        // Source (1, 0.5, 0) at alpha 0.5 over (0.4, 0.4, 0.4), red green blue x 100.
        const int blended[8][3] = {{70, 45, 20}, {90, 65, 40}, {100, 50, 0}, {0, 15, 40},
                                   {40, 20, 0},  {80, 40, 0},  {80, 60, 40}, {100, 70, 20}};
        std::vector<Spot> cells;
        for (int mode = 1; mode <= 8; ++mode) {
            const int* e = blended[mode - 1];
            cells.push_back({4 + 5 * (mode - 1), 50, ToRgba8(e[0] / 100.0f, e[1] / 100.0f, e[2] / 100.0f, 1), 2,
                             "blend mode cell (left to right: modes 1 to 8)"});
        }
        CheckSpots(screen, cells);
    }

    ASSERT_TRUE(g()->CopyBitmapRenderTargetDataToPixels(target_));
    const Rgba8 clear = {255, 255, 0, 0};
    CheckSpots(PixelsOf(target_), {{0, 0, clear, 0, "target: cleared"}, {4, 4, kBlue, 0, "its rectangle"},
                                   {11, 11, kBlue, 0, "its rectangle"}, {3, 8, clear, 0, "left of it"},
                                   {12, 8, clear, 0, "right of it"}, {8, 12, clear, 0, "below it"}}, true);
}

TEST_P(DrawnScene, NinetySevenQuadsOfOneBitmapAllAppearFromTwoDraws) {
    ASSERT_NE(Sprite(), nullptr);
    renderer_.ClearCalls();
    TestImage screen;
    Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->SetTextureFilter(QV_FILTER_POINT);
        for (int i = 0; i < 97; ++i) {
            const float x = 5.0f * (i % 16), y = 5.0f * (i / 16);
            g()->DrawBitmap(sprite_, &x, &y);
        }
    }, [&] { screen = Screen(); });
    std::vector<Spot> spots;
    for (int i = 0; i < 97; ++i) {
        const int x = 5 * (i % 16), y = 5 * (i / 16);
        spots.push_back({x, y, kRed, 0, "a quad's top left"});
        spots.push_back({x + 3, y + 3, kWhite, 0, "a quad's bottom right"});
    }
    spots.push_back({5 * (97 % 16), 5 * (97 / 16), kBackground, 0, "no 98th quad"});
    CheckSpots(screen, spots);
    if (!Direct3D()) {
        std::vector<std::vector<double>> draws;
        for (const RendererCall& call : renderer_.Calls())
            if (std::string(call.name) == "DrawIndexedTriangles") draws.push_back(call.numbers);
        EXPECT_EQ(draws, (std::vector<std::vector<double>>{{384, 192}, {4, 2}})) << "a full buffer, then the rest";
    }
}

// Negative sizes draw the mirrored quad (culling is off from the first frame on): bars that
// grow to the left and upward, and bitmap lines whose sides swap, turning the texture over.
TEST_P(DrawnScene, NegativeSizesDrawMirroredQuads) {
    ASSERT_NE(Sprite(), nullptr);
    TestImage screen;
    Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->SetTextureFilter(QV_FILTER_POINT);
        Colour(1, 0, 0);
        Rectangle(20, 20, -10, -8);  // x 10 to 20, y 12 to 20
        Colour(0, 1, 0);
        Rectangle(30, 12, -6, 8);    // x 24 to 30
        Colour(1, 1, 1);
        const float white[4] = {1, 1, 1, 1};
        const float from[2] = {40, 10}, to[2] = {56, 10}, lower[2] = {40, 30}, lowerTo[2] = {56, 30};
        g()->DrawBitmapLine(sprite_, from, to, -8, -8, white, white);      // y 6 to 14
        g()->DrawBitmapLine(sprite_, lower, lowerTo, 8, 8, white, white);  // y 26 to 34
    }, [&] { screen = Screen(); });
    CheckSpots(screen, {
        {10, 12, kRed, 0, "mirrored rectangle: its far corner"}, {19, 19, kRed, 0, "its given corner"},
        {20, 15, kBackground, 0, "right of the given x"}, {15, 20, kBackground, 0, "below the given y"},
        {9, 15, kBackground, 0, "left of it"}, {15, 11, kBackground, 0, "above it"},
        {24, 12, kGreen, 0, "leftward bar"}, {29, 19, kGreen, 0, "leftward bar"}, {23, 15, kBackground, 0, "left of it"},
        // A bitmap line's texture runs from p0 (its top) to p1 (its bottom), its left side
        // at p0 - n x width / 2: the left of the sprite lies at the bottom of a rightward
        // line, and at its top when the widths are negative.
        {41, 7, kRed, 0, "negative widths: the sprite's top left"}, {41, 12, kGreen, 0, "its top right"},
        {54, 7, kBlue, 0, "its bottom left"}, {54, 12, kWhite, 0, "its bottom right"},
        {48, 5, kBackground, 0, "above the line"}, {48, 14, kBackground, 0, "below it"},
        {41, 32, kRed, 0, "positive widths: the sprite's top left"}, {41, 27, kGreen, 0, "its top right"},
        {54, 32, kBlue, 0, "its bottom left"}, {54, 27, kWhite, 0, "its bottom right"},
    });
}

// A bitmap line leaves its two colours in the current quad and SetAlpha changes only their
// alpha: a rectangle drawn next shades from the line's start colour at its top to its end
// colour at its bottom, both at the new alpha. SetColor puts the current colour back and
// keeps that alpha.
TEST_P(DrawnScene, SetAlphaKeepsABitmapLinesColoursUntilSetColor) {
    ASSERT_NE(Sprite(), nullptr);
    TestImage screen;
    const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 1};
    Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->SetTextureFilter(QV_FILTER_POINT);
        Colour(0, 1, 0);
        const float from[2] = {2, 4}, to[2] = {18, 4};
        g()->DrawBitmapLine(sprite_, from, to, 4, 4, red, blue);
        Alpha(0.5f);
        Rectangle(24, 2, 8, 16);
        Colour(1, 1, 1);
        Rectangle(36, 2, 8, 16);
    }, [&] { screen = Screen(); });
    // The colour at row y of a rectangle 16 rows tall from row 2 (the pixel centre's share of
    // the way from top to bottom), at alpha 127 over the background.
    const auto halfOver = [](const float top[4], const float bottom[4], int y) {
        const float t = (y + 0.5f - 2) / 16, a = 127 / 255.0f;
        float c[3];
        for (int i = 0; i < 3; ++i) c[i] = (top[i] + (bottom[i] - top[i]) * t) * a;
        return ToRgba8(c[0], c[1], c[2] + 0.2f * (1 - a), 1);
    };
    const float white[4] = {1, 1, 1, 1};
    CheckSpots(screen, {
        {24, 2, halfOver(red, blue, 2), 2, "the line's start colour at half alpha: top row"},
        {31, 17, halfOver(red, blue, 17), 2, "its end colour: bottom row"},
        {27, 10, halfOver(red, blue, 10), 2, "between them"},
        {23, 10, kBackground, 0, "left of it"}, {28, 18, kBackground, 0, "below it"},
        {36, 2, halfOver(white, white, 2), 2, "after SetColor: white at half alpha"},
        {43, 17, halfOver(white, white, 17), 2, "its bottom row"},
    });
}

// A scissor rectangle clipped to nothing at the screen's edge hides everything, rather than
// leaving the rectangle before it in force; a region of negative size shows the bitmap
// mirrored on that axis.
TEST_P(DrawnScene, AnEmptyScissorHidesDrawingAndANegativeRegionMirrorsTheBitmap) {
    ASSERT_NE(Sprite(), nullptr);
    TestImage screen;
    bool set[2] = {};
    Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->SetTextureFilter(QV_FILTER_POINT);
        Colour(1, 0, 0);
        set[0] = g()->SetScissorRectangle(10, 10, 20, 20);
        set[1] = g()->SetScissorRectangle(-200, 0, 100, 100);  // x 0 with width -100
        Rectangle(0, 0, 80, 60);
        g()->PushScissorRectangle(-50, 40, 20, 20);  // x 0 with width -30
        Rectangle(0, 0, 80, 60);
        g()->PopScissorRectangle();
        Colour(1, 1, 1);
        const float x40 = 40, x50 = 50, x60 = 60, y2 = 2;
        g()->SetBitmapRegion(sprite_, 4, 0, -4, 4);  // right to left
        g()->DrawBitmap(sprite_, &x40, &y2);
        g()->SetBitmapRegion(sprite_, 0, 4, 4, -4);  // bottom to top
        g()->DrawBitmap(sprite_, &x50, &y2);
        g()->SetBitmapRegion(sprite_, 0, 0, 4, 4);
        g()->DrawBitmap(sprite_, &x60, &y2);
    }, [&] { screen = Screen(); });
    EXPECT_TRUE(set[0] && set[1]);
    CheckSpots(screen, {
        {15, 15, kBackground, 0, "inside the rectangle set before the empty one"}, {2, 2, kBackground, 0, "corner"},
        {2, 45, kBackground, 0, "a pushed empty rectangle"}, {70, 50, kBackground, 0, "far corner"},
        {40, 2, kGreen, 0, "mirrored left to right: green top left"}, {43, 2, kRed, 0, "red top right"},
        {40, 5, kWhite, 0, "white bottom left"}, {43, 5, kBlue, 0, "blue bottom right"},
        {50, 2, kBlue, 0, "mirrored top to bottom: blue top left"}, {53, 2, kWhite, 0, "white top right"},
        {50, 5, kRed, 0, "red bottom left"}, {53, 5, kGreen, 0, "green bottom right"},
        {60, 2, kRed, 0, "the whole region again"}, {63, 5, kWhite, 0, "its bottom right"},
    });
}

// Blend modes, filters and address modes outside the renderer's tables are kept and
// answered as set; the renderer ignores them (saying so once), so what it last knew holds.
TEST_P(DrawnScene, UnknownBlendModesAndSamplerValuesAreKeptWhileTheRendererKeepsItsLast) {
    ASSERT_NE(Sprite(), nullptr);
    QVI_ResetIgnoredRendererValueReports();
    TestImage screen;
    int blendMode = 0, textureFilter = 0;
    Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->SetTextureFilter(QV_FILTER_POINT);
        g()->SetBlendMode(QV_BLEND_OFF);
        Colour(1, 0, 0), Alpha(0.5f);
        Rectangle(2, 2, 8, 8);  // blending off: full red
        g()->SetBlendMode(99);
        g()->SetTextureFilter(7);
        g()->SetTextureAddressMode(0, 9, 9, 9);
        blendMode = g()->GetBlendMode(), textureFilter = g()->GetTextureFilter();
        Colour(0, 1, 0);
        Rectangle(12, 2, 8, 8);  // still blending off
        Colour(1, 1, 1), Alpha(1);
        const float x22 = 22, y2 = 2;
        g()->DrawBitmap(sprite_, &x22, &y2);  // still point-sampled
        g()->SetBlendMode(QV_BLEND_ALPHA);
        Colour(0, 1, 0), Alpha(0.5f);
        Rectangle(30, 2, 8, 8);  // a known mode is applied again
    }, [&] { screen = Screen(); });
    EXPECT_EQ(blendMode, 99);
    EXPECT_EQ(textureFilter, 7);
    CheckSpots(screen, {
        {5, 5, kRed, 0, "blending off"}, {15, 5, kGreen, 0, "blend mode 99 left blending off"},
        {22, 2, kRed, 0, "bitmap: top left"}, {25, 2, kGreen, 0, "top right"}, {22, 5, kBlue, 0, "bottom left"},
        {25, 5, kWhite, 0, "bottom right"}, {33, 5, {0, 128, 26, 255}, 2, "alpha blending again"},
    });
    for (const char* word : {"Renderer: ignored blend mode 99", "Renderer: ignored texture filter 7",
                             "Renderer: ignored texture address mode 9"})
        EXPECT_EQ(quaven_test::LogCapture::CountContaining(word, QV_LOG_WARNING), 1) << word;
    quaven_test::LogCapture::Clear();
}

// A render target the device cannot make is still the game's record: ready, without its
// GPU target, and nothing said. What is drawn into it while it is pushed goes nowhere; it
// must not land on the screen. Drawing after the pop does.
TEST_P(DrawnScene, DrawingIntoARenderTargetWithoutItsGpuTargetStaysOffTheScreen) {
    BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 20000, 8, 1, 1, {}};
    target_ = g()->CreateBitmap("wider than the device", &description);
    ASSERT_NE(target_, nullptr);
    EXPECT_TRUE(target_->state == BITMAP_READY && !target_->hardware.loaded && target_->width == 20000);
    TestImage screen;
    Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->PushRenderTarget(target_);
        g()->ClearColor(1, 1, 0);
        Colour(1, 0, 0);
        Rectangle(0, 0, 80, 60);
        Line(0, 30.5f, 80, 30.5f);
        g()->PopRenderTarget();
        Colour(0, 1, 0);
        Rectangle(4, 4, 8, 8);
    }, [&] { screen = Screen(); });
    CheckSpots(screen, {
        {1, 1, kBackground, 0, "the pushed target's clear"}, {40, 20, kBackground, 0, "its rectangle"},
        {40, 30, kBackground, 0, "its line"}, {79, 59, kBackground, 0, "the far corner"},
        {8, 8, kGreen, 0, "drawn after the pop"},
    });
}

INSTANTIATE_TEST_SUITE_P(Renderers, DrawnScene, ::testing::Values("TestRenderer", "Direct3D11"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace drawing_test
