// The texture packer: which block a bitmap's texture is made from, where the image sits in
// it, its border in each pack mode, and what it does with bitmaps it cannot pack.
#include "platform/windows/win32.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/renderer/bitmap_texture_packer.h"
#include "support/log_capture.h"

using quaven_test::LogCapture;

namespace {

// A width x height image whose pixel (x, y) is (x, y, 7, 200).
struct TestBitmap {
    Bitmap bitmap = {};
    std::vector<uint8_t> pixels;
    TestBitmap(int width, int height, int packMode, bool alpha, const char* name = "sprite") {
        pixels.resize(size_t(width) * height * 4);
        for (int i = 0; i < width * height; ++i)
            memcpy(&pixels[i * 4], std::vector<uint8_t>{uint8_t(i % width), uint8_t(i / width), 7, 200}.data(), 4);
        bitmap.header.name = const_cast<char*>(name);
        bitmap.width = width, bitmap.height = height, bitmap.pixels = pixels.data();
        bitmap.packMode = packMode, bitmap.flags = alpha ? 1 : 0;
    }
};

struct Packed {
    BitmapTexturePacker packer;
    explicit Packed(Bitmap* bitmap, bool nonPowerOfTwo) : packer(BitmapPacker::BeginPacking(bitmap, nonPowerOfTwo)) {
        packer.CopyPixels();
    }
    ~Packed() { if (packer.ownsTarget) free(packer.target); }
    std::vector<int> At(int x, int y) const {
        const uint8_t* p = packer.target + y * packer.pitch + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }
};

using V = std::vector<int>;

TEST(BitmapTexturePacker, PowerOfTwoBitmapsAreUsedInPlaceWithoutPadding) {
    TestBitmap sprite(256, 256, kPadTransparent, true);
    Packed packed(&sprite.bitmap, false);
    const BitmapTexturePacker& p = packed.packer;
    EXPECT_TRUE(sprite.bitmap.packMode == kNoPadding && sprite.bitmap.textureWidth == 256 && p.xPadding == 0 &&
                p.yPadding == 0 && p.width == 256 && p.height == 256 && p.pitch == 1024);
    EXPECT_TRUE(p.target == sprite.pixels.data() && !p.ownsTarget);
}

TEST(BitmapTexturePacker, TransparentBorderInsideAPowerOfTwoBlockOrAnExactOne) {
    for (bool anySize : {false, true}) {
        TestBitmap sprite(100, 50, kPadTransparent, true);
        Packed packed(&sprite.bitmap, anySize);
        const BitmapTexturePacker& p = packed.packer;
        EXPECT_EQ(anySize ? 102 : 128, p.width);
        EXPECT_EQ(anySize ? 52 : 64, p.height);
        EXPECT_TRUE(p.xPadding == 1 && p.yPadding == 1 && p.ownsTarget && p.pitch == p.width * 4);
        EXPECT_EQ(V({0, 0, 7, 200}), packed.At(1, 1));
        EXPECT_EQ(V({99, 49, 7, 200}), packed.At(100, 50));
        // The border repeats the edge, fully transparent; corners included.
        EXPECT_EQ(V({0, 0, 7, 0}), packed.At(0, 0));
        EXPECT_EQ(V({40, 0, 7, 0}), packed.At(41, 0));
        EXPECT_EQ(V({0, 20, 7, 0}), packed.At(0, 21));
        EXPECT_EQ(V({99, 49, 7, 0}), packed.At(101, 51));
        if (!anySize) {  // the rest of the block is zero
            EXPECT_TRUE(packed.At(102, 10) == V({0, 0, 0, 0}) && packed.At(50, 52) == V({0, 0, 0, 0}) &&
                        packed.At(127, 63) == V({0, 0, 0, 0}));
        }
    }
}

TEST(BitmapTexturePacker, OpaqueBitmapsExpandTheirEdgeAndTextureNamesAreNeverPadded) {
    TestBitmap opaque(100, 50, kPadTransparent, false);
    Packed expanded(&opaque.bitmap, false);
    EXPECT_EQ(kPadExpand, opaque.bitmap.packMode);
    EXPECT_EQ(V({0, 0, 7, 200}), expanded.At(0, 0));
    EXPECT_EQ(V({99, 30, 7, 200}), expanded.At(101, 31));

    TestBitmap wall(100, 50, kPadTransparent, true, "textures/wall.png");
    Packed rounded(&wall.bitmap, false);
    EXPECT_TRUE(wall.bitmap.packMode == kNoPadding && rounded.packer.xPadding == 0 && rounded.packer.ownsTarget);
    EXPECT_EQ(V({0, 0, 7, 200}), rounded.At(0, 0));
    EXPECT_EQ(V({0, 0, 0, 0}), rounded.At(100, 0));
    Packed exact(&wall.bitmap, true);
    EXPECT_EQ(wall.pixels.data(), exact.packer.target) << "any size allowed and no padding: in place";

    // Mode 1 is padded but gets no border.
    TestBitmap unnamed(100, 50, 1, true);
    Packed plain(&unnamed.bitmap, false);
    EXPECT_TRUE(plain.packer.xPadding == 1 && plain.At(0, 0) == V({0, 0, 0, 0}));
}

TEST(BitmapTexturePacker, ABorderThatWouldDoubleALargeTextureIsLeftOut) {
    const int cases[][3] = {{1024, 0, 1024}, {1023, 0, 1024}, {1022, 1, 1024}, {2047, 0, 2048}, {1000, 1, 1024}};
    for (const auto& c : cases) {  // width, x padding, block width
        TestBitmap wide(c[0], 10, kPadExpand, false);
        BitmapTexturePacker packer = BitmapPacker::BeginPacking(&wide.bitmap, false);
        EXPECT_TRUE(packer.xPadding == c[1] && packer.yPadding == 1 && packer.width == c[2]) << c[0];
    }
}

TEST(BitmapTexturePacker, NullBitmapsMissingPixelsBadSizesAndModesPackNothing) {
    LogCapture capture;
    Packed none(nullptr, false);
    EXPECT_TRUE(none.packer.target == nullptr && none.packer.source == nullptr);
    EXPECT_EQ(1, LogCapture::CountPopups(
                     "BitmapPacker::BeginPacking got null bitmap pointer. This should never happen.", QV_LOG_WARNING));
    TestBitmap empty(100, 50, kPadTransparent, true);
    empty.bitmap.pixels = nullptr;
    Packed missing(&empty.bitmap, false);
    EXPECT_TRUE(missing.packer.target == nullptr && missing.packer.width == 128);
    missing.packer.FillBorder(kPadTransparent);  // nothing to touch
    EXPECT_EQ(1, LogCapture::CountPopups(
                     "BitmapPacker::BeginPacking bitmap 'sprite' has no pixels. This should never happen."));
    for (int size : {0, -5, 0x7fffffff}) {
        TestBitmap bad(4, 4, kPadExpand, false);
        bad.bitmap.width = bad.bitmap.height = size;
        Packed packed(&bad.bitmap, false);
        EXPECT_TRUE(packed.packer.target == nullptr && packed.packer.width == 0) << size;
    }
    EXPECT_EQ(3, LogCapture::CountContaining("has no usable size"));
    TestBitmap odd(100, 50, 7, true);
    Packed unknown(&odd.bitmap, false);
    EXPECT_TRUE(odd.bitmap.packMode == kNoPadding && unknown.packer.xPadding == 0);
    EXPECT_EQ(1, LogCapture::CountContaining("unknown pack mode 7", QV_LOG_WARNING));
}

}  // namespace
