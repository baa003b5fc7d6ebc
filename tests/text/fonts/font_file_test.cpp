// .mft files as a game meets them: fonts saved and loaded through the API table, files of
// every older version written from the format's tables, and damaged or hostile files that
// must leave an empty font and a log line.
#include <cstdlib>

#include "filesystem/paths.h"
#include "support/files.h"
#include "text/fonts/font_fixture.h"

namespace font_test {
namespace {

using quaven_test::LogCapture;
using FontFile = FontTest;

// A hand-built UTF-8 font: fractional offsets, one kerning row, pixels of known colours.
void BuildHandFont(Font* font) {
    ASSERT_TRUE(QVI_AllocateFontGlyphs(font, 3));
    font->isUTF8 = 1, font->baseline = 9, font->height = 12, font->lineSpacing = 14;
    font->spread = 0.0f, font->smoothing = 0.5f, font->scale = 1.0f;
    const uint32_t codes[3] = {'A', 0x416, ' '};
    for (int i = 0; i < 3; ++i) {
        FontGlyph& g = font->glyphs[i];
        g.codePoint = codes[i], g.offsetY = 1.25f * i, g.offsetX = int16_t(i - 1), g.advance = int16_t(5 + i);
        if (i == 2) continue;
        g.image.width = 2 + i, g.image.height = 3;
        g.image.pixels = static_cast<uint8_t*>(malloc(size_t(g.image.width) * 3 * 4));
        for (int p = 0; p < g.image.width * 3 * 4; ++p) g.image.pixels[p] = uint8_t(p * 7 + i);
    }
    font->glyphs[0].kerning = static_cast<int8_t*>(calloc(3, 1));
    font->glyphs[0].kerning[1] = -3, font->glyphs[0].kerning[2] = 2;
}

TEST_F(FontFile, ASavedFontReadsBackAsItWasAndWritesTheSameBytes) {
    Font* hand = qv->LoadFont("!hand");
    ASSERT_NE(hand, nullptr);
    BuildHandFont(hand);
    ASSERT_TRUE(qv->SaveFont(hand, "res://hand.mft"));
    const std::string saved = Get("hand.mft");
    EXPECT_EQ(saved.compare(0, 18, std::string("TAV_Font_v7\0UTF-8\0", 18)), 0);
    EXPECT_EQ(Get("hand.mft..tmp"), "") << "the temporary file is gone";

    Font* font = qv->LoadFont("res://hand.mft");
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->glyphCount, 3);
    EXPECT_TRUE(font->isUTF8 && font->baseline == 9 && font->height == 12 && font->lineSpacing == 14);
    EXPECT_EQ(font->smoothing, 0.5f);
    for (int i = 0; i < 3; ++i) {
        const FontGlyph &a = hand->glyphs[i], &b = font->glyphs[i];
        EXPECT_TRUE(a.codePoint == b.codePoint && a.offsetY == b.offsetY && a.offsetX == b.offsetX &&
                    a.advance == b.advance && a.image.width == b.image.width && a.image.height == b.image.height)
            << "glyph " << i;
        if (a.image.pixels) {
            EXPECT_EQ(memcmp(a.image.pixels, b.image.pixels, size_t(a.image.width) * 3 * 4), 0);
        }
        EXPECT_EQ(b.image.format, QV_TEXTURE_FORMAT_RGBA8);
    }
    ASSERT_NE(font->glyphs[0].kerning, nullptr);
    EXPECT_EQ(memcmp(font->glyphs[0].kerning, hand->glyphs[0].kerning, 3), 0);
    EXPECT_EQ(font->glyphs[1].kerning, nullptr) << "no row where the file has none";
    EXPECT_EQ(LogCapture::Count("Font size 12px."), 1);

