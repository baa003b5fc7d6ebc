// Fonts generated from DejaVu Sans through FreeType: LATIN-1 by byte, UTF-8 from a strings
// file, distance fields, styles, and sources that are broken in the ways games break them.
#include <algorithm>
#include <climits>
#include <set>

#include "text/generation/font_source_fixture.h"

namespace generation_test {
namespace {

const std::string kTrueType = "<node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" size_px=\"22\"/>";

int Kerning(const Font* font, int left, int right) { return font->glyphs[right].kerning[left]; }

using TrueTypeSource = FontSourceTest;

TEST_F(TrueTypeSource, LatinFontHasAGlyphPerByteKernedPairsAndSoundMetrics) {
    FontPtr font = Generate("latin", Doc(Settings("<node id=\"VERSION\" value=\"2\"/>" + kTrueType)));
    ASSERT_EQ(font->glyphCount, 256);
    EXPECT_EQ(font->isUTF8, 0);
    EXPECT_EQ(font->scale, 1.0f);
    ExpectSoundFont(font.get());
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(font->glyphs[i].codePoint, static_cast<uint32_t>(i));
        ASSERT_NE(font->glyphs[i].kerning, nullptr) << i;
    }
    for (int c : {int('A'), int('g'), 0xE9 /* e acute */, 0xFF /* y diaeresis */})
        EXPECT_NE(font->glyphs[c].image.pixels, nullptr) << c;
    // Sloped sides tuck in; the unkerned glyphs neither kern nor are kerned.
    EXPECT_LT(Kerning(font.get(), 'A', 'V'), 0);
    EXPECT_LT(Kerning(font.get(), 'T', 'o'), Kerning(font.get(), 'H', 'o'));
    for (int unkerned : {int(' '), int('-'), int('_'), 0xA0}) {
        for (int other = 0; other < 256; ++other) {
            ASSERT_EQ(Kerning(font.get(), unkerned, other), 0);
            ASSERT_EQ(Kerning(font.get(), other, unkerned), 0);
        }
    }
    // Space and no-break space advance without an image; a line holds ascenders and descenders.
    EXPECT_EQ(font->glyphs[' '].image.pixels, nullptr);
    EXPECT_GT(font->glyphs[' '].advance, 0);
    EXPECT_EQ(font->glyphs[' '].advance, font->glyphs[0xA0].advance);
    const FontGlyph& g = font->glyphs['g'];
    const FontGlyph& x = font->glyphs['x'];
    EXPECT_GT(g.offsetY + g.image.height, x.offsetY + x.image.height);
    EXPECT_GT(font->glyphs['W'].advance, font->glyphs['i'].advance);
    // DEL and the C1 control codes have no glyphs in the face: each is reported, and nothing
    // else is (the blanks 32 and 160 have no image either and are not missing).
    EXPECT_EQ(font->glyphs[0x80].image.pixels, nullptr);
    EXPECT_EQ(font->glyphs[0xA0].image.pixels, nullptr);
    EXPECT_EQ(LogCapture::CountPopupsContaining("is missing!"), 159 - 127 + 1);
    EXPECT_EQ(LogCapture::CountPopups("Font 'fonts/latin' glyph #127 unicode 127 (0x7f) is missing!", QV_LOG_ERROR), 1);
    EXPECT_EQ(LogCapture::CountPopups("Font 'fonts/latin' glyph #159 unicode 159 (0x9f) is missing!"), 1);
}


TEST_F(TrueTypeSource, Utf8FontHoldsTheCharactersItsTranslationsNeedInCodePointOrder) {
    PutFile("fonts/lang/strings.xml",
            Doc("<array id=\"STRINGS\"><node id=\"greeting\" to=\"Привет\"/><node from=\"bye\"/>"
                "<node to=\"x\"/></array>"));
    FontPtr font = Generate(
        "utf8", Doc(Settings("<node id=\"VERSION\" value=\"2\"/><node id=\"SPACING\" value=\"2\"/>"
                             "<node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" size_px=\"20\" strings=\"./lang/strings.xml\" "
                             "character_sets=\"polish\"/>") +
                    "<array id=\"additional_utf_characters\"><node id=\"€\"/></array>"));
    EXPECT_EQ(font->isUTF8, 1);
    // 89 fixed characters, six Cyrillic letters, 18 Polish letters and the euro sign.
    ASSERT_EQ(font->glyphCount, 89 + 6 + 18 + 1);
    std::set<uint32_t> codePoints;
    for (int i = 0; i < font->glyphCount; ++i) {
        if (i > 0) ASSERT_GT(font->glyphs[i].codePoint, font->glyphs[i - 1].codePoint);
        EXPECT_EQ(font->glyphs[i].kerning, nullptr);
        codePoints.insert(font->glyphs[i].codePoint);
    }
    for (uint32_t c = 0x20; c <= 0x7E; ++c)
        EXPECT_EQ(codePoints.count(c), std::string("%:;`{}~").find(static_cast<char>(c)) == std::string::npos ? 1u : 0u);
    for (uint32_t c : {0xA0u, 0x41Fu, 0x440u, 0x442u, 0x141u, 0x20ACu}) EXPECT_EQ(codePoints.count(c), 1u) << c;
    ExpectSoundFont(font.get());
    EXPECT_NE(Find(font.get(), 0x41F)->image.pixels, nullptr);
    // Glyphs beyond LATIN-1 step one pixel past their image, and SPACING widens them.
    const FontGlyph* pe = Find(font.get(), 0x41F);
    EXPECT_EQ(pe->advance, pe->image.width + 1 + 2);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Node #1 is missing 'to', has 'from' instead."), 1);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Node #2 is missing 'id', has 'to' instead."), 1);
}

TEST_F(TrueTypeSource, DistanceFieldFontsNeedVersionTwoAndASpread) {
    const std::string field = "<node id=\"DISTANCE_FIELD\" size_px=\"16\" spread=\"3\" scale=\"2\" smoothing=\"0.2\"/>";
    const std::string input = "<node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" size_px=\"24\" strings=\"!fixed\"/>";
    FontPtr font = Generate("field", Doc(Settings("<node id=\"VERSION\" value=\"2\"/>" + input + field)));
    EXPECT_EQ(font->glyphCount, 89);
    EXPECT_TRUE(font->flags & FONT_DISTANCE_FIELD);
    EXPECT_EQ(font->spread, 3.0f);
    EXPECT_FLOAT_EQ(font->smoothing, 0.2f);
    EXPECT_FLOAT_EQ(font->scale, 24.0f / 16.0f);
    ExpectSoundFont(font.get(), true, false);
    // Rendered at 16 pixels with the spread around it: the edge fades out over the border.
    const FontGlyph* o = Find(font.get(), 'O');
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->offsetX, -3);
    EXPECT_GT(o->image.width, 12 + 2 * 3 - 2);
    EXPECT_LT(o->image.width, 16 + 2 * 3 + 2);
    const int middle = o->image.height / 2;
    EXPECT_EQ(Alpha(*o, 0, middle), 0);
    int rises = 0;
    for (int x = 1; x < o->image.width / 2; ++x) rises += Alpha(*o, x, middle) > Alpha(*o, x - 1, middle);
    EXPECT_GE(rises, 3);

