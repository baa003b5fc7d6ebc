// The pieces a glyph passes through on their own: a coverage image as FreeType stores it
// (either row order) turned into pixels, and the kerning of glyphs far wider than a byte.
#include "text/generation/font_source_fixture.h"

namespace generation_test {
namespace {

using GlyphPieces = quaven_test::EngineTableTest;

TEST_F(GlyphPieces, CoverageRowsAreReadByTheirPitchInEitherOrder) {
    // Three pixels a row, four bytes apart; a negative pitch stores the bottom row first.
    const uint8_t bottomFirst[8] = {10, 20, 200, 99, 100, 170, 0, 99};
    Bitmap image = {};
    ASSERT_TRUE(QVI_ConvertGlyphToBitmap(bottomFirst, 3, 2, -4, &image, 1));
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 4);
    auto alpha = [&](int x, int y) { return image.pixels[(y * image.width + x) * 4 + 3]; };
    const int expected[4][5] = {{0, 0, 0, 0, 0}, {0, 150, 255, 0, 0}, {0, 15, 30, 255, 0}, {0, 0, 0, 0, 0}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(alpha(x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(image.pixels[(1 * 5 + 1) * 4], 255);  // ink is white
    EXPECT_EQ(image.pixels[0], 0);                  // the border is clear

    const uint8_t topFirst[8] = {100, 170, 0, 99, 10, 20, 200, 99};
    Bitmap same = {};
    ASSERT_TRUE(QVI_ConvertGlyphToBitmap(topFirst, 3, 2, 4, &same, 1));
    EXPECT_EQ(memcmp(same.pixels, image.pixels, 5 * 4 * 4), 0);

    // A pitch shorter than a row, an empty image or a negative border are refused.
    EXPECT_FALSE(QVI_ConvertGlyphToBitmap(topFirst, 3, 2, 2, &same, 0));
    EXPECT_FALSE(QVI_ConvertGlyphToBitmap(topFirst, 0, 2, 4, &same, 0));
    EXPECT_FALSE(QVI_ConvertGlyphToBitmap(topFirst, 3, 2, 4, &same, -1));
    EXPECT_FALSE(QVI_ConvertGlyphToBitmap(nullptr, 3, 2, 4, &same, 0));
    free(image.pixels);
    free(same.pixels);
}

TEST_F(GlyphPieces, KerningBeyondASignedByteIsClampedAndReported) {
    FontPtr font = NewFont("wide");
    ASSERT_TRUE(QVI_AllocateFontGlyphs(font.get(), 256));
    // Two 300-pixel bars on rows far apart: nothing stops the second sliding under the first.
    for (int code : {int('a'), int('b')}) {
        FontGlyph& glyph = font->glyphs[code];
        ASSERT_TRUE(QVI_ConvertGlyphToBitmap(std::vector<uint8_t>(300 * 4, 255).data(), 300, 4, 300, &glyph.image, 0));
        glyph.offsetY = code == 'a' ? 0.0f : 10.0f;
    }
    // Ink that starts two columns in leaves a gap of two.
    FontGlyph& c = font->glyphs['c'];
    std::vector<uint8_t> coverage(6 * 4, 255);
    for (int y = 0; y < 4; ++y) coverage[y * 6] = coverage[y * 6 + 1] = 0;
    ASSERT_TRUE(QVI_ConvertGlyphToBitmap(coverage.data(), 6, 4, 6, &c.image, 0));
    for (int i = 0; i < 256; ++i) font->glyphs[i].kerning = static_cast<int8_t*>(calloc(256, 1));

    const int zone = 2;
    EXPECT_EQ(QVI_DetermineKernPairs(font.get(), 'a', 'b', &zone, 0.75f), -299);
    EXPECT_EQ(QVI_DetermineKernPairs(font.get(), 'a', 'c', &zone, 0.75f), -2);
    EXPECT_EQ(QVI_DetermineKernPairs(font.get(), 'a', 999, &zone, 0.75f), 0);
    QVI_ApplyAutomaticKerning(font.get(), zone, 0.75f);
    EXPECT_EQ(font->glyphs['b'].kerning['a'], -127);
    EXPECT_EQ(font->glyphs['c'].kerning['a'], -2);
    EXPECT_EQ(LogCapture::CountPopupsContaining("for chars #97 and #98 has too large padding (-299)"), 1);
}

}  // namespace
}  // namespace generation_test