    ASSERT_TRUE(qv->SaveFont(font, "res://again.mft"));
    EXPECT_EQ(Get("again.mft"), saved);
}

TEST_F(FontFile, OlderVersionsReadWithTheirConversions) {
    const GlyphSpec blank = {0, 0, 0, 0, 0, 0, {0, 0, 0, 0}, {}};
    auto spec = [&](int i) {
        GlyphSpec g = blank;
        if (i == 'A') g = {0, 3, 1, 7, 2, 2, {200, 100, 50, 255}, {1, -2}};
        return g;
    };
    for (int version : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE(version);
        const std::string name = "v" + std::to_string(version) + ".mft";
        Put(name, OldFile(version, spec).data);
        Font* font = qv->LoadFont(("res://" + name).c_str());
        ASSERT_NE(font, nullptr);
        ASSERT_EQ(font->glyphCount, 256);
        EXPECT_EQ(font->glyphs[200].codePoint, 200u);
        const FontGlyph& a = font->glyphs['A'];
        EXPECT_EQ(a.offsetY, 3.0f);
        EXPECT_EQ(a.offsetX, version >= 2 ? 1 : 0);
        EXPECT_EQ(a.advance, version >= 3 ? 7 : 3) << "versions 1 and 2 advance by width + 1";
        ASSERT_NE(a.image.pixels, nullptr);
        EXPECT_TRUE(a.image.pixels[0] == 200 && a.image.pixels[1] == 100 && a.image.pixels[2] == 50) << "red first";
        if (version >= 4) {
            ASSERT_NE(a.kerning, nullptr);
            EXPECT_TRUE(a.kerning[0] == 1 && a.kerning[1] == -2);
        } else {
            EXPECT_EQ(a.kerning, nullptr) << "no kerning before version 4";
        }
        EXPECT_TRUE(font->atlas.hardware.loaded) << "packed and uploaded";
    }

    Bytes v6 = CurrentHeader(6, "UTF-8", 2);
    CurrentGlyph(v6, 6, {0x41, -2, 1, 6, 1, 1, {1, 2, 3, 4}, {0, 5}});
    CurrentGlyph(v6, 6, {0x20AC, 4, 0, 8, 0, 0, {}, {}});
    Put("v6.mft", v6.data);
    Font* font = qv->LoadFont("res://v6.mft");
    ASSERT_TRUE(font && font->glyphCount == 2 && font->isUTF8);
    EXPECT_TRUE(font->glyphs[0].offsetY == -2.0f && font->glyphs[1].offsetY == 4.0f);
    EXPECT_TRUE(font->glyphs[1].codePoint == 0x20AC && font->glyphs[1].image.pixels == nullptr);
    EXPECT_TRUE(font->glyphs[0].kerning && font->glyphs[0].kerning[1] == 5 && !font->glyphs[1].kerning);
    EXPECT_EQ(font->flags & FONT_DISTANCE_FIELD, 0);
}

// Versions 1 to 4 store blue first, 5 to 7 red first: every version's pixels reach a
// red-first and a blue-first device in the device's own order. The tests' renderer keeps the
// bytes it is given, so a blue-first device's texel reads back blue in its first byte.
TEST_F(FontFile, EveryVersionsPixelsReachTheDeviceInTheDevicesChannelOrder) {
    const GlyphSpec a = {'A', 3, 1, 7, 2, 2, {200, 100, 50, 255}, {}};
    for (int order : {QV_PIXEL_ORDER_RGBA, QV_PIXEL_ORDER_BGRA}) {
        renderer_.pixelChannelOrder = order;
        ASSERT_TRUE(QVI_InitRenderer());
        const Rgba8 expected = order == QV_PIXEL_ORDER_BGRA ? Rgba8{50, 100, 200, 255} : Rgba8{200, 100, 50, 255};
        for (int version = 1; version <= 7; ++version) {
            SCOPED_TRACE("order " + std::to_string(order) + ", version " + std::to_string(version));
            Bytes file;
            if (version < 6) {
                file = OldFile(version, [&](int i) { return i == 'A' ? a : GlyphSpec{uint32_t(i), 0, 0, 0, 0, 0, {}, {}}; });
            } else {
                file = CurrentHeader(version, "LATIN-1", 256);
                for (uint32_t i = 0; i < 256; ++i)
                    CurrentGlyph(file, version, i == 'A' ? a : GlyphSpec{i, 0, 0, 0, 0, 0, {}, {}});
            }
            const std::string name = "order" + std::to_string(order) + "v" + std::to_string(version) + ".mft";
            Put(name, file.data);
            Font* font = qv->LoadFont(("res://" + name).c_str());
            ASSERT_TRUE(font && font->glyphCount == 256 && font->glyphs['A'].image.pixels);
            const uint8_t* pixel = font->glyphs['A'].image.pixels;
            EXPECT_EQ((Rgba8{pixel[0], pixel[1], pixel[2], pixel[3]}), expected);
            ASSERT_TRUE(font->atlas.hardware.loaded);
            EXPECT_EQ(AtlasTexel(Texture(&font->atlas), font->glyphs['A'], 1, 1), expected);
        }
    }
    renderer_.pixelChannelOrder = QV_PIXEL_ORDER_RGBA;
    ASSERT_TRUE(QVI_InitRenderer());
}

TEST_F(FontFile, DamagedAndHostileFilesLeaveAnEmptyFont) {
    Bytes good = CurrentHeader(7, "UTF-8", 2, 4.0f);
    CurrentGlyph(good, 7, {0x41, 1.5f, 0, 6, 2, 2, {9, 9, 9, 9}, {3, -1}});
    CurrentGlyph(good, 7, {0x42, 0.5f, 0, 6, 1, 1, {8, 8, 8, 8}, {}});
    Put("f.mft", good.data);
    Font* font = qv->LoadFont("res://f.mft");
    ASSERT_TRUE(font && font->glyphCount == 2 && (font->flags & FONT_DISTANCE_FIELD));

    auto expectEmpty = [&](const std::string& contents, const std::string& what) {
        Put("f.mft", contents);
        LogCapture::Clear();
        EXPECT_FALSE(QVI_LoadFontFile(font, font->header.name)) << what;
        EXPECT_TRUE(font->glyphCount == 0 && !font->glyphs && font->height == 0) << what;
        EXPECT_FALSE(font->flags & FONT_DISTANCE_FIELD) << what;
        EXPECT_GE(LogCapture::CountContaining("Font 'res://f.mft'"), 1) << what;
    };
    // Cut at every byte: every field of the header and of both glyph records.
    for (size_t cut = 0; cut < good.data.size(); ++cut)
        expectEmpty(good.data.substr(0, cut), "cut at " + std::to_string(cut));

    expectEmpty(CurrentHeader(7, "UTF-8", 0x7FFFFFFF).data, "two billion glyphs");
    expectEmpty(CurrentHeader(7, "UTF-8", -5).data, "a negative count");
    expectEmpty(CurrentHeader(7, "LATIN-1", 255).Fill(255 * 17, 0).data, "LATIN-1 without 256 glyphs");
    Bytes huge = CurrentHeader(7, "UTF-8", 1);
    huge.U32('A').F32(0).U16(0).U16(0).U8(0).U16(65535).U16(65535).Fill(64, 1);
    expectEmpty(huge.data, "a 65535 x 65535 image");
    Bytes wideKerning = CurrentHeader(6, "UTF-8", 1);
    wideKerning.U32('A').U16(0).U16(0).U16(0).U8(1);
    expectEmpty(wideKerning.data, "a glyph record past the end");
    Bytes endless;
    endless.Raw("TAV_Font_v7", 11).U8(0).Fill(600, 'A').U8(0).Fill(64, 0);
    expectEmpty(endless.data, "an encoding without its end");
    expectEmpty(OldFile(5, [](int) { return GlyphSpec{0, 0, 0, 0, 3, 3, {1, 1, 1, 1}, {}}; }).data.substr(0, 700),
                "a version 5 file cut short");

    Put("f.mft", "TAV_Font_vX\0junk");
    EXPECT_FALSE(QVI_LoadFontFile(font, font->header.name));
    EXPECT_EQ(LogCapture::CountPopupsContaining("Font 'res://f.mft' has invalid header ('TAV_Font_vX')"), 1);

    // A good file read into the same record afterwards is whole again.
    Put("f.mft", good.data);
    EXPECT_TRUE(qv->ReloadFont(font));
    EXPECT_TRUE(font->glyphCount == 2 && font->glyphs[0].kerning[0] == 3 && font->atlas.hardware.loaded);
}

TEST_F(FontFile, ASaveThatCannotBeReadBackOrCannotOpenItsFileFails) {
    Font* font = qv->LoadFont("!saved");
    BuildHandFont(font);
    EXPECT_FALSE(qv->SaveFont(font, "nowhere://kept.mft"));
    EXPECT_EQ(LogCapture::CountPopups("Failed to save font 'nowhere://kept.mft'"), 1);
    EXPECT_FALSE(qv->SaveFont(nullptr, "res://kept.mft"));
    EXPECT_FALSE(qv->SaveFont(font, nullptr));
    EXPECT_EQ(LogCapture::CountPopups("Failed to save font '(null)'"), 1);
    // A LATIN-1 font is 256 glyphs or no font the reader takes: it is not written.
    font->isUTF8 = 0;
    EXPECT_FALSE(qv->SaveFont(font, "res://latin.mft"));
    EXPECT_EQ(LogCapture::CountPopupsContaining("a LATIN-1 font has 3 glyphs, not 256"), 1);
    EXPECT_EQ(Get("latin.mft"), "");
}

// The save mount holds what is written until Unmount and replaces the file whole then.
TEST_F(FontFile, AFontSavedUnderTheSaveMountReachesTheDiskAtUnmount) {
    const std::string developer = quaven_test::UniqueName("QuavenFontSaveDev");
    ASSERT_TRUE(QVI_SetUpUserFolders(developer.c_str(), "Fonts"));
    Font* hand = qv->LoadFont("!mounted");
    BuildHandFont(hand);
    ASSERT_TRUE(qv->fileSystem->Mount("save", 0));
    EXPECT_TRUE(qv->SaveFont(hand, "save://hand.mft"));
    qv->fileSystem->Unmount("save");
    ASSERT_TRUE(qv->fileSystem->Mount("save", 0));
    EXPECT_FALSE(qv->fileSystem->FileExists("save://hand.mft.tmp"));
    Font* font = qv->LoadFont("save://hand.mft");
    qv->fileSystem->Unmount("save");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->glyphCount, 3);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Failed to save font"), 0);
    quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer);
    QVI_InitBasePaths();
}

