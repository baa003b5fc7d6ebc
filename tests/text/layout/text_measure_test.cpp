// Measuring through the API table against the blocks' geometry, the 2047-character limit,
// line breaking of text written without blanks, and hostile text that must draw and measure
// harmlessly.
#include <cmath>
#include <string>
#include <thread>

#include "text/layout/text_fixture.h"

namespace text_test {
namespace {

struct Spot {
    int x, y;
    const char* what;
};

class TextMeasure : public TextTest {
protected:
    static float Width(Font* font, const std::string& text) { return qv->GetTextWidth(font, "%s", text.c_str()); }
    static float Height(Font* font, const std::string& text) { return qv->GetTextHeight(font, "%s", text.c_str()); }
};

TEST_F(TextMeasure, SizesFollowTheBlocksScaleAndWrapWidth) {
    TestFont font(false);
    BitmapDescription dot = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 4, 4, 1, 0, {}};
    Bitmap* image = g()->CreateBitmap("measure dot", &dot);
    ASSERT_NE(image, nullptr);
    EXPECT_FLOAT_EQ(Width(font.get(), "AB"), 10);
    EXPECT_FLOAT_EQ(Width(font.get(), "AV"), 8) << "kerning";
    EXPECT_FLOAT_EQ(Width(font.get(), "W A"), 15);
    EXPECT_FLOAT_EQ(Width(font.get(), "a||b"), 12) << "'|' advances 2";
    EXPECT_FLOAT_EQ(Width(font.get(), "A|ff0000|B"), 10) << "a colour takes no room";
    EXPECT_FLOAT_EQ(Width(font.get(), "A|img src='measure dot'|B"), 14);
    EXPECT_FLOAT_EQ(Width(font.get(), "A|img src='measure dot' scale=2|B"), 18);
    EXPECT_FLOAT_EQ(Width(font.get(), "A|img src='no such bitmap'|B"), 10);
    EXPECT_FLOAT_EQ(qv->GetTextWidth(font.get(), "%s%d", "A", 12), 15) << "formatted first";
    EXPECT_FLOAT_EQ(Height(font.get(), "A"), 10);
    EXPECT_FLOAT_EQ(Height(font.get(), "A\nB\nC"), 30);
    EXPECT_FLOAT_EQ(Width(font.get(), "AB\nABC\nA"), 15) << "the widest line";
    EXPECT_FLOAT_EQ(Height(font.get(), ""), 0);
    Wrap(20);
    float w = -1, h = -1;
    qv->MeasureText(font.get(), &w, &h, "AA AA AA");
    EXPECT_FLOAT_EQ(w, 10);
    EXPECT_FLOAT_EQ(h, 30);
    EXPECT_FLOAT_EQ(Width(font.get(), "AAAAAAAAAA"), 50) << "a long word stays on its line";
    Wrap(-5);  // no wrapping
    EXPECT_FLOAT_EQ(Height(font.get(), "AA AA AA"), 10);
    Scale(2, 3, 0);
    EXPECT_FLOAT_EQ(Width(font.get(), "AB"), 20);
    EXPECT_FLOAT_EQ(Height(font.get(), "AB"), 30);
    Scale(0, -1, 0);  // stored as 1e-6: tiny, never a division by zero
    EXPECT_LT(Width(font.get(), "AB"), 1e-3f);
}

TEST_F(TextMeasure, FormattedTextOf2047CharactersIsDrawnAnd2048IsNot) {
    TestFont font(false);
    ASSERT_TRUE(font.Upload());
    const std::string longest(2047, 'A'), tooLong(2048, 'A');
    float drawn[2] = {};
    Frame([&] {
        drawn[0] = Draw(font.get(), 0, 0, longest.c_str());
        drawn[1] = Draw(font.get(), 0, 0, tooLong.c_str());
    });
    EXPECT_FLOAT_EQ(drawn[0], 2047 * 5);
    EXPECT_FLOAT_EQ(drawn[1], 0);
    EXPECT_FLOAT_EQ(Width(font.get(), longest), 2047 * 5);
    float w = -1, h = -1;
    qv->MeasureText(font.get(), &w, &h, "%s", tooLong.c_str());
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST_F(TextMeasure, AThreadTheEngineDidNotStartMeasuresAtScaleOneWithoutWrapping) {
    TestFont font(false);
    float w = -1, h = -1;
    std::thread([&] {
        w = qv->GetTextWidth(font.get(), "AA AA");  // all-zero text settings
        h = qv->GetTextHeight(font.get(), "AA AA");
    }).join();
    EXPECT_FLOAT_EQ(w, 23);
    EXPECT_FLOAT_EQ(h, 10);
}

TEST_F(TextMeasure, IdeographsBreakBeforeTheWrapWidthButNeverBeforeClosingPunctuation) {
    TestFont font(true);
    Wrap(35);
    // Three ideographs fill 30; the fourth would reach 40.
    EXPECT_FLOAT_EQ(Width(font.get(), "\u4E00\u4E00\u4E00\u4E00\u4E00"), 30);
    EXPECT_FLOAT_EQ(Height(font.get(), "\u4E00\u4E00\u4E00\u4E00\u4E00"), 20);
    EXPECT_FLOAT_EQ(Width(font.get(), "\u4E00\u4E00\u4E00\u3002\u4E00"), 40) << "U+3002 stays on the line";
    EXPECT_FLOAT_EQ(Height(font.get(), "\u4E00\u4E00\u4E00\u3002\u4E00"), 20);
    EXPECT_FLOAT_EQ(Width(font.get(), "\u4E00\u4E00\u4E00\uFF0C\u4E00"), 40) << "U+FF0C stays on the line";
    EXPECT_FLOAT_EQ(Width(font.get(), "AB AB AB"), 23) << "blanks break as in LATIN-1 text";
    EXPECT_FLOAT_EQ(Height(font.get(), "AB AB AB"), 20);
    Wrap(0);
    EXPECT_FLOAT_EQ(Width(font.get(), "A\u4E00B"), 20);
    EXPECT_FLOAT_EQ(Width(font.get(), "a||B"), 12);
}

// A line exactly as wide as the wrap width breaks; a wrap width one pixel wider keeps it
// whole, one narrower breaks it too. The wrap width is counted in font pixels at the text's
// scale, truncated.
TEST_F(TextMeasure, ALineExactlyAsWideAsTheWrapWidthBreaksAndOnePixelMoreKeepsIt) {
    TestFont latin(false), utf8(true);
    ASSERT_TRUE(latin.Upload());
    ASSERT_TRUE(utf8.Upload());
    // Each text's width on one line, and the widest of its lines when broken.
    const struct { Font* font; const char* text; float line, broken; } cases[] = {
        {latin.get(), "AV AAV", 24, 13},             // "AV" kerned to 8, blank 3, "AAV" 13
        {utf8.get(), "AB AB", 23, 10},               // 10, blank 3, 10
        {utf8.get(), "\u4E00\u4E00\u4E00", 30, 20},  // ideographs break without a blank
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (float wrap : {c.line - 1, c.line, c.line + 1}) {
            Wrap(wrap);
            const bool whole = wrap > c.line;
            EXPECT_FLOAT_EQ(Width(c.font, c.text), whole ? c.line : c.broken) << "wrap " << wrap;
            EXPECT_FLOAT_EQ(Height(c.font, c.text), whole ? 10 : 20) << "wrap " << wrap;
        }
        Scale(2, 2, 0);
        Wrap(2 * c.line + 1.9f);  // half of it truncates to the line's width
        EXPECT_FLOAT_EQ(Height(c.font, c.text), 40);
        Wrap(2 * c.line + 2);
        EXPECT_FLOAT_EQ(Height(c.font, c.text), 20);
        Scale(1, 1, 0);
    }

    // Drawn: the second line appears exactly where the measure says.
    Bitmap* target = Target(40, 80);
    Frame([&] {
        g()->PushRenderTarget(target);
        g()->ClearColorAlpha(0, 0, 0, 1);
        Wrap(24);
        Draw(latin.get(), 2, 2, "AV AAV");  // "AAV" on a line of its own, 10 below
        Draw(utf8.get(), 2, 60, "AB AB");   // one line: its last B spans x 20 to 23
        Wrap(25);
        Draw(latin.get(), 2, 22, "AV AAV");  // one line: its last V spans x 21 to 24
        Wrap(23);
        Draw(utf8.get(), 2, 40, "AB AB");
        g()->PopRenderTarget();
    });
    const TestImage image = Pixels(target);
    const std::vector<std::pair<Spot, bool>> spots = {
        {{3, 14, "LATIN-1 second line"}, true},  {{23, 4, "nothing after the first word"}, false},
        {{23, 24, "the whole line"}, true},      {{3, 34, "and no second line"}, false},
        {{3, 54, "UTF-8 second line"}, true},    {{21, 44, "nothing after the first word"}, false},
        {{21, 64, "the whole UTF-8 line"}, true}, {{3, 74, "and no second line"}, false},
    };
    for (const auto& [spot, lit] : spots)
        EXPECT_TRUE(PixelNear(image, spot.x, spot.y, lit ? Rgba8{255, 255, 255, 255} : Rgba8{0, 0, 0, 255}, 2))
            << spot.what;
}

// Unterminated and oversized tags, broken UTF-8, bytes above 127, a scale tag of zero: each
// is drawn and measured without a crash or a read past the text.
TEST_F(TextMeasure, HostileTextIsHarmless) {
    TestFont latin(false), utf8(true);
    ASSERT_TRUE(latin.Upload());
    ASSERT_TRUE(utf8.Upload());
    const std::string huge(600, 'x'), bars(1500, '|');
    const std::vector<std::string> texts = {
        "|", "A|", "|ff00", "|img src='", "||||", "|img src='" + huge + "'|A", "|img scale=" + huge + "|A",
        "|shader='" + huge + "'|A", "|shader='NULL'|A", "|img src='measure dot' color=#12|A", "|scale=0|A A",
        "|scale=|A", "|" + huge + "|A", "|" + std::string(511, 'a') + "|A", "|" + std::string(512, 'a') + "|A", "\xE4\xB8", "A\xC3", "\xFF\xFE\x80 \x81", "\xF0\x9F\x98", bars,
        "A|img src='x' angle=1e40 scale=nan offset=99999999999|", std::string(1100, '\n') + "A",
    };
    Wrap(12);
    Frame([&] {
        for (Font* font : {latin.get(), utf8.get()})
            for (const std::string& text : texts) {
                Draw(font, 5, 5, text.c_str());
                Width(font, text);
            }
    });
    // Scales that take a width past the int range: one line, and no width below zero.
    EXPECT_FLOAT_EQ(Height(latin.get(), "|scale=0.0000000001|AA AA AA"), 10);
    EXPECT_GE(Width(latin.get(), "A|img src='measure dot' scale=1e12|"), 0);
    Wrap(0);
    EXPECT_FLOAT_EQ(Width(latin.get(), "\xE9\xE9"), 10) << "bytes above 127 are glyphs of their own";
    EXPECT_FLOAT_EQ(Height(latin.get(), std::string(1100, '\n') + "A"), 10 + 1023 * 10) << "at most 1024 lines";
    Font empty = {};  // no glyphs, height 0
    EXPECT_FLOAT_EQ(Width(&empty, "AB"), 0);
    empty.height = 10;  // a height but no glyphs
    EXPECT_FLOAT_EQ(Width(&empty, "AB|img src='x'|"), 0);
    Frame([&] { EXPECT_FLOAT_EQ(Draw(&empty, 0, 0, "AB"), 0); });
    EXPECT_FLOAT_EQ(qv->GetTextWidth(nullptr, "AB"), 0);
    EXPECT_FLOAT_EQ(qv->GetTextWidth(latin.get(), nullptr), 0);
    EXPECT_EQ(QVI_ParseHexByte('F', 'f'), 255);
    EXPECT_EQ(QVI_ParseHexByte('g', '1'), 1);
}

// A word that stays on its line is kerned against the blank before it, never against glyph 0.
TEST_F(TextMeasure, AWordAfterABlankIsKernedAgainstTheBlank) {
    TestFont font(false);
    font.get()->glyphs['V'].kerning[' '] = -1;
    font.get()->glyphs['V'].kerning[0] = 3;
    EXPECT_FLOAT_EQ(Width(font.get(), "A VA VV"), 5 + 3 + 4 + 5 + 3 + 4 + 5);
    Wrap(16);
    EXPECT_FLOAT_EQ(Width(font.get(), "A VA VV"), 13) << "a line's first glyph follows nothing: 'VA' and 'VV' take 13";
}

// Past a few distinct characters a layout finds glyphs through an index of the font: the
// first glyph of a code point still wins, and characters the font lacks still take no room.
TEST_F(TextMeasure, AUTF8TextOfManyCharactersFindsEachCodePointsFirstGlyph) {
    TestFont font(true);
    for (int i = 0; i < font.get()->glyphCount; ++i)
        if (font.get()->glyphs[i].codePoint == '|') font.get()->glyphs[i].codePoint = 'a';  // advance 2, after 'a'
    EXPECT_FLOAT_EQ(Width(font.get(), "Aa"), 10);
    // 'A' and seven missing letters are scanned for; the index is built for 'j'.
    EXPECT_FLOAT_EQ(Width(font.get(), "Acdefghijka\u4E00B"), 25);
    EXPECT_FLOAT_EQ(Width(font.get(), "Acdefghijk a"), 13) << "the blank between them";
}

}  // namespace
}  // namespace text_test
