// Image files drawn as a game draws them, on the tests' renderer and on the real Direct3D 11
// renderer alike: a PNG and a TGA found by name through the search paths (the TGA registered
// first and asked for later, as is a third one that a game thread then asks for), drawn texel
// for pixel and read back from the window.
#include <zlib.h>

#include <string>
#include <thread>

#include "filesystem/backends.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "engine/resource_queues.h"
#include "graphics/drawing/drawing_fixture.h"
#include "support/back_buffer.h"
#include "support/res_folder.h"
#include "support/windows_ui.h"

namespace image_test {
namespace {

const Rgba8 kQuadrants[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};

Rgba8 Texel(int x, int y) { return kQuadrants[(y / 2) * 2 + x / 2]; }

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const uint32_t crc = crc32(0, (const Bytef*)body.data(), uInt(body.size()));
    const uint32_t size = uint32_t(data.size());
    return std::string{char(size >> 24), char(size >> 16), char(size >> 8), char(size)} + body +
           std::string{char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
}

// 4 x 4 RGB, red and green above blue and white.
std::string QuadrantsPng() {
    std::string rows;
    for (int y = 0; y < 4; ++y) {
        rows += '\0';
        for (int x = 0; x < 4; ++x) rows += {char(Texel(x, y).r), char(Texel(x, y).g), char(Texel(x, y).b)};
    }
    uLongf size = compressBound(uLong(rows.size()));
    std::string packed(size, '\0');
    compress((Bytef*)packed.data(), &size, (const Bytef*)rows.data(), uLong(rows.size()));
    packed.resize(size);
    const std::string ihdr("\0\0\0\4\0\0\0\4\x08\x02\0\0\0", 13);
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", ihdr) + Chunk("IDAT", packed) + Chunk("IEND", "");
}

// The same as a bottom-up 32-bit TGA.
std::string QuadrantsTga() {
    std::string file("\0\0\x02\0\0\0\0\0\0\0\0\0\x04\0\x04\0\x20\x08", 18);
    for (int y = 3; y >= 0; --y)
        for (int x = 0; x < 4; ++x) file += {char(Texel(x, y).b), char(Texel(x, y).g), char(Texel(x, y).r), char(255)};
    return file;
}

class ImageDrawn : public drawing_test::DrawingTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "Direct3D11") {
            window_ = quaven_test::CreateTestWindow("images", WS_POPUP | WS_VISIBLE, 40, 40, 80, 60);
            g_core.mainWindow = window_;
            device_ = &direct3D_;
        }
        g_core.imageLoader = QVI_GetImageLoader();
        DrawingTest::SetUp();
        ASSERT_TRUE(QVI_InitFileSystem());
        res_.emplace("drawn-images");
        ASSERT_TRUE(res_->Put("data/sprites/quadrants.png", QuadrantsPng()));
        ASSERT_TRUE(res_->Put("data/sprites/quadrants_tga.tga", QuadrantsTga()));
        ASSERT_TRUE(res_->Put("data/sprites/quadrants_late.png", QuadrantsPng()));
        qv->fileSystem->AddSearchPath("res://data", true);
    }
    void TearDown() override {
        qv->fileSystem->RemoveSearchPath("res://data");
        res_.reset();
        DrawingTest::TearDown();
        if (window_) DestroyWindow(window_);
    }
    TestImage Screen() {
        if (GetParam() == "Direct3D11") return quaven_test::ReadBackBuffer(direct3D_);
        TestImage image;
        renderer_.ReadRenderTargetPixels(nullptr, &image);
        return image;
    }

    RendImpDirect3D11 direct3D_;
    HWND window_ = nullptr;
    std::optional<quaven_test::ResFolder> res_;
};

