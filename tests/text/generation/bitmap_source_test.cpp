// Fonts cut out of input bitmaps made here: solid blocks of known sizes side by side, drawn at
// scale 1 and 2, so every glyph's place, size, advance and kerning is known in advance.
#include <vector>

#include "graphics/bitmaps/image_loader_portable.h"
#include "text/generation/font_source_fixture.h"

namespace generation_test {
namespace {

struct Block {
    int x, y, width, height;
};
// At scale 1: 'A', 'B', the two halves of 'C', an apostrophe, '.' and '`'.
const std::vector<Block> kBlocks = {{2, 3, 4, 8},  {9, 7, 3, 4},  {15, 5, 2, 6}, {18, 5, 2, 6},
                                    {23, 3, 2, 3}, {28, 9, 2, 2}, {31, 9, 2, 2}};
const std::string kGlyphs = "<array id=\"glyphs\"><node id=\"65\" spacing=\"1\"/><node id=\"32\" span=\"0\" spacing=\"3\"/>"
                            "<node id=\"66\"/><node id=\"67\" span=\"2\"/><node id=\"39\"/>"
                            "<node id=\"46\" tags=\"DISABLE_AUTOKERN\"/><node id=\"96\"/></array>";
const uint8_t kInk[4] = {200, 100, 50, 255};

class BitmapSource : public FontSourceTest {
protected:
    void SetUp() override {
        FontSourceTest::SetUp();
        WriteInput("fonts/glyphs1.png", 1);
        WriteInput("fonts/glyphs2.png", 2);
    }

    static void WriteInput(const std::string& path, int scale) {
        ImageLoaderImp* loader = QVI_GetImageLoader();
        Bitmap image = {};
        loader->AllocateImagePixels(&image, 34 * scale, 14 * scale);
        ASSERT_NE(image.pixels, nullptr);
        memset(image.pixels, 0, static_cast<size_t>(image.width) * image.height * 4);
        for (const Block& block : kBlocks) {
            for (int y = block.y * scale; y < (block.y + block.height) * scale; ++y) {
                for (int x = block.x * scale; x < (block.x + block.width) * scale; ++x)
                    memcpy(image.pixels + (static_cast<size_t>(y) * image.width + x) * 4, kInk, 4);
            }
        }
        EXPECT_TRUE(loader->SaveImage(&image, ("res://" + path).c_str(), 0));
        loader->FreeImagePixels(&image);
    }

    static std::string Source(const std::string& scale, const std::string& glyphs = kGlyphs,
                              const std::string& extra = "") {
        return Doc(Settings("<node id=\"VERSION\" value=\"2\"/><node id=\"SPACING\" value=\"1\"/>"
                            "<node id=\"INPUT\" bitmap=\"glyphs1.png\"/><node id=\"INPUT@2\" bitmap=\"glyphs2.png\"/>"
                            "<node id=\"OUTPUT\" scale=\"" + scale + "\"/>") +
                   glyphs + extra);
    }

