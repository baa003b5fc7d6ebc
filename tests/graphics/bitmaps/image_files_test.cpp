// Image files as a game meets them: PNGs made by a few lines of zlib, hand-made TGA
// headers and hostile files read through the file system, SaveImage round trips, and a
// bitmap found by name, sized by its manifest entry and drawn.
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "filesystem/backends.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/drawing/drawing_fixture.h"
#include "support/engine_table.h"
#include "support/files.h"
#include "support/memory_files.h"
#include "support/res_folder.h"

namespace image_test {
namespace {

using quaven_test::LogCapture;

std::string U32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    return U32(uint32_t(data.size())) + body + U32(uint32_t(crc32(0, (const Bytef*)body.data(), uInt(body.size()))));
}

// rows: the raw scanlines, each without its filter byte.
std::string Png(uint32_t w, uint32_t h, int colourType, int depth, const std::string& rows, size_t rowBytes,
                const std::string& extra = "") {
    std::string filtered;
    for (size_t at = 0; at < rows.size(); at += rowBytes) filtered += '\0' + rows.substr(at, rowBytes);
    uLongf packedSize = compressBound(uLong(filtered.size()));
    std::string packed(packedSize, '\0');
    compress((Bytef*)packed.data(), &packedSize, (const Bytef*)filtered.data(), uLong(filtered.size()));
    packed.resize(packedSize);
    const std::string ihdr = U32(w) + U32(h) + char(depth) + char(colourType) + std::string(3, '\0');
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", ihdr) + extra + Chunk("IDAT", packed) + Chunk("IEND", "");
}

std::string Tga(int type, int w, int h, int bits, int descriptor, const std::string& data) {
    std::string header(18, '\0');
    header[2] = char(type), header[12] = char(w), header[13] = char(w >> 8);
    header[14] = char(h), header[15] = char(h >> 8), header[16] = char(bits), header[17] = char(descriptor);
    return header + data;
}

class ImageFiles : public drawing_test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        ASSERT_TRUE(QVI_InitFileSystem());
        res_.emplace("images");
        while (qv->fileSystem->GetSearchPathCount() > 0) qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
        LogCapture::Clear();
    }
    void TearDown() override {
        free(bitmap_.pixels);
        while (qv->fileSystem->GetSearchPathCount() > 0) qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
        res_.reset();
        DrawingTest::TearDown();
    }
    void Put(const std::string& name, const std::string& bytes) { ASSERT_TRUE(res_->Put("data/" + name, bytes)); }
    bool Load(const std::string& name) {
        free(bitmap_.pixels);
        bitmap_ = {};
        bitmap_.header.name = const_cast<char*>("image");
        return QVI_GetImageLoader()->LoadImage(&bitmap_, ("res://data/" + name).c_str());
    }
    Rgba8 At(int x, int y) const {
        const uint8_t* p = bitmap_.pixels + (y * bitmap_.width + x) * 4;
        return Rgba8{p[0], p[1], p[2], p[3]};
    }
    bool Alpha() const { return bitmap_.flags & kBitmapHasAlpha; }

    std::optional<quaven_test::ResFolder> res_;
    Bitmap bitmap_ = {};
};