TEST_P(ImageDrawn, APngAndATgaFoundByNameDrawTexelForPixel) {
    const QuavenGraphicsAPI* g = qv->graphics;
    Bitmap* png = g->GetBitmap("sprites/quadrants");
    // Registered first, loading nothing; asked for later, it loads and reaches the device.
    Bitmap* tga = g->GetBitmapEx("sprites/quadrants_tga", QV_CACHE_NOTHING);
    ASSERT_TRUE(tga && tga->state == BITMAP_REGISTERED && !tga->pixels && !tga->hardware.loaded);
    EXPECT_EQ(g->GetBitmap("sprites/quadrants_tga"), tga);
    ASSERT_TRUE(png && png->hardware.loaded && tga->hardware.loaded);
    EXPECT_TRUE(tga->state == BITMAP_READY && tga->cacheMode == QV_CACHE_TEXTURE && tga->header.refCount == 1);
    // Asked for by a game thread: loaded there, uploaded by the frame's pass over the queue.
    Bitmap* late = g->GetBitmapEx("sprites/quadrants_late", QV_CACHE_NOTHING);
    std::thread([&] { EXPECT_EQ(g->GetBitmap("sprites/quadrants_late"), late); }).join();
    ASSERT_TRUE(late && late->pixels && !late->hardware.loaded);
    QVI_ProcessBitmapResourceQueues();
    EXPECT_TRUE(late->hardware.loaded && !late->pixels) << "uploaded, and its pixels not kept in mode 4";
    TestImage screen;
    Frame([&] {
        g->ClearColor(0, 0, 0);
        g->SetTextureFilter(QV_FILTER_POINT);
        const float x10 = 10, x20 = 20, y10 = 10;
        g->DrawBitmap(png, &x10, &y10);
        g->DrawBitmap(tga, &x20, &y10);
        const float x30 = 30;
        g->DrawBitmap(late, &x30, &y10);
    }, [&] { screen = Screen(); });
    ASSERT_GT(screen.width, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const Rgba8 want = {Texel(x, y).r, Texel(x, y).g, Texel(x, y).b, screen.At(10 + x, 10 + y).a};
            EXPECT_TRUE(PixelNear(screen, 10 + x, 10 + y, want, 0)) << "png " << x << "," << y;
            EXPECT_TRUE(PixelNear(screen, 20 + x, 10 + y, {want.r, want.g, want.b, screen.At(20 + x, 10 + y).a}, 0))
                << "tga " << x << "," << y;
            EXPECT_TRUE(PixelNear(screen, 30 + x, 10 + y, {want.r, want.g, want.b, screen.At(30 + x, 10 + y).a}, 0))
                << "late " << x << "," << y;
        }
    EXPECT_TRUE(PixelNear(screen, 14, 10, {0, 0, 0, screen.At(14, 10).a}, 0));
    g->RemoveBitmapHandle(png);
    g->RemoveBitmapHandle(tga);
    g->RemoveBitmapHandle(late);
}

// A cache mode is a bit set: 4 keeps the texture, 2 the pixels, and a mode that holds 16
// beside other bits loads like those bits; only 16 itself merely looks up.
TEST_P(ImageDrawn, CacheModesLoadByTheirBits) {
    const QuavenGraphicsAPI* g = qv->graphics;
    EXPECT_EQ(g->GetBitmapEx("sprites/quadrants", QV_CACHE_LOOKUP_ONLY), nullptr);
    Bitmap* textureOnly = g->GetBitmapEx("sprites/quadrants", 5);
    Bitmap* withLookupBit = g->GetBitmapEx("sprites/quadrants_tga", 20);
    Bitmap* both = g->LoadBitmap("sprites/quadrants_late", 22);
    ASSERT_TRUE(textureOnly && withLookupBit && both);
    EXPECT_TRUE(textureOnly->hardware.loaded && !textureOnly->pixels && textureOnly->cacheMode == 5);
    EXPECT_TRUE(withLookupBit->hardware.loaded && !withLookupBit->pixels && withLookupBit->cacheMode == 20);
    EXPECT_TRUE(both->hardware.loaded && both->pixels && both->cacheMode == 22);
    EXPECT_EQ(g->GetBitmapEx("sprites/quadrants", QV_CACHE_LOOKUP_ONLY), textureOnly);
    // A hit ORs the modes: the pixel bit makes the pixels come back.
    EXPECT_EQ(g->GetBitmapEx("sprites/quadrants", QV_CACHE_PIXELS), textureOnly);
    EXPECT_TRUE(textureOnly->cacheMode == 7 && textureOnly->pixels && textureOnly->hardware.loaded);
    TestImage screen;
    Frame([&] {
        g->ClearColor(0, 0, 0);
        g->SetTextureFilter(QV_FILTER_POINT);
        const float x10 = 10, x20 = 20, x30 = 30, y10 = 10;
        g->DrawBitmap(textureOnly, &x10, &y10);
        g->DrawBitmap(withLookupBit, &x20, &y10);
        g->DrawBitmap(both, &x30, &y10);
    }, [&] { screen = Screen(); });
    ASSERT_GT(screen.width, 0);
    for (int left : {10, 20, 30})
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const Rgba8 want = {Texel(x, y).r, Texel(x, y).g, Texel(x, y).b, screen.At(left + x, 10 + y).a};
                EXPECT_TRUE(PixelNear(screen, left + x, 10 + y, want, 0)) << left << ": " << x << "," << y;
            }
    g->RemoveBitmapHandle(textureOnly);
    g->RemoveBitmapHandle(withLookupBit);
    g->RemoveBitmapHandle(both);
}

INSTANTIATE_TEST_SUITE_P(Renderers, ImageDrawn, ::testing::Values("TestRenderer", "Direct3D11"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace image_test
