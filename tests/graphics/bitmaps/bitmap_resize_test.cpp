// Scaling a bitmap to a new size gives, byte for byte, what sampling every target pixel one
// at a time through QVI_SampleBitmapBilinear or QVI_SampleBitmapArea gives, at every ratio:
// the benchmark's 2048 x 2048 picture halved and shrunk to odd sizes, a picture with
// transparent and half-transparent pixels shrunk, enlarged and stretched, and both kinds of
// sampling mixed across the axes. The fingerprints were taken from the pixel-by-pixel
// scaler before the row-and-column one replaced it, so a change of the per-sample functions
// cannot carry the reference along with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_bitmaps.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "support/engine_table.h"

namespace {

struct Picture {
    Bitmap record = {};
    Picture(int width, int height, bool alpha) {
        QVI_GetImageLoader()->AllocateImagePixels(&record, width, height);
        record.flags = alpha ? kBitmapHasAlpha : 0;
    }
    Picture(const Picture& other) : Picture(other.record.width, other.record.height, HasAlpha(other)) {
        memcpy(record.pixels, other.record.pixels, Bytes());
    }
    Picture& operator=(const Picture&) = delete;
    ~Picture() { QVI_GetImageLoader()->FreeImagePixels(&record); }
    static bool HasAlpha(const Picture& picture) { return (picture.record.flags & kBitmapHasAlpha) != 0; }
    size_t Bytes() const { return static_cast<size_t>(record.width) * record.height * 4; }
};

// Colour everywhere, alpha 0 over discs and a band, partial alpha in rings around them and
// full alpha elsewhere: bleeding, uncovered samples and partly covered boxes all occur.
Picture TransparentPicture(int width, int height) {
    Picture picture(width, height, true);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = picture.record.pixels + (static_cast<size_t>(y) * width + x) * 4;
            const int cx = x % 61 - 30, cy = y % 47 - 23;
            const int distance = cx * cx + cy * cy;
            pixel[0] = static_cast<uint8_t>(x * 5 + y);
            pixel[1] = static_cast<uint8_t>((x * y) >> 3);
            pixel[2] = static_cast<uint8_t>(255 - x);
            if (distance < 120 || (y >= height / 3 && y < height / 3 + 9))
                pixel[3] = 0;
            else if (distance < 260)
                pixel[3] = static_cast<uint8_t>(distance - 5);
            else
                pixel[3] = static_cast<uint8_t>(x % 7 == 0 ? 1 : 255);
        }
    }
    return picture;
}

Picture BenchPicture(bool alpha) {
    Picture picture(kResizeSourceSide, kResizeSourceSide, alpha);
    Bench_FillPicture(picture.record.pixels, kResizeSourceSide, kResizeSourceSide);
    return picture;
}

// The scaling written out pixel by pixel: bleed the source, sample every target pixel on its
// own, bleed the target when the source has alpha.
std::vector<uint8_t> SampledOneByOne(const Picture& original, int width, int height) {
    Picture source(original);
    QVI_BleedTransparentPixels(&source.record);
    Picture target(width, height, Picture::HasAlpha(original));
    const double ratioX = static_cast<double>(source.record.width) / width;
    const double ratioY = static_cast<double>(source.record.height) / height;
    const bool copy = width == source.record.width && height == source.record.height;
    const bool bilinear = ratioX <= 1.5 && ratioY <= 1.5;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            uint32_t pixel;
            if (copy)
                memcpy(&pixel, source.record.pixels + (static_cast<size_t>(y) * width + x) * 4, 4);
            else
                pixel = bilinear ? QVI_SampleBitmapBilinear(&source.record, u, v)
                                 : QVI_SampleBitmapArea(&source.record, u, v, ratioX, ratioY);
            memcpy(target.record.pixels + (static_cast<size_t>(y) * width + x) * 4, &pixel, 4);
        }
    }
    if (Picture::HasAlpha(original))
        QVI_BleedTransparentPixels(&target.record);
    return std::vector<uint8_t>(target.record.pixels, target.record.pixels + target.Bytes());
}

