// Fonts generated as the font loader generates them: a resource tree in a temporary res://
// (searched as a game's is) holding DejaVu TrueType files and font sources written by the
// test, and a font record that QVI_GenerateFontFromSource fills.
#pragma once

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "text/fonts/font_pool.h"
#include "text/generation/font_generation.h"
#include "support/engine_table.h"
#include "support/process.h"

namespace generation_test {

using quaven_test::LogCapture;

inline std::string Doc(const std::string& arrays) {
    return "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>" + arrays + "</root>\n";
}
inline std::string Settings(const std::string& nodes) { return "<array id=\"settings\">" + nodes + "</array>"; }

struct FontDeleter {
    void operator()(Font* font) const {
        QVI_FreeFontGlyphs(font);
        free(font->header.name);
        free(font);
    }
};
using FontPtr = std::unique_ptr<Font, FontDeleter>;

inline FontPtr NewFont(const std::string& name) {
    Font* font = static_cast<Font*>(calloc(1, sizeof(Font)));
    font->header.name = strdup(name.c_str());
    font->scale = 1.0f;
    return FontPtr(font);
}

class FontSourceTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override {
        EngineFilesTest::SetUp();
        fs()->AddSearchPath("res://", false);
        const std::string ttf = quaven_test::ReadFile(std::string(QUAVEN_DEJAVU_DIR) + "/DejaVuSans.ttf");
        ASSERT_GT(ttf.size(), 100000u) << "DejaVuSans.ttf is missing";
        PutFile("fonts/DejaVuSans.ttf", ttf);
    }

    // Writes fonts/<name>.xml and generates the font "fonts/<name>" from it.
    FontPtr Generate(const std::string& name, const std::string& source, bool* generated = nullptr) {
        PutFile("fonts/" + name + ".xml", source);
        FontPtr font = NewFont("fonts/" + name);
        const bool made = QVI_GenerateFontFromSource(font.get());
        if (generated)
            *generated = made;
        else EXPECT_TRUE(made) << name;
        return font;
    }

    static const FontGlyph* Find(const Font* font, uint32_t codePoint) {
        for (int i = 0; i < font->glyphCount; ++i)
            if (font->glyphs[i].codePoint == codePoint) return &font->glyphs[i];
        return nullptr;
    }

    static uint8_t Alpha(const FontGlyph& glyph, int x, int y) {
        return glyph.image.pixels[(static_cast<size_t>(y) * glyph.image.width + x) * 4 + 3];
    }

    // What every usable font shows: a line box holding its baseline and every glyph image,
    // drawn glyphs that move the pen forward, and white images whose faint fringe is cut.
    static void ExpectSoundFont(const Font* font, bool white = true, bool solid = true) {
        EXPECT_GT(font->height, 0);
        EXPECT_GT(font->baseline, 0);
        EXPECT_LE(font->baseline, font->height);
        EXPECT_GE(font->lineSpacing, font->height);
        int images = 0;
        for (int i = 0; i < font->glyphCount; ++i) {
            const FontGlyph& glyph = font->glyphs[i];
            if (!glyph.image.pixels) continue;
            ++images;
            SCOPED_TRACE("glyph " + std::to_string(glyph.codePoint));
            // A distance field's images carry the spread around the ink.
            EXPECT_GT(glyph.advance + font->spread, 0);
            EXPECT_GE(glyph.offsetY, -font->spread);
            EXPECT_LE(glyph.offsetY + glyph.image.height, font->height / font->scale + 3);
            int opaque = 0;
            for (int p = 0; p < glyph.image.width * glyph.image.height; ++p) {
                const uint8_t* pixel = glyph.image.pixels + p * 4;
                ASSERT_FALSE(pixel[3] > 0 && pixel[3] < 5);
                if (white && pixel[3] > 0) ASSERT_TRUE(pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255);
                opaque += pixel[3] == 255;
            }
            if (solid) EXPECT_GT(opaque, 0);
        }
        EXPECT_GT(images, 0);
    }
};

}  // namespace generation_test