TEST_F(FontFile, ABlueFirstDeviceStillWritesRedFirstWithoutTurningTheFontsPixels) {
    Font* hand = qv->LoadFont("!bgra");
    BuildHandFont(hand);
    const int32_t order = g_rendererSetup.pixelChannelOrder;
    g_rendererSetup.pixelChannelOrder = QV_PIXEL_ORDER_BGRA;
    const bool saved = qv->SaveFont(hand, "res://bgra.mft");
    g_rendererSetup.pixelChannelOrder = order;
    ASSERT_TRUE(saved);
    // Glyph 0's pixels follow the header (46 bytes), its fields (13), kerning (3) and size (4).
    const std::string file = Get("bgra.mft");
    ASSERT_GE(file.size(), 66u + 24u);
    for (int p = 0; p < 6; ++p) {
        const uint8_t* own = hand->glyphs[0].image.pixels + 4 * p;
        const uint8_t stored[4] = {own[2], own[1], own[0], own[3]};
        EXPECT_EQ(file.compare(66 + 4 * p, 4, reinterpret_cast<const char*>(stored), 4), 0) << "pixel " << p;
        EXPECT_EQ(own[0], uint8_t(4 * p * 7)) << "the font's own pixels stay as they were";
    }
}

}  // namespace
}  // namespace font_test