TEST_F(ImageFiles, EveryPngColourTypeLoadsAsRgbaWithItsAlphaFlag) {
    Put("grey.png", Png(2, 1, 0, 8, "\x10\xF0", 2));
    Put("grey_alpha.png", Png(1, 1, 4, 8, "\x20\x80", 2));
    Put("rgb.png", Png(1, 1, 2, 8, "\x01\x02\x03", 3));
    Put("rgba16.png", Png(1, 1, 6, 16, "\xAB\xAB\x12\x12\x34\x34\x80\x80", 8));
    Put("palette.png", Png(2, 1, 3, 8, std::string("\x00\x01", 2), 2,
                           Chunk("PLTE", std::string("\xFF\x00\x00\x00\xFF\x00", 6)) + Chunk("tRNS", std::string("\x00\xFF", 2))));
    ASSERT_TRUE(Load("grey.png"));
    EXPECT_TRUE(At(1, 0) == (Rgba8{0xF0, 0xF0, 0xF0, 255}) && !Alpha());
    ASSERT_TRUE(Load("grey_alpha.png"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{0x20, 0x20, 0x20, 0x80}) && Alpha());
    ASSERT_TRUE(Load("rgb.png"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{1, 2, 3, 255}) && !Alpha());
    ASSERT_TRUE(Load("rgba16.png"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{0xAB, 0x12, 0x34, 0x80}) && Alpha());
    ASSERT_TRUE(Load("palette.png"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{255, 0, 0, 0}) && At(1, 0) == (Rgba8{0, 255, 0, 255}) && Alpha());
    EXPECT_EQ(bitmap_.textureWidth, 2);
}

