// The CPU pixel work: scaling, comparing, atlas packing, bleeding, distance fields and
// the image loader's pixel memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "support/engine_table.h"

namespace {

using quaven_test::LogCapture;

// A bitmap outside the pool whose pixels come from the image loader.
struct TestBitmap {
    Bitmap record = {};
    TestBitmap(int width, int height, bool alpha = false) {
        QVI_GetImageLoader()->AllocateImagePixels(&record, width, height);
        record.flags = alpha ? kBitmapHasAlpha : 0;
        Fill(0xFF000000u);
    }
    ~TestBitmap() {
        QVI_GetImageLoader()->FreeImagePixels(&record);
        free(record.header.name);
    }
    void Fill(uint32_t pixel) {
        for (int i = 0; i < record.width * record.height; ++i) memcpy(record.pixels + i * 4, &pixel, 4);
    }
    uint8_t* At(int x, int y) { return record.pixels + (y * record.width + x) * 4; }
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        uint8_t* p = At(x, y);
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
};

using BitmapPixels = quaven_test::EngineTableTest;

TEST_F(BitmapPixels, ResizingCopiesAtTheSameSizeAndAveragesWhenHalving) {
    // A 4 x 4 checkerboard of black and white pixels.
    TestBitmap source(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) source.Set(x, y, (x + y) % 2 ? 255 : 0, 0, 0, 255);
    TestBitmap copy(1, 1);
    ASSERT_TRUE(QVI_CreateImageResized(&copy.record, &source.record, 4, 4));
    EXPECT_EQ(memcmp(copy.record.pixels, source.record.pixels, 4 * 4 * 4), 0);

    // Halving averages boxes of the checkerboard into grey; a bilinear pick would give
    // pure black (samples fall on whole pixels).
    TestBitmap half(1, 1);
    ASSERT_TRUE(QVI_CreateImageResized(&half.record, &source.record, 2, 2));
    EXPECT_TRUE(half.record.width == 2 && half.record.textureHeight == 2);
    EXPECT_GT(half.At(0, 0)[0], 60);
    EXPECT_LT(half.At(0, 0)[0], 200);
    EXPECT_EQ(half.At(0, 0)[3], 255);

    // Shrinking by no more than 1.5 samples bilinearly: 4 -> 3 picks pixel (0, 0) exactly.
    TestBitmap smaller(1, 1);
    ASSERT_TRUE(QVI_CreateImageResized(&smaller.record, &source.record, 3, 3));
    EXPECT_EQ(smaller.At(0, 0)[0], 0);

    EXPECT_FALSE(QVI_CreateImageResized(&copy.record, &source.record, -2, 4));
    EXPECT_FALSE(QVI_CreateImageResized(&copy.record, &source.record, 4, 70000));
    Bitmap empty = {};
    EXPECT_FALSE(QVI_CreateImageResized(&copy.record, &empty, 2, 2));
    EXPECT_EQ(LogCapture::CountPopups("QVI_CreateImageResized bm_source '(null)' has no pixels."), 1);
}

TEST_F(BitmapPixels, PackingPlacesOneBitmapTwoPixelsInOnTheSmallestSquare) {
    TestBitmap tile(100, 100);
    tile.Fill(0xFF0000FFu);
    Bitmap atlas = {};
    Bitmap* list[] = {&tile.record};
    ASSERT_TRUE(QVI_PackBitmaps(&atlas, list, 1, 4096, 4096));
    EXPECT_STREQ(atlas.header.name, "atlas");
    EXPECT_TRUE(atlas.width == 128 && atlas.height == 128);
    EXPECT_EQ(atlas.packMode, 3);
    EXPECT_FLOAT_EQ(tile.record.hardware.left, 2.0f / 128);
    EXPECT_FLOAT_EQ(tile.record.hardware.top, 2.0f / 128);
    EXPECT_FLOAT_EQ(tile.record.hardware.right, 102.0f / 128);
    EXPECT_FLOAT_EQ(tile.record.hardware.bottom, 102.0f / 128);
    const uint8_t* inside = atlas.pixels + (2 * 128 + 2) * 4;
    EXPECT_TRUE(inside[0] == 255 && inside[3] == 255);
    EXPECT_EQ(atlas.pixels[3], 0);  // the gap stays transparent
    EXPECT_EQ(LogCapture::Count("Successfully packed 1 bitmaps into 128x128 atlas."), 1);

    // Three side by side need a wider atlas; a bitmap wider than any atlas fails.
    TestBitmap a(60, 20), b(60, 20), c(60, 20);
    Bitmap* three[] = {&a.record, &b.record, &c.record};
    ASSERT_TRUE(QVI_PackBitmaps(&atlas, three, 3, 4096, 4096));
    EXPECT_TRUE(atlas.width * atlas.height >= 3 * 64 * 24);
    EXPECT_FLOAT_EQ(c.record.hardware.right * atlas.width - c.record.hardware.left * atlas.width, 60.0f);
    TestBitmap wide(5000, 1);
    Bitmap* tooLarge[] = {&wide.record};
    EXPECT_FALSE(QVI_PackBitmaps(&atlas, tooLarge, 1, 4096, 4096));
    EXPECT_EQ(LogCapture::CountPopups(
                  "QVI_PackBitmaps unable to find large enough atlas size for 1 bitmaps (first bm size 5000x1). All "
                  "bitmaps need to fit into 4096x4096 atlas for 100% cross-platform compatibility."),
              1);
    EXPECT_FALSE(QVI_PackBitmaps(&atlas, tooLarge, 0, 4096, 4096));
    EXPECT_EQ(LogCapture::Count("WARNING: Failed to tile 0 bitmaps into any atlas."), 1);
    QVI_GetImageLoader()->FreeImagePixels(&atlas);
    free(atlas.header.name);
}

TEST_F(BitmapPixels, PackedBordersTakeTheColourBesideTheirInkWhetherTheBitmapHasOneColourOrMore) {
    // Red with a transparent top-left pixel (one colour), and red with a green bottom-right pixel.
    TestBitmap one(3, 2), two(3, 2);
    one.Fill(0xFF0000FFu), two.Fill(0xFF0000FFu);
    one.Set(0, 0, 255, 0, 0, 0);
    two.Set(2, 1, 0, 255, 0, 255);
    Bitmap atlas = {};
    Bitmap* list[] = {&one.record, &two.record};
    ASSERT_TRUE(QVI_PackBitmaps(&atlas, list, 2, 4096, 4096));
    auto at = [&atlas](int x, int y) {
        const uint8_t* p = atlas.pixels + (y * atlas.width + x) * 4;
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    const std::vector<int> none = {0, 0, 0, 0}, red = {255, 0, 0, 0}, green = {0, 255, 0, 0};
    // "one" at (2, 2): beside its transparent pixel and at the corners the border stays as it was.
    EXPECT_EQ(at(1, 2), none);
    EXPECT_EQ(at(2, 1), none);
    EXPECT_EQ(at(1, 1), none);
    EXPECT_EQ(at(1, 3), red);
    EXPECT_EQ(at(3, 1), red);
    EXPECT_EQ(at(2, 4), red);
    EXPECT_EQ(at(5, 2), red);
    EXPECT_EQ(at(2, 2), red);
    // "two" at (7, 2).
    EXPECT_EQ(at(10, 3), green);
    EXPECT_EQ(at(9, 4), green);
    EXPECT_EQ(at(6, 3), red);
    QVI_GetImageLoader()->FreeImagePixels(&atlas);
    free(atlas.header.name);
}

TEST_F(BitmapPixels, PixelsMatchWithinThreeAndNotFour) {
    TestBitmap a(4, 4), b(4, 4);
    a.Fill(0xFF808080u), b.Fill(0xFF808080u);
    b.At(3, 3)[1] += 3;
    EXPECT_TRUE(BitmapPixelsMatch(&a.record, &b.record));
    EXPECT_EQ(LogCapture::Count("Total difference is 2 units"), 1);
    b.At(0, 0)[0] += 4;
    EXPECT_FALSE(BitmapPixelsMatch(&a.record, &b.record));
    TestBitmap other(4, 5);
    EXPECT_FALSE(BitmapPixelsMatch(&a.record, &other.record));
    EXPECT_FALSE(BitmapPixelsMatch(&a.record, nullptr));
    EXPECT_EQ(LogCapture::Count("BitmapPixelsMatch got bad parameters."), 1);
}

TEST_F(BitmapPixels, BleedingAndDistanceFields) {
    // One opaque red pixel in the middle of a transparent 3 x 3 bitmap.
    TestBitmap glyph(3, 3, true);
    glyph.Fill(0x00000000u);
    glyph.Set(1, 1, 255, 0, 0, 255);
    EXPECT_GT(QVI_ComputeDistanceFieldPixel(&glyph.record, 4, 1, 1), 0.0f);
    EXPECT_FLOAT_EQ(QVI_ComputeDistanceFieldPixel(&glyph.record, 4, 0, 1), -1.0f);
    EXPECT_FLOAT_EQ(QVI_ComputeDistanceFieldPixel(&glyph.record, 4, 0, 0), -1.41421354f);
    // Its four direct neighbours take its colour and stay transparent; corners have none.
    EXPECT_EQ(QVI_BleedTransparentPixels(&glyph.record), 4);
    EXPECT_TRUE(glyph.At(1, 0)[0] == 255 && glyph.At(1, 0)[3] == 0);
    EXPECT_EQ(glyph.At(0, 0)[0], 0);
    // Outside a bitmap with alpha the edge pixel is transparent.
    EXPECT_EQ(QVI_GetBitmapPixelClamped(&glyph.record, 1, -5) >> 24, 0u);
    EXPECT_EQ(QVI_GetBitmapPixelClamped(&glyph.record, 1, 1) >> 24, 255u);
}

TEST_F(BitmapPixels, BleedingTakesTheLastOfAboveRightBelowAndLeftAcrossAWideRow) {
    TestBitmap wide(10, 3, true);
    wide.Fill(0x00000000u);
    wide.Set(3, 1, 255, 0, 0, 255);  // red
    wide.Set(4, 0, 0, 0, 255, 255);  // blue, above (4, 1)
    wide.Set(6, 1, 0, 255, 0, 255);  // green
    EXPECT_EQ(QVI_BleedTransparentPixels(&wide.record), 9);
    auto colour = [&](int x, int y) { return std::string(reinterpret_cast<const char*>(wide.At(x, y)), 4); };
    const std::string red("\xFF\0\0\0", 4), blue("\0\0\xFF\0", 4), green("\0\xFF\0\0", 4), none(4, '\0');
    EXPECT_EQ(colour(4, 1), red) << "left wins over above";
    EXPECT_EQ(colour(3, 0), red) << "below wins over right";
    EXPECT_TRUE(colour(2, 1) == red && colour(3, 2) == red && colour(5, 0) == blue);
    EXPECT_TRUE(colour(5, 1) == green && colour(7, 1) == green && colour(6, 0) == green && colour(6, 2) == green);
    EXPECT_EQ(colour(8, 1), none) << "a pixel bled in the same pass lends nothing";
    EXPECT_TRUE(colour(9, 1) == none && colour(0, 1) == none);
}

TEST_F(BitmapPixels, TheLoaderClampsWeirdSizesAndFreesWhatItHadFirst) {
    Bitmap bitmap = {};
    ImageLoaderImp* loader = QVI_GetImageLoader();
    loader->AllocateImagePixels(&bitmap, 70000, 1);
    EXPECT_EQ(LogCapture::CountPopups("ImageLoaderImp::AllocateImagePixels dimensions (700001) seem weird."), 1);
    EXPECT_TRUE(bitmap.width == 65536 && bitmap.textureWidth == 65536 && bitmap.pixels);
    loader->AllocateImagePixels(&bitmap, 2, 2);
    EXPECT_EQ(LogCapture::CountPopups("ImageLoaderImp::AllocateImagePixels bitmap already has pixels allocated!"), 1);
    EXPECT_TRUE(bitmap.height == 2 && bitmap.pixels);
    // 65536 x 65536 x 4 bytes is beyond a 32-bit address space: no pixels, no crash.
    loader->AllocateImagePixels(&bitmap, 65536, 65536);
    EXPECT_EQ(bitmap.pixels, nullptr);
    loader->AllocateImagePixels(&bitmap, -3, 4);
    EXPECT_TRUE(bitmap.width == 0 && bitmap.pixels == nullptr);
    loader->FreeImagePixels(nullptr);
    EXPECT_EQ(LogCapture::Count("ImageLoader trying to free null bitmap.\n"), 1);
}

}  // namespace