    bool generated = true;
    FontPtr old = Generate("old", Doc(Settings(input + field)), &generated);
    EXPECT_FALSE(generated);
    EXPECT_EQ(LogCapture::CountPopups("Failed to generate font from source 'fonts/old.xml': Distance field support "
                                      "requires font database version 2 or later."),
              1);
    Generate("no_spread", Doc(Settings("<node id=\"VERSION\" value=\"2\"/>" + input +
                                       "<node id=\"DISTANCE_FIELD\" spread=\"0\"/>")),
             &generated);
    EXPECT_FALSE(generated);
    EXPECT_EQ(LogCapture::CountPopupsContaining("no_spread.xml': Distance field spread is invalid."), 1);
}

// Sizes are the source's to choose: a display font of 600 pixels, and a distance field of
// spread 10 rendered 16 times larger, generate (each with one glyph, to keep it quick).
TEST_F(TrueTypeSource, LargeFontsAndWideSupersampledDistanceFieldsGenerate) {
    const std::string version = "<node id=\"VERSION\" value=\"2\"/>";
    FontPtr display = Generate("display", Doc(Settings(version + "<node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" "
                                                                 "size_px=\"600\"/>") +
                                              "<array id=\"glyphs\"><node id=\"72\"/></array>"));
    const FontGlyph& h = display->glyphs['H'];
    ASSERT_NE(h.image.pixels, nullptr);
    EXPECT_NEAR(h.image.height, 600 * 0.73, 30) << "DejaVu's capitals stand 0.73 of the size";
    EXPECT_GT(display->height, 400);
    EXPECT_EQ(display->glyphs['I'].image.pixels, nullptr) << "only the glyphs the source names";

    FontPtr field = Generate("wide_field", Doc(Settings(version + kTrueType +
                                                        "<node id=\"DISTANCE_FIELD\" spread=\"10\" scale=\"16\"/>") +
                                               "<array id=\"glyphs\"><node id=\"79\"/></array>"));
    const FontGlyph& o = field->glyphs['O'];
    ASSERT_NE(o.image.pixels, nullptr);
    EXPECT_EQ(o.offsetX, -10);
    EXPECT_EQ(field->spread, 10.0f);
    EXPECT_GT(o.image.width, 2 * 10 + 10);
    // Nearly nothing at the image's edge, a spread away from the outline; above the edge's
    // half inside the ring.
    const int middle = o.image.height / 2;
    EXPECT_LT(Alpha(o, 0, middle), 10);
    int highest = 0;
    for (int x = 0; x < o.image.width / 2; ++x) highest = std::max<int>(highest, Alpha(o, x, middle));
    EXPECT_GT(highest, 128);

    // A negative spread is the source's own: it is no distance field, but it is kept.
    FontPtr negative = Generate("negative_spread", Doc(Settings(version + kTrueType +
                                                               "<node id=\"DISTANCE_FIELD\" spread=\"-2\"/>") +
                                                      "<array id=\"glyphs\"><node id=\"79\"/></array>"));
    EXPECT_EQ(negative->spread, -2.0f);
    EXPECT_NE(negative->glyphs['O'].image.pixels, nullptr);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Failed to generate font"), 0);
}

