// A font on the device: its glyphs packed into one atlas texture whose pixels read back
// where each glyph's rectangle says, small letters drawn with their capitals, the atlas
// made again with the renderer, and code points a font lacks rendered from "global.ttf".
#include "support/process.h"
#include "text/fonts/font_fixture.h"
#include "text/generation/font_generation.h"

namespace font_test {
namespace {

using quaven_test::LogCapture;
using FontAtlas = FontTest;

const uint8_t kRed[4] = {255, 0, 0, 255}, kGreen[4] = {0, 255, 0, 255}, kBlue[4] = {0, 0, 255, 255};

GlyphSpec Block(uint32_t code, int width, int height, const uint8_t colour[4], std::vector<int8_t> kerning = {}) {
    return {code, 1, 0, int16_t(width + 1), width, height, {colour[0], colour[1], colour[2], colour[3]}, kerning};
}

TEST_F(FontAtlas, GlyphsArePackedIntoOneUploadedTextureAndSmallLettersBorrowCapitals) {
    Bytes file = CurrentHeader(7, "LATIN-1", 256);
    std::vector<int8_t> kerning(256, 0);
    kerning['A'] = -2, kerning['B'] = 3;
    for (uint32_t i = 0; i < 256; ++i) {
        if (i == 'A') CurrentGlyph(file, 7, Block(i, 4, 6, kRed, kerning));
        else if (i == 'B') CurrentGlyph(file, 7, Block(i, 5, 3, kGreen, kerning));
        else if (i == 'b' || i == 0xE9) CurrentGlyph(file, 7, Block(i, 2, 2, kBlue));
        else CurrentGlyph(file, 7, {i, 0, 0, 3, 0, 0, {}, {}});
    }
    Put("latin.mft", file.data);
    Font* font = qv->GetFont("res://latin.mft");
    ASSERT_TRUE(font && font->glyphCount == 256);
    ASSERT_TRUE(font->atlas.hardware.loaded);
    EXPECT_EQ(font->atlas.state, BITMAP_READY);

    const TestImage atlas = Texture(&font->atlas);
    ASSERT_GT(atlas.width, 0);
    const struct { int code; const uint8_t* colour; } drawn[] = {{'A', kRed}, {'B', kGreen}, {'b', kBlue}, {0xE9, kBlue}};
    for (const auto& d : drawn) {
        const FontGlyph& glyph = font->glyphs[d.code];
        SCOPED_TRACE(d.code);
        const BitmapHardwareData& rect = glyph.image.hardware;
        EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= 1 && rect.bottom <= 1 && rect.left < rect.right);
        EXPECT_NEAR((rect.right - rect.left) * atlas.width, glyph.image.width, 0.01);
        EXPECT_EQ(rect.rendererData, font->atlas.hardware.rendererData) << "every glyph shows the atlas";
        const Rgba8 colour = {d.colour[0], d.colour[1], d.colour[2], d.colour[3]};
        EXPECT_EQ(AtlasTexel(atlas, glyph, 0, 0), colour);
        EXPECT_EQ(AtlasTexel(atlas, glyph, glyph.image.width - 1, glyph.image.height - 1), colour);
    }

    // 'a' has no image: it is drawn as 'A', kerned as 'A'; 'b' keeps its own.
    const FontGlyph &a = font->glyphs['a'], &capital = font->glyphs['A'];
    EXPECT_EQ(a.image.sharedWith, &capital.image);
    EXPECT_TRUE(a.image.pixels == capital.image.pixels && a.image.hardware.left == capital.image.hardware.left);
    EXPECT_TRUE(a.advance == capital.advance && a.codePoint == 'a');
    ASSERT_NE(a.kerning, nullptr);
    EXPECT_NE(a.kerning, capital.kerning);
    EXPECT_EQ(a.kerning['B'], 3);
    EXPECT_EQ(font->glyphs['B'].kerning['a'], -2) << "kerning before 'a' is kerning before 'A'";
    EXPECT_EQ(font->glyphs['b'].image.sharedWith, nullptr);