    static void ExpectGlyph(const Font* font, int code, int width, int height, float offsetY, int advance) {
        SCOPED_TRACE(code);
        const FontGlyph& glyph = font->glyphs[code];
        EXPECT_EQ(glyph.image.width, width);
        EXPECT_EQ(glyph.image.height, height);
        EXPECT_EQ(glyph.offsetY, offsetY);
        EXPECT_EQ(glyph.offsetX, 0);
        EXPECT_EQ(glyph.advance, advance);
    }
};

TEST_F(BitmapSource, TheInputDrawnAtTheOutputScaleIsCutIntoGlyphsAsItIs) {
    FontPtr font = Generate("blocks", Source("2"));
    ASSERT_EQ(font->glyphCount, 256);
    EXPECT_EQ(font->isUTF8, 0);
    EXPECT_EQ(LogCapture::Count("Adjusted scale with INPUT@2 is 1."), 1);
    EXPECT_EQ(LogCapture::CountContaining("Selecting bitmap input"), 0);
    // SPACING 1 at scale 2 adds 2 to every advance, a glyph's own spacing its rounded value.
    ExpectGlyph(font.get(), 'A', 8, 16, 0, 2 + 8 + 1);
    ExpectGlyph(font.get(), 'B', 6, 8, 8, 2 + 6);
    ExpectGlyph(font.get(), 'C', 10, 12, 4, 2 + 10);
    ExpectGlyph(font.get(), '\'', 4, 6, 0, 2 + 4);
    ExpectGlyph(font.get(), '.', 4, 4, 12, 2 + 4);
    // Span 0: an advance and no image, and no column of the input used.
    ExpectGlyph(font.get(), ' ', 0, 0, 0, 3 + 2);
    EXPECT_EQ(font->glyphs[' '].image.pixels, nullptr);
    EXPECT_EQ(memcmp(font->glyphs['B'].image.pixels, kInk, 4), 0);
    ExpectSoundFont(font.get(), false);
    EXPECT_EQ(font->baseline, 13);  // nine tenths of the line, rounded

    // Solid blocks that share rows touch; an apostrophe over '`' may slide under it, but
    // not over '.', which is tagged to keep its distance.
    auto kerning = [&](int left, int right) { return font->glyphs[right].kerning[left]; };
    EXPECT_EQ(kerning('A', 'B'), 0);
    EXPECT_EQ(kerning('\'', '`'), -3);
    EXPECT_EQ(kerning('\'', '.'), 0);
    for (int other = 0; other < 256; ++other) ASSERT_EQ(font->glyphs['.'].kerning[other], 0);
}

TEST_F(BitmapSource, AnOutputScaleBetweenInputsTakesTheLargerAndShrinksIt) {
    FontPtr font = Generate("shrunk", Source("1.5"));
    EXPECT_EQ(LogCapture::Count("Selecting bitmap input 'INPUT@2' for scale 1.50x (closest match)."), 1);
    EXPECT_EQ(LogCapture::Count("Adjusted scale with INPUT@2 is 0.75."), 1);
    const FontGlyph& a = font->glyphs['A'];
    EXPECT_NEAR(a.image.width, 6, 1);
    EXPECT_NEAR(a.image.height, 12, 1);
    EXPECT_NE(font->glyphs['C'].image.pixels, nullptr);
}

// An input is drawn at the scale its id names, however large or small; only a scale that is
// no scale (0, below 0, a division by zero) is taken as 1, and an input that would have to
// grow past any size fails instead of wrapping round.
TEST_F(BitmapSource, AnInputIsTakenAtAnyPositiveScaleItNames) {
    // The input named first (glyphs2.png, 'A' 8 x 16) is chosen over plain INPUT.
    auto source = [](const std::string& input, const std::string& output) {
        return Doc(Settings("<node id=\"VERSION\" value=\"2\"/><node id=\"" + input +
                            "\" bitmap=\"glyphs2.png\"/><node id=\"INPUT\" bitmap=\"glyphs1.png\"/>"
                            "<node id=\"OUTPUT\" scale=\"" + output + "\"/>") +
                   "<array id=\"glyphs\"><node id=\"65\"/></array>");
    };
    const struct { const char* input; const char* output; const char* adjusted; int width; bool invalid; } cases[] = {
        {"INPUT@20", "10", "0.5", 4, false},     {"INPUT@0.0005", "0.001", "2", 16, false},
        {"INPUT@4/2", "1.5", "0.75", 6, false},  {"INPUT@0", "2", "2", 16, true},
        {"INPUT@-2", "1", "1", 8, true},         {"INPUT@1/0", "1", "1", 8, true},
    };
    int made = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        LogCapture::Clear();
        FontPtr font = Generate("scaled" + std::to_string(made++), source(c.input, c.output));
        EXPECT_EQ(LogCapture::Count(std::string("Adjusted scale with ") + c.input + " is " + c.adjusted + "."), 1);
        EXPECT_EQ(LogCapture::Count(std::string("Font input '") + c.input + "' has an invalid scale; taken as 1."),
                  c.invalid ? 1 : 0);
        ASSERT_NE(font->glyphs, nullptr);
        EXPECT_NEAR(font->glyphs['A'].image.width, c.width, 1);
        EXPECT_NEAR(font->glyphs['A'].image.height, 2 * c.width, 1);
    }
    // A billion times larger: a size past the int range, refused by the resizer.
    bool generated = true;
    Generate("vast", source("INPUT@1e-12", "0.001"), &generated);
    EXPECT_FALSE(generated);
    EXPECT_EQ(LogCapture::Count("Adjusted scale with INPUT@1e-12 is 1e+09."), 1);
    EXPECT_EQ(LogCapture::CountPopups("Failed to generate font from source 'fonts/vast.xml': The input bitmap could "
                                      "not be resized to the output scale."),
              1);
}

TEST_F(BitmapSource, GradientRunsDownTheLineAndKeepsAlpha) {
    FontPtr font = Generate("tinted", Source("2", kGlyphs,
                                             "<array id=\"effects\"><node color_top=\"FF0000\" "
                                             "color_bottom=\"0000FF\"/></array>"));
    const FontGlyph& a = font->glyphs['A'];
    auto pixel = [&](int y) { return a.image.pixels + static_cast<size_t>(y) * a.image.width * 4; };
    // Row 0 is the top of the line, t = 0; the last rows lie below the line (t > 1) and are
    // clamped, not wrapped.
    EXPECT_EQ(pixel(0)[0], 0);
    EXPECT_EQ(pixel(0)[2], 255);
    EXPECT_EQ(pixel(a.image.height - 1)[0], 255);
    EXPECT_EQ(pixel(a.image.height - 1)[2], 0);
    for (int y = 1; y < a.image.height; ++y) {
        EXPECT_GE(pixel(y)[0], pixel(y - 1)[0]);
        EXPECT_EQ(pixel(y)[3], 255);
    }
}

TEST_F(BitmapSource, GlyphListsThatDoNotMatchTheBitmapAreReported) {
    FontPtr few = Generate("few", Source("2", "<array id=\"glyphs\"><node id=\"65\"/><node/>"
                                              "<node id=\"300\"/></array>"));
    EXPECT_EQ(few->glyphs['A'].image.width, 8);
    EXPECT_EQ(LogCapture::CountPopups("Input bitmap for 'fonts/few' has 6 unused pixel blocks - all glyphs may not "
                                      "have been read properly! Hint: check the (\") character on different inputs."),
              1);
    EXPECT_EQ(LogCapture::CountPopups("No id defined for glyph #1 in font 'fonts/few'"), 1);
    EXPECT_EQ(LogCapture::CountPopups("Font 'fonts/few' Glyph #2 index 300 is out of bounds"), 1);

    bool generated = true;
    Generate("many", Source("2", kGlyphs.substr(0, kGlyphs.size() - 8) + "<node id=\"70\"/></array>"), &generated);
    EXPECT_FALSE(generated);
    EXPECT_EQ(LogCapture::CountPopups("Failed to generate font from source 'fonts/many.xml': Array 'glyphs' is "
                                      "missing or has bad parms - check the font source."),
              1);
    Generate("noglyphs", Source("2", ""), &generated);
    EXPECT_FALSE(generated);
    // A negative span takes no column at all; a vast one takes what is left.
    Generate("backwards", Source("2", "<array id=\"glyphs\"><node id=\"65\" span=\"-3\"/></array>"), &generated);
    EXPECT_FALSE(generated);
    FontPtr rest = Generate("rest", Source("2", "<array id=\"glyphs\"><node id=\"65\" span=\"99999999999\"/></array>"));
    EXPECT_EQ(rest->glyphs['A'].image.width, 68 - 4);  // to the image's right edge
}

}  // namespace
}  // namespace generation_test