TEST_F(TrueTypeSource, AllCapsDrawsSmallLettersAsCapitalsAndBoldStillRenders) {
    FontPtr font = Generate("caps", Doc(Settings(
                                        "<node id=\"VERSION\" value=\"2\"/><node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" "
                                        "style=\"BOLD,ALL_CAPS\"/>")));
    ExpectSoundFont(font.get());
    const FontGlyph& small = font->glyphs['q'];
    const FontGlyph& capital = font->glyphs['Q'];
    ASSERT_EQ(small.image.width, capital.image.width);
    ASSERT_EQ(small.image.height, capital.image.height);
    EXPECT_EQ(memcmp(small.image.pixels, capital.image.pixels, small.image.width * small.image.height * 4), 0);
    EXPECT_EQ(small.offsetY, capital.offsetY);
    // Only 'a' to 'z' are mapped.
    EXPECT_NE(font->glyphs[0xE4].image.height, font->glyphs[0xC4].image.height);
}

TEST_F(TrueTypeSource, BrokenSourcesFailWithTheirReasonAndOutOfRangeScalesFallBackToOne) {
    const std::string version = "<node id=\"VERSION\" value=\"2\"/>";
    struct Case {
        std::string name, source, reason;
    } cases[] = {
        {"missing_ttf", Doc(Settings(version + "<node id=\"INPUT\" ttf=\"Nowhere.ttf\"/>")),
         "The TrueType file was not found."},
        {"corrupt_ttf", Doc(Settings(version + "<node id=\"INPUT\" ttf=\"Corrupt.ttf\"/>")),
         "Rendering the TrueType file failed."},
        {"no_settings", Doc("<array id=\"glyphs\"><node id=\"65\"/></array>"),
         "Array 'settings' is missing or has bad parms - check the font source."},
        {"no_input", Doc(Settings(version)), "Array 'settings' is missing or has bad parms - check the font source."},
        {"version_zero", Doc(Settings("<node id=\"VERSION\" value=\"0\"/>" + kTrueType)),
         "Font database is of invalid version."},
        {"not_xml", "this is no database", "Font database not found or doesn't contain any arrays."},
        {"huge_size", Doc(Settings(version + "<node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" size_px=\"1e12\"/>")),
         "Rendering the TrueType file failed."},
        {"no_supersampling",
         Doc(Settings(version + kTrueType + "<node id=\"DISTANCE_FIELD\" spread=\"2\" scale=\"0\"/>")),
         "Rendering the TrueType file failed."},
        {"no_size", Doc(Settings(version + "<node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" size_px=\"-3\"/>")),
         "Rendering the TrueType file failed."},
    };
    PutFile("fonts/Corrupt.ttf", std::string("\0\1\0\0garbage", 11) + std::string(3000, '\x7f'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool generated = true;
        FontPtr font = Generate(c.name, c.source, &generated);
        EXPECT_FALSE(generated);
        EXPECT_EQ(LogCapture::CountPopups("Failed to generate font from source 'fonts/" + c.name + ".xml': " + c.reason),
                  1);
    }
    EXPECT_EQ(LogCapture::CountPopupsContaining("FT_New_Face error"), 1);

    // Absurd numbers saturate instead of overflowing.
    FontPtr wild = Generate("wild", Doc(Settings(version + kTrueType +
                                                 "<node id=\"Y_SAFEZONE\" value=\"2000000000\"/>"
                                                 "<node id=\"Y_OFFSET\" value=\"99999999999\"/>"
                                                 "<node id=\"FONT_HEIGHT_MULTIPLIER\" value=\"1e30\"/>"
                                                 "<node id=\"LINE_PADDING_OFFSET\" value=\"1e20\"/>")));
    EXPECT_EQ(wild->lineSpacing, INT_MAX);

    FontPtr plain = Generate("plain", Doc(Settings(version + kTrueType)));
    for (const std::string scale : {"0", "20"}) {
        FontPtr font = Generate("scale" + scale,
                                Doc(Settings(version + kTrueType + "<node id=\"OUTPUT\" scale=\"" + scale + "\"/>")));
        EXPECT_EQ(LogCapture::CountPopups("QVI_GenerateFontFromSource: scale factor " + scale + " for font fonts/scale" +
                                          scale + " is invalid. Use values > 0 and < 10."),
                  1);
        EXPECT_EQ(font->height, plain->height);
        EXPECT_EQ(font->glyphs['M'].image.width, plain->glyphs['M'].image.width);
    }
    FontPtr half = Generate("half", Doc(Settings(version + kTrueType + "<node id=\"OUTPUT\" scale=\"3/2\"/>")));
    EXPECT_NEAR(half->glyphs['M'].image.height, plain->glyphs['M'].image.height * 1.5, 1.0);
}

TEST_F(TrueTypeSource, KerningTableAgreesWithEachPairMeasuredAlone) {
    FontPtr font = Generate("pairs", Doc(Settings("<node id=\"VERSION\" value=\"2\"/><node id=\"Y_SAFEZONE\" "
                                                  "value=\"3\"/><node id=\"AUTO_KERN_THRESHOLD\" value=\"0.5\"/>" +
                                                  kTrueType)));
    const int zone = 3;
    int kerned = 0;
    for (int a = 33; a < 256; ++a) {
        for (int b = 33; b < 256; ++b) {
            if (a == '-' || a == '_' || a == 0xA0 || b == '-' || b == '_' || b == 0xA0) continue;
            const int alone = std::max(-127, QVI_DetermineKernPairs(font.get(), a, b, &zone, 0.5f));
            ASSERT_EQ(Kerning(font.get(), a, b), alone) << a << " " << b;
            kerned += alone != 0;
        }
    }
    EXPECT_GT(kerned, 1000);
}

TEST_F(TrueTypeSource, KerningOfALineTallerThanAByteAgreesWithEachPairMeasuredAlone) {
    // A wide safe zone at a large size makes the line's rows too many to be measured in bytes.
    FontPtr font = Generate("tall", Doc(Settings("<node id=\"VERSION\" value=\"2\"/><node id=\"Y_SAFEZONE\" "
                                                 "value=\"90\"/><node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" "
                                                 "size_px=\"90\"/>") +
                                        "<array id=\"glyphs\"><node id=\"65\"/><node id=\"86\"/><node id=\"84\"/>"
                                        "<node id=\"111\"/><node id=\"46\"/><node id=\"96\"/></array>"));
    const int zone = 90;
    const int codes[] = {'A', 'V', 'T', 'o', '.', '`'};
    for (int a : codes) {
        for (int b : codes) {
            const int alone = std::max(-127, QVI_DetermineKernPairs(font.get(), a, b, &zone, 0.75f));
            EXPECT_EQ(Kerning(font.get(), a, b), alone) << a << " " << b;
        }
    }
    EXPECT_LT(Kerning(font.get(), 'A', 'V'), 0);
}

}  // namespace
}  // namespace generation_test