    // A renderer that starts again packs and uploads the atlas again.
    const int uploads = renderer_.CallCount("CreateTexture");
    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_TRUE(font->atlas.hardware.loaded);
    EXPECT_GT(renderer_.CallCount("CreateTexture"), uploads);
    EXPECT_EQ(font->glyphs['a'].image.hardware.rendererData, font->atlas.hardware.rendererData);
    EXPECT_EQ(AtlasTexel(Texture(&font->atlas), font->glyphs['B'], 1, 1), (Rgba8{0, 255, 0, 255}));
    EXPECT_EQ(LogCapture::PopupTexts().size(), 0u);
}

TEST_F(FontAtlas, AFontTooLargeForTheDeviceFailsToPack) {
    renderer_.maximumTextureSize = 32;
    Bytes file = CurrentHeader(7, "UTF-8", 2);
    CurrentGlyph(file, 7, Block('A', 30, 30, kRed));
    CurrentGlyph(file, 7, Block('B', 30, 30, kRed));
    Put("big.mft", file.data);
    Font* font = qv->LoadFont("res://big.mft");
    EXPECT_FALSE(QV_ReloadFont(font));
    EXPECT_EQ(LogCapture::CountContaining("do not fit one atlas"), 2);
    EXPECT_FALSE(font->atlas.hardware.loaded) << "nothing uploaded";
    // A larger device holds both: the same font packs and answers true.
    renderer_.maximumTextureSize = 128;
    EXPECT_TRUE(QV_ReloadFont(font));
    EXPECT_TRUE(font->atlas.hardware.loaded);
    EXPECT_EQ(LogCapture::CountContaining("do not fit one atlas"), 2);
}

TEST_F(FontAtlas, CodePointsAFontLacksComeFromTheGlobalFont) {
    Bytes file = CurrentHeader(7, "UTF-8", 1);
    CurrentGlyph(file, 7, Block('A', 4, 6, kRed));
    Put("utf8.mft", file.data);
    Font* font = qv->LoadFont("res://utf8.mft");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(QVI_FindFontGlyph(font, 'A'), &font->glyphs[0]);

    // Without a global font the code point is reported and skipped.
    const std::string ttf = quaven_test::ReadFile(QUAVEN_DEJAVU_DIR "/DejaVuSans.ttf");
    ASSERT_GT(ttf.size(), 1000u);
    Put("fonts/global.ttf", "not a font");
    qv->fileSystem->AddSearchPath("res://", false);
    EXPECT_FALSE(InitializeGlobalFont());
    EXPECT_EQ(LogCapture::CountPopupsContaining("InitializeGlobalFont::FT_New_Face error"), 1);
    EXPECT_EQ(QVI_FindFontGlyph(font, 0x416), nullptr);
    EXPECT_EQ(LogCapture::CountPopups("Font 'res://utf8.mft' Missing unicode 1046 (0x416) ('\x16')"), 1);

    Put("global.ttf", ttf);
    ASSERT_TRUE(InitializeGlobalFont());
    EXPECT_EQ(LogCapture::CountContaining("TrueType font 'global.ttf' rendering initialized."), 1);
    FontGlyph* zhe = QVI_FindFontGlyph(font, 0x416);
    ASSERT_NE(zhe, nullptr);
    EXPECT_EQ(zhe->codePoint, 0x416u);
    EXPECT_EQ(QVI_FindFontGlyph(font, 0x416), zhe) << "rendered once, then cached";
    EXPECT_EQ(LogCapture::Count("Adding glyph unicode 1046."), 1);
    EXPECT_GT(zhe->offsetY, 0.0f);
    EXPECT_LT(zhe->offsetY, float(font->height));

    // Measured on a game thread: the frame uploads what that thread rendered.
    FontGlyph* sigma = nullptr;
    std::thread([&] { sigma = QVI_FindFontGlyph(font, 0x3A3); }).join();
    ASSERT_NE(sigma, nullptr);
    QVI_ProcessBitmapResourceQueues();

    // A damaged font's height: rendered at the largest texture's size and placed at it, with
    // an advance that does not wrap round.
    const int height = font->height;
    renderer_.maximumTextureSize = 64;
    font->height = 64;
    ASSERT_NE(QVI_FindFontGlyph(font, 0x3A9), nullptr);
    EXPECT_EQ(LogCapture::CountContaining("is past the largest texture"), 0) << "the largest side itself is drawn";
    font->height = 65;
    ASSERT_NE(QVI_FindFontGlyph(font, 0x3A8), nullptr);
    EXPECT_EQ(LogCapture::Count("GenerateGlobalFontGlyph: size 65px is past the largest texture, 64px taken."), 1);
    font->height = 100000;
    FontGlyph* stop = QVI_FindFontGlyph(font, 0x3002);
    font->height = height;
    renderer_.maximumTextureSize = 16384;
    ASSERT_NE(stop, nullptr);
    EXPECT_TRUE(stop->advance > 25 && stop->advance < 64 + 64) << stop->advance;
    EXPECT_LT(stop->offsetY, 64.0f);

    // The image comes from the coverage converter of font generation.
    const uint8_t coverage[1] = {200};
    Bitmap probe = {};
    if (!QVI_ConvertGlyphToBitmap(coverage, 1, 1, 1, &probe, 0)) {
        EXPECT_EQ(zhe->image.pixels, nullptr) << "no converter yet: an empty image, still a glyph";
        return;
    }
    free(probe.pixels);
    for (FontGlyph* glyph : {zhe, sigma}) {
        ASSERT_NE(glyph->image.pixels, nullptr);
        EXPECT_TRUE(glyph->image.hardware.loaded) << "uploaded as a texture of its own";
        EXPECT_EQ(glyph->advance, glyph->image.width + 1);
        TestImage image = Texture(&glyph->image);
        int opaque = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) opaque += image.At(x, y).a > 128;
        EXPECT_GT(opaque, 4);
    }
}

}  // namespace
}  // namespace font_test