uint64_t Fingerprint(const uint8_t* bytes, size_t count) {
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < count; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

struct Case {
    const char* what;
    int width, height;
    uint64_t fingerprint;
};

// Every case scaled by the engine, compared with the one-by-one sampling and the fingerprint.
void ExpectScaledAsSampled(const Picture& original, const Case* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> expected = SampledOneByOne(original, c.width, c.height);
        Picture source(original);
        Bitmap target = {};
        ASSERT_TRUE(QVI_CreateImageResized(&target, &source.record, c.width, c.height));
        ASSERT_TRUE(target.width == c.width && target.height == c.height);
        EXPECT_EQ(target.flags & kBitmapHasAlpha, original.record.flags & kBitmapHasAlpha);
        size_t differing = 0, first = expected.size();
        for (size_t b = 0; b < expected.size(); ++b) {
            if (target.pixels[b] != expected[b]) {
                differing++;
                first = first < b ? first : b;
            }
        }
        EXPECT_EQ(differing, 0u) << "first differing byte " << first << " (pixel " << first / 4 << ")";
        EXPECT_EQ(Fingerprint(target.pixels, expected.size()), c.fingerprint)
            << std::hex << "0x" << Fingerprint(target.pixels, expected.size()) << "ull";
        QVI_GetImageLoader()->FreeImagePixels(&target);
    }
}

using BitmapResize = quaven_test::EngineTableTest;

TEST_F(BitmapResize, TheBenchmarkPictureScalesAsSampledOneByOne) {
    const Case opaque[] = {
        {"halved", 1024, 1024, 0x68f0c8b2971157ull},
        {"shrunk to 1023 x 1023", 1023, 1023, 0xe1a2a46a3b8241b9ull},
        {"shrunk to 7 x 5", 7, 5, 0x17630fa5fd29fcecull},
        {"shrunk by 1.25 x 3", 1638, 682, 0x166635dca5168475ull},
    };
    ExpectScaledAsSampled(BenchPicture(false), opaque, sizeof opaque / sizeof opaque[0]);
    // With the alpha flag, samples past the right and bottom edges are transparent.
    const Case withAlpha[] = {
        {"halved with alpha", 1024, 1024, 0xa900c7bccc4220ull},
        {"shrunk to 1023 x 1023 with alpha", 1023, 1023, 0x6f59fd75d0bd0a99ull},
    };
    ExpectScaledAsSampled(BenchPicture(true), withAlpha, sizeof withAlpha / sizeof withAlpha[0]);
}

TEST_F(BitmapResize, TransparentPixelsScaleAsSampledOneByOneAtOddRatios) {
    const Case cases[] = {
        {"1000 x 700 to 333 x 233", 333, 233, 0x41d71403b683a220ull},
        {"1000 x 700 halved", 500, 350, 0xd13682072215d35dull},
        {"1000 x 700 shrunk by less than 1.5", 700, 500, 0xc26a2db54baaa3faull},
        {"1000 x 700 to 1000 x 700", 1000, 700, 0x7e07510eb98ef9adull},
        {"1000 x 700 to 100 x 900: area across, enlarged down", 100, 900, 0x8bff8eace578eacull},
        {"1000 x 700 to 1001 x 3", 1001, 3, 0x572f2063344b906cull},
    };
    ExpectScaledAsSampled(TransparentPicture(1000, 700), cases, sizeof cases / sizeof cases[0]);
    const Case enlarged[] = {
        {"37 x 23 to 100 x 61", 100, 61, 0xe3a99b2e18972469ull},
        {"37 x 23 to 37 x 100", 37, 100, 0x265f0c0cfd5c969dull},
        {"37 x 23 to 12 x 61", 12, 61, 0xca3d5c13bca151f3ull},
        {"37 x 23 to 1 x 1", 1, 1, 0x33c9def970def9beull},
    };
    ExpectScaledAsSampled(TransparentPicture(37, 23), enlarged, sizeof enlarged / sizeof enlarged[0]);
}

}  // namespace