TEST_F(ImageFiles, TgaRowsRunsAndMirroringLandWhereTheHeaderSays) {
    // Bottom-up 24-bit: the file's first row is the image's last. B, G, R in the file.
    Put("up.tga", Tga(2, 2, 2, 24, 0, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C"));
    ASSERT_TRUE(Load("up.tga"));
    EXPECT_TRUE(At(0, 1) == (Rgba8{3, 2, 1, 255}) && At(1, 0) == (Rgba8{12, 11, 10, 255}) && Alpha());
    // Bottom-up 32-bit run-length: one run of four crosses from the first file row into the
    // second, then two literal pixels.
    Put("rle.tga", Tga(10, 3, 2, 32, 8, "\x83\x10\x20\x30\x40\x01\x50\x60\x70\x80\x51\x61\x71\x81"));
    ASSERT_TRUE(Load("rle.tga"));
    EXPECT_TRUE(At(0, 1) == (Rgba8{0x30, 0x20, 0x10, 0x40}) && At(2, 1) == (Rgba8{0x30, 0x20, 0x10, 0x40}));
    EXPECT_TRUE(At(0, 0) == (Rgba8{0x30, 0x20, 0x10, 0x40}) && At(1, 0) == (Rgba8{0x70, 0x60, 0x50, 0x80}));
    EXPECT_TRUE(At(2, 0) == (Rgba8{0x71, 0x61, 0x51, 0x81}));
    // Top-first, right to left.
    Put("mirror.tga", Tga(2, 2, 1, 24, 0x30, "\x01\x01\x01\x02\x02\x02"));
    ASSERT_TRUE(Load("mirror.tga"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{2, 2, 2, 255}) && At(1, 0) == (Rgba8{1, 1, 1, 255}));
}

TEST_F(ImageFiles, AFileSystemThatCannotSeekAndReadsShortStillGivesTheWholeImage) {
    quaven_test::MemoryFiles memory(qv);
    memory.Put("tiny.tga", Tga(2, 2, 1, 24, 0x20, "\x01\x02\x03\x04\x05\x06"));
    memory.files["tiny.tga"].maxRead = 5;
    bitmap_ = {};
    ASSERT_TRUE(QVI_GetImageLoader()->LoadImage(&bitmap_, "tiny.tga"));
    EXPECT_TRUE(At(1, 0) == (Rgba8{6, 5, 4, 255}));
}

TEST_F(ImageFiles, ARendererAskingForBgraGetsBgraFromEveryCodecAndSavesTrueColours) {
    Put("rgb.png", Png(1, 1, 2, 8, "\x01\x02\x03", 3));
    Put("rgb.tga", Tga(2, 1, 1, 32, 0, "\x03\x02\x01\x04"));
    g_rendererSetup.pixelChannelOrder = QV_PIXEL_ORDER_BGRA;
    ASSERT_TRUE(Load("rgb.png"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{3, 2, 1, 255}));
    ASSERT_TRUE(Load("rgb.tga"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{3, 2, 1, 4}));
    for (const char* name : {"bgra.png", "bgra.tga", "bgra.jpg"})
        EXPECT_TRUE(QVI_GetImageLoader()->SaveImage(&bitmap_, ("res://data/" + std::string(name)).c_str(), 100));
    g_rendererSetup.pixelChannelOrder = QV_PIXEL_ORDER_RGBA;
    ASSERT_TRUE(Load("bgra.png"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{1, 2, 3, 4}));
    ASSERT_TRUE(Load("bgra.tga"));
    EXPECT_TRUE(At(0, 0) == (Rgba8{1, 2, 3, 4}));
    ASSERT_TRUE(Load("bgra.jpg"));
    const Rgba8 p = At(0, 0);
    EXPECT_TRUE(std::abs(p.r - 1) <= 4 && std::abs(p.g - 2) <= 4 && std::abs(p.b - 3) <= 4 && p.a == 255);
}

TEST_F(ImageFiles, HostileFilesFailWithTheirNameAndNoPixels) {
    const std::string png = Png(4, 4, 2, 8, std::string(48, '\x7F'), 12);
    std::string huge = "\x89PNG\r\n\x1a\n" + Chunk("IHDR", U32(65536) + U32(65536) + "\x08\x06" + std::string(3, '\0'));
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += char((i * 2654435761u) >> 13);
    const std::pair<std::string, std::string> files[] = {
        {"cut.png", png.substr(0, png.size() / 2)}, {"empty.png", ""}, {"huge.png", huge},
        {"huge.tga", Tga(2, 65535, 65535, 32, 0, "\x01\x02")}, {"cut.tga", Tga(10, 8, 8, 24, 0, "\x85\x01\x02")},
        {"noise.png", noise}, {"noise.jpg", noise}, {"noise.tga", noise}, {"picture.bmp", png}};
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        Put(name, bytes);
        EXPECT_FALSE(Load(name));
        EXPECT_EQ(bitmap_.pixels, nullptr);
        EXPECT_EQ(LogCapture::Count("Unable to load image 'res://data/" + name + "'\n"), 1);
    }
    EXPECT_EQ(LogCapture::CountPopups("Unsupported image format in file 'res://data/picture.bmp'\n"), 1);
}

TEST_F(ImageFiles, SavedImagesReadBackAndAFailedSaveKeepsThePreviousFile) {
    Bitmap saved = {};
    QVI_GetImageLoader()->AllocateImagePixels(&saved, 6, 4);
    for (int i = 0; i < 24; ++i) {
        uint8_t* p = saved.pixels + i * 4;
        p[0] = uint8_t(100 + i * 2), p[1] = 80, p[2] = uint8_t(200 - i), p[3] = uint8_t(i * 10);
    }
    ImageLoaderImp* loader = QVI_GetImageLoader();
    Put("keep", "");
    for (const char* name : {"round.png", "round.tga", "round.jpg"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(loader->SaveImage(&saved, ("res://data/" + std::string(name)).c_str(), 95));
        ASSERT_TRUE(Load(name));
        ASSERT_EQ(bitmap_.width * 100 + bitmap_.height, 604);
        const bool jpeg = std::string(name) == "round.jpg";
        for (int i = 0; i < 24; ++i) {
            const uint8_t* want = saved.pixels + i * 4;
            const uint8_t* got = bitmap_.pixels + i * 4;
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], jpeg ? 12 : 0);
            EXPECT_EQ(got[3], jpeg ? 255 : want[3]);
        }
    }
    // A drawing size larger than the stored image (a manifest's): the pixels are written at
    // the image's own size, never read past.
    saved.width = 60, saved.height = 40;
    for (const char* name : {"drawn.png", "drawn.tga", "drawn.jpg"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(loader->SaveImage(&saved, ("res://data/" + std::string(name)).c_str(), 95));
        ASSERT_TRUE(Load(name));
        EXPECT_EQ(bitmap_.width * 100 + bitmap_.height, 604);
        if (std::string(name) != "drawn.jpg") {
            EXPECT_EQ(bitmap_.pixels[23 * 4 + 2], 177);
        }
    }
    saved.width = 6, saved.height = 4;
    // A folder in the way of the temporary file: the save fails, the old file stays.
    const std::string before = res_->Get("data/round.png");
    ASSERT_TRUE(res_->Put("data/round.png..tmp/blocker", "x"));
    EXPECT_FALSE(loader->SaveImage(&saved, "res://data/round.png", 95));
    EXPECT_EQ(res_->Get("data/round.png"), before);
    // The failed open names the file the game asked for (as a native path), not the temporary.
    EXPECT_EQ(LogCapture::CountContaining("/data/round.png' for writing."), 1);
    EXPECT_EQ(LogCapture::CountContaining("'res://data/round.png' for writing."), 0);
    EXPECT_FALSE(loader->SaveImage(&saved, "no such folder/plain.tga", 95));  // no "://": used as given
    EXPECT_EQ(LogCapture::CountContaining("Unable to open file 'no such folder/plain.tga' for writing."), 1);
    EXPECT_EQ(LogCapture::CountContaining(".tmp"), 0);
    EXPECT_FALSE(loader->SaveImage(&saved, "res://data/upper.PNG", 95));
    EXPECT_EQ(LogCapture::CountPopupsContaining("file format for 'res://data/upper.PNG' not supported"), 1);
    EXPECT_FALSE(loader->SaveImage(&saved, "g", 95));  // shorter than any extension
    EXPECT_EQ(LogCapture::CountPopupsContaining("file format for 'g' not supported"), 1);
    // Header sizes without decoding.
    for (const char* name : {"res://data/round.png", "res://data/round.tga", "res://data/round.jpg"}) {
        Bitmap header = {};
        EXPECT_TRUE(loader->GetImageDimensions(&header, name) && header.width == 6 && header.height == 4 &&
                    !header.pixels) << name;
    }
    // libjpeg refuses a side past 65500: its error comes back as a failed save.
    const std::string jpeg = res_->Get("data/round.jpg");
    Bitmap wide = {};
    loader->AllocateImagePixels(&wide, 65535, 1);
    EXPECT_FALSE(loader->SaveImage(&wide, "res://data/round.jpg", 90));
    EXPECT_EQ(res_->Get("data/round.jpg"), jpeg);
    EXPECT_FALSE(quaven_test::NativeExists(res_->NativePath("data/round.jpg..tmp")));
    loader->FreeImagePixels(&wide);
    Bitmap none = {};
    EXPECT_FALSE(loader->SaveImage(&none, "res://data/none.png", 90));
    EXPECT_FALSE(quaven_test::NativeExists(res_->NativePath("data/none.png")));
    loader->FreeImagePixels(&saved);
}

TEST_F(ImageFiles, ABitmapFoundByNameTakesItsManifestSizeAndDraws) {
    std::string orange;
    for (int i = 0; i < 16; ++i) orange += std::string("\xFF\x80\x00", 3);
    Put("sprites/ring.png", Png(4, 4, 2, 8, orange, 12));
    qv->fileSystem->AddSearchPath("res://data", true);
    // Sizes are taken as written, 0 and negative too (a bitmap without a drawing size is not
    // uploaded); only a number past the int range is held at its end.
    Put("sprites/flat.png", Png(4, 4, 2, 8, orange, 12));
    Put("sprites/vast.png", Png(4, 4, 2, 8, orange, 12));
    const QuavenGraphicsAPI* g = qv->graphics;
    Bitmap *ring, *flat, *vast;
    {
        quaven_test::ScopedManifest manifest;
        manifest.Add("sprites/ring", {{"w", "8"}, {"h", "8"}, {"pack_mode", "NO_PADDING"}})
            .Add("sprites/flat", {{"w", "0"}, {"h", "-3"}})
            .Add("sprites/vast", {{"w", "99999999999"}, {"h", "70000"}});
        ring = g->GetBitmap("sprites/ring");
        flat = g->GetBitmapEx("sprites/flat", QV_CACHE_PIXELS_AND_TEXTURE);
        vast = g->GetBitmap("sprites/vast");
        // Asked for again with the pixel bit: the pixels come back, at the manifest's size.
        EXPECT_EQ(g->GetBitmapEx("sprites/ring", QV_CACHE_PIXELS), ring);
    }
    ASSERT_TRUE(flat && vast);
    EXPECT_TRUE(flat->width == 0 && flat->height == -3 && flat->textureWidth == 4 && !flat->hardware.loaded);
    EXPECT_EQ(LogCapture::Count("Unable to upload bitmap 'sprites/flat' (0x-3) to renderer."), 1);
    EXPECT_TRUE(vast->width == 2147483647 && vast->height == 70000 && vast->textureHeight == 4 &&
                vast->hardware.loaded);
    ASSERT_TRUE(ring && ring->hardware.loaded);
    EXPECT_STREQ(ring->sourcePath, "sprites/ring.png");
    EXPECT_EQ(ring->width * 100 + ring->height, 808);
    EXPECT_EQ(ring->textureWidth * 100 + ring->textureHeight, 404);
    EXPECT_EQ(ring->packMode, 3);

    BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 16, 16, 1, 1, {}};
    Bitmap* target = g->CreateBitmap("ring target", &description);
    ASSERT_TRUE(target);
    Frame([&] {
        g->PushRenderTarget(target);
        g->ClearColor(0.0f, 0.0f, 1.0f);
        const float x = 2.0f, y = 3.0f;
        g->DrawBitmap(ring, &x, &y);
        g->PopRenderTarget();
    });
    const TestImage image = Pixels(target);
    EXPECT_TRUE(RegionNear(image, 2, 3, 10, 11, Rgba8{255, 128, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 10, 11, Rgba8{0, 0, 255, 255}, 0));

    // Resizing scales the stored image, whatever drawing size the manifest gave: larger
    // (8x8 over 4x4 pixels), or none at all (0x-3).
    ASSERT_TRUE(ring->pixels && flat->pixels && ring->width == 8 && ring->textureWidth == 4);
    uint8_t want[4];
    memcpy(want, ring->pixels, 4);
    const int newSizes[2][2] = {{8, 8}, {2, 2}};
    Bitmap* const resized[2] = {ring, flat};
    for (int i = 0; i < 2; ++i) {
        Bitmap* bitmap = resized[i];
        SCOPED_TRACE(bitmap->header.name);
        g->ResizeBitmap(bitmap, newSizes[i][0], newSizes[i][1]);
        ASSERT_TRUE(bitmap->width == newSizes[i][0] && bitmap->textureWidth == newSizes[i][0] &&
                    bitmap->height == newSizes[i][1] && bitmap->textureHeight == newSizes[i][1]);
        int same = 0;
        for (int p = 0; p < newSizes[i][0] * newSizes[i][1]; ++p)
            same += memcmp(bitmap->pixels + p * 4, want, 4) == 0;
        EXPECT_EQ(same, newSizes[i][0] * newSizes[i][1]);
    }
    g->RemoveBitmapHandle(ring);
    g->RemoveBitmapHandle(flat);
    g->RemoveBitmapHandle(vast);
    g->RemoveBitmapHandle(target);
}

TEST_F(ImageFiles, AnImageLargerThanTheDevicesTexturesLoadsButTheDeviceRefusesIt) {
    Put("wide.png", Png(8, 2, 2, 8, std::string(48, '\x40'), 24));
    qv->fileSystem->AddSearchPath("res://data", true);
    renderer_.maximumTextureSize = 4;
    Bitmap* wide = qv->graphics->GetBitmap("wide");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->width * 100 + wide->height, 802);
    EXPECT_FALSE(wide->hardware.loaded);
    EXPECT_EQ(renderer_.CallCount("CreateTexture"), 1);
    EXPECT_EQ(LogCapture::Count("Unable to upload bitmap 'wide' (8x2) to renderer."), 1);
    qv->graphics->RemoveBitmapHandle(wide);
}

}  // namespace
}  // namespace image_test
