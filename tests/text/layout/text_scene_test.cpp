// Text as a game draws it, through the API table into a render target read back, on the
// tests' renderer and on Direct3D 11: kerning, colour tags, "||", an image inside the text,
// wrapping, every alignment, scale and rotation, a fractional start, each glyph a white
// block at a known place.
#include <cmath>
#include <optional>
#include <vector>

#include "filesystem/backends.h"
#include "support/back_buffer.h"
#include "support/engine_table.h"
#include "support/process.h"
#include "support/res_folder.h"
#include "text/layout/text_fixture.h"

namespace text_test {
namespace {

const Rgba8 kBlack = {0, 0, 0, 255}, kWhite = {255, 255, 255, 255}, kRed = {255, 0, 0, 255};
const Rgba8 kGreen = {0, 255, 0, 255}, kHalfGreen = {0, 128, 0, 255};

struct Spot {
    int x, y;
    Rgba8 colour;
    const char* what;
};

using TextScene = RendererScene;

TEST_P(TextScene, EveryGlyphTagAndAlignmentLandsOnItsPixels) {
    TestFont font(false), utf8(true);
    ASSERT_TRUE(font.Upload());
    ASSERT_TRUE(utf8.Upload());
    Bitmap* dot_ = SolidDot(kGreen);
    ASSERT_NE(dot_, nullptr);
    ASSERT_NE(SceneTarget(128, 96), nullptr);
    Color after = {}, afterShort = {};
    float widths[3] = {};
    // The x of every corner of the quads a text leaves in the batch (drawn below the target).
    const auto quadXs = [](Font* f, float x, const char* text) {
        Draw(f, x, 200, text);
        std::vector<float> xs;
        for (int i = g_batch.queued < 8 ? 0 : g_batch.queued - 8; i < g_batch.queued; ++i)
            xs.push_back(g_batch.writePointer[i].x);
        return xs;
    };
    std::vector<float> wholeStart, halfStart;
    Frame([&] {
        g()->PushRenderTarget(target_);
        g()->ClearColorAlpha(0, 0, 0, 1);
        g()->SetTextureFilter(QV_FILTER_POINT);
        const float one = 1, half = 0.5f;
        g()->SetColor(&one, &one, &one);
        widths[0] = Draw(font.get(), 2, 2, "AB");  // blocks at x 2 and 7, rows 2 to 7
        widths[1] = Draw(font.get(), 14, 2, "AV");  // V kerned 2 closer: x 17
        Draw(font.get(), 26, 2, "|ff0000|C");
        Draw(font.get(), 32, 2, "D");  // still red
        Draw(font.get(), 38, 2, "|00ff0080|E");
        after = g()->GetColor();
        g()->SetColor(&one, &one, &one), g()->SetAlpha(&one);
        // Too short a colour: blue reads '|' and 'G' (0 each) and, the seventh character not
        // being '|', alpha comes from what follows up to the text's end: 0, so G is not seen.
        Draw(font.get(), 44, 2, "|ff00|G");
        afterShort = g()->GetColor();
        g()->SetColor(&one, &one, &one), g()->SetAlpha(&one);
        Draw(font.get(), 52, 2, "a||b");     // '|' (1 x 8) at x 57, rows 1 to 8
        Align(QV_TEXT_ALIGN_RIGHT);
        Draw(font.get(), 126, 2, "AB");  // ends at 126: x 116 and 121
        Align(0);
        Wrap(20);
        Draw(font.get(), 2, 14, "AA AA AA");  // three lines, 10 apart
        Wrap(0);
        widths[2] = Draw(font.get(), 30, 14, "A|img src='scene dot'|B");
        Align(QV_TEXT_ALIGN_CENTER | QV_TEXT_ALIGN_MIDDLE);
        Draw(font.get(), 60, 30, "AB");  // x 55 and 60, rows 25 to 30
        Align(QV_TEXT_ALIGN_RIGHT | QV_TEXT_ALIGN_BOTTOM);
        Draw(font.get(), 126, 60, "AB\nC");  // rows 40 to 45 and 50 to 55
        Align(0);
        Scale(2, 2, 0);
        Draw(font.get(), 2, 60, "A");  // 8 x 12 from (2, 60)
        Scale(1, 1, 1.57079633f);
        Draw(font.get(), 40, 70, "A");  // a quarter turn about (40, 68): x 32 to 37, rows 68 to 71
        Scale(1, 1, 0);
        Draw(utf8.get(), 70, 80, "AB\u4E00");  // UTF-8 text is not nudged up: rows 82 and 80
        Draw(font.get(), 90.75f, 14, "AB");     // a fractional start is kept: columns 91-94, 96-99
        wholeStart = quadXs(font.get(), 10, "AV");
        halfStart = quadXs(font.get(), 10.5f, "AV");
        g()->SetAlpha(&half);
        g()->PopRenderTarget();
    });
    EXPECT_FLOAT_EQ(widths[0], 10);
    EXPECT_FLOAT_EQ(widths[1], 8);
    EXPECT_FLOAT_EQ(widths[2], 14) << "the image takes its width";
    EXPECT_NEAR(after.g, 1.0f, 1e-6f) << "a colour tag leaves its colour set";
    EXPECT_NEAR(after.a, 128 / 255.0f, 1e-6f);
    EXPECT_TRUE(afterShort.r == 1 && afterShort.g == 0 && afterShort.b == 0 && afterShort.a == 0);
    // A from x, V kerned to x + 3, each 4 wide; half a pixel further right from x.5, exactly.
    EXPECT_EQ(wholeStart, (std::vector<float>{10, 14, 10, 14, 13, 17, 13, 17}));
    ASSERT_EQ(halfStart.size(), wholeStart.size());
    for (size_t i = 0; i < halfStart.size(); ++i) EXPECT_EQ(halfStart[i], wholeStart[i] + 0.5f) << "corner " << i;

    const TestImage image = ReadBack();
    const std::vector<Spot> spots = {
        {2, 2, kWhite, "A: top left"}, {5, 7, kWhite, "A: bottom right"}, {6, 4, kBlack, "between A and B"},
        {2, 1, kBlack, "above A"}, {2, 8, kBlack, "below A"}, {7, 4, kWhite, "B"}, {11, 4, kBlack, "after B"},
        {20, 4, kWhite, "kerned V's right column"}, {21, 4, kBlack, "where V would end unkerned"},
        {27, 4, kRed, "red C"}, {33, 4, kRed, "D keeps the red"}, {39, 4, kHalfGreen, "E green at half alpha"},
        {45, 4, kBlack, "a short colour tag leaves alpha 0"},
        {57, 1, kWhite, "'|' top"}, {57, 8, kWhite, "'|' bottom"}, {58, 4, kBlack, "after '|'"},
        {60, 4, kWhite, "b after '|'"}, {56, 4, kBlack, "between a and '|'"},
        {116, 4, kWhite, "right-aligned A"}, {124, 4, kWhite, "right-aligned B"}, {125, 4, kBlack, "past x"},
        {115, 4, kBlack, "before the right-aligned line"},
        {3, 16, kWhite, "wrapped line 1"}, {3, 26, kWhite, "line 2"}, {3, 36, kWhite, "line 3"},
        {14, 16, kBlack, "no second word on line 1"}, {3, 46, kBlack, "no fourth line"},
        {36, 18, kGreen, "inline image"}, {35, 17, kGreen, "its top left"}, {38, 20, kGreen, "its bottom right"},
        {36, 16, kBlack, "above it"}, {40, 16, kWhite, "B after the image"},
        {55, 25, kWhite, "centred A"}, {63, 30, kWhite, "centred B"}, {54, 27, kBlack, "left of the block"},
        {55, 24, kBlack, "above the block"},
        {116, 40, kWhite, "bottom-right AB"}, {121, 50, kWhite, "C ends at x"}, {117, 52, kBlack, "short last line"},
        {124, 55, kWhite, "C's bottom"}, {124, 56, kBlack, "the block ends"},
        {2, 60, kWhite, "scaled A"}, {9, 71, kWhite, "its bottom right"}, {10, 65, kBlack, "right of it"},
        {2, 72, kBlack, "below it"},
        {32, 68, kWhite, "turned A"}, {37, 71, kWhite, "turned A"}, {38, 70, kBlack, "right of it"},
        {40, 70, kBlack, "where it would stand unturned"}, {35, 72, kBlack, "below it"},
        {91, 14, kWhite, "A from x 90.75: its first column"}, {94, 19, kWhite, "its last column"},
        {90, 16, kBlack, "the start is not cut to x 90"}, {95, 16, kBlack, "between A and B"},
        {99, 16, kWhite, "B's last column"}, {100, 16, kBlack, "after B"},
    };
    for (const Spot& s : spots) EXPECT_TRUE(PixelNear(image, s.x, s.y, s.colour, 2)) << s.what;
    const std::vector<Spot> unicode = {
        {70, 82, kWhite, "UTF-8 A"}, {73, 87, kWhite, "its bottom right"}, {70, 81, kBlack, "above it"},
        {75, 82, kWhite, "UTF-8 B"}, {80, 80, kWhite, "ideograph"}, {87, 87, kWhite, "its bottom right"},
        {88, 84, kBlack, "right of it"}, {74, 84, kBlack, "between A and B"},
    };
    for (const Spot& s : unicode) EXPECT_TRUE(PixelNear(image, s.x, s.y, s.colour, 2)) << s.what;
}

// A bitmap line leaves its two colours in the current quad: a rectangle, a line and a text
// drawn after it take the line's start colour on their first two corners and its end colour
// on the last two, until SetColor sets the colour again (SetAlpha does not). Colour tags
// read every character as a hex digit (anything else counts 0), and a tag short of its
// seventh character takes alpha 0 from what it lacks.
TEST_P(TextScene, ABitmapLineColoursWhatFollowsAndColourTagsReadEveryCharacter) {
    TestFont font(false), utf8(true);
    ASSERT_TRUE(font.Upload());
    ASSERT_TRUE(utf8.Upload());
    Bitmap* white = SolidDot({255, 255, 255, 255});
    ASSERT_NE(white, nullptr);
    ASSERT_NE(SceneTarget(64, 32), nullptr);
    Color afterShortTag = {};
    Frame([&] {
        g()->PushRenderTarget(target_);
        g()->ClearColorAlpha(0, 0, 0, 1);
        g()->SetTextureFilter(QV_FILTER_POINT);
        const float zero = 0, one = 1;
        g()->SetColor(&zero, &one, &zero);
        const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 1}, from[2] = {2, 4}, to[2] = {18, 4};
        g()->DrawBitmapLine(white, from, to, 4, 4, red, blue);  // x 2 to 18, rows 2 to 5
        const float x24 = 24, x40 = 40, x44 = 44, y2 = 2, y12 = 12.5f, eight = 8;
        g()->DrawRectangle(&x24, &y2, &eight, &eight);  // red at the top, blue at the bottom
        g()->DrawLine(&x24, &y12, &x40, &y12);          // both ends take the first corner's red
        Draw(font.get(), 2, 12, "A");                   // rows 12 to 17, red to blue
        g()->SetAlpha(&one);                            // alpha only: the line's colours stay
        g()->DrawRectangle(&x44, &y2, &eight, &eight);

        Draw(font.get(), 2, 22, "|#zz00FF|A");  // 'z' counts 0: blue
        Draw(font.get(), 10, 22, "|00ffzz|B");  // green
        Draw(utf8.get(), 18, 22, "|ff00|A");    // red at alpha 0: not seen
        afterShortTag = g()->GetColor();
        g()->SetAlpha(&one);
        Draw(utf8.get(), 26, 22, "A");  // the tag's red, seen again
        g()->PopRenderTarget();
    });
    EXPECT_TRUE(afterShortTag.r == 1 && afterShortTag.g == 0 && afterShortTag.b == 0 && afterShortTag.a == 0);
    const TestImage image = ReadBack();
    const std::vector<Spot> spots = {
        {2, 4, {247, 0, 8, 255}, "the line starts red"}, {17, 4, {8, 0, 247, 255}, "and ends blue"},
        {10, 1, kBlack, "above the line"}, {10, 6, kBlack, "below it"},
        {24, 2, {239, 0, 16, 255}, "rectangle's top row"}, {31, 9, {16, 0, 239, 255}, "its bottom row"},
        {28, 12, kRed, "line"}, {36, 12, kRed, "line"}, {28, 13, kBlack, "below the line"},
        {3, 12, {234, 0, 21, 255}, "text's top row"}, {4, 17, {21, 0, 234, 255}, "its bottom row"},
        {44, 2, {239, 0, 16, 255}, "after SetAlpha, still the line's start colour"},
        {51, 9, {16, 0, 239, 255}, "and its end colour"},
        {3, 24, {0, 0, 255, 255}, "|#zz00FF|"}, {11, 24, kGreen, "|00ffzz|"}, {19, 26, kBlack, "|ff00|"},
        {27, 26, kRed, "the short tag's colour"},
    };
    for (const Spot& s : spots) EXPECT_TRUE(PixelNear(image, s.x, s.y, s.colour, 2)) << s.what;
}

// One pixel of a distance-field font is as big on screen as the transform makes it: the
// smoothing in the shader's pixel constant 0 is halved when the text is drawn twice as big.
TEST_P(TextScene, DistanceFieldSmoothingFollowsTheSizeOnScreen) {
    TestFont font(false, 4.0f);
    ASSERT_TRUE(font.Upload());
    Shader* shader = g_batch.distanceFieldShader;
    ASSERT_NE(shader, nullptr);
    float values[3] = {};
    Frame([&] {
        Draw(font.get(), 10, 10, "A");
        values[0] = static_cast<float*>(g()->GetShaderPixelConstant(shader, 0))[0];
        Scale(2, 2, 0);
        Draw(font.get(), 10, 10, "A");
        values[1] = static_cast<float*>(g()->GetShaderPixelConstant(shader, 0))[0];
        const Matrix4 shrink = [] { Matrix4 m = drawing_test::Translation(0, 0); m.m[0] = m.m[5] = 0; return m; }();
        g()->PushWorldTransform(&shrink);  // collapses the text: the smoothing stays as it was
        Draw(font.get(), 10, 10, "A");
        values[2] = static_cast<float*>(g()->GetShaderPixelConstant(shader, 0))[0];
        g()->PopWorldTransform();
    });
    EXPECT_NEAR(values[0], 0.25f / 4.0f, 1e-5f) << "smoothing / (1 pixel x spread)";
    EXPECT_NEAR(values[1], values[0] / 2, 1e-6f);
    EXPECT_EQ(values[2], values[1]);
}

// A font the game loads through the pool (read from its .mft file, packed and uploaded by
// the pool).
class PooledFontText : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        ASSERT_TRUE(QVI_InitFileSystem());
        res_.emplace("text");
    }
    void TearDown() override {
        ReleasePooledFonts();
        TextTest::TearDown();
        res_.reset();
    }
    // DejaVuSans.ttf and a font source at res://<source> that makes it 16 pixels high.
    void PutDejaVuSource(const std::string& source) {
        const std::string ttf = quaven_test::ReadFile(QUAVEN_DEJAVU_DIR "/DejaVuSans.ttf");
        ASSERT_GT(ttf.size(), 100000u) << "DejaVuSans.ttf is missing";
        ASSERT_TRUE(res_->Put("fonts/DejaVuSans.ttf", ttf));
        ASSERT_TRUE(res_->Put(source,
                              "<?xml version=\"1.0\"?>\n<root><array id=\"settings\"><node id=\"VERSION\" value=\"1\"/>"
                              "<node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" size_px=\"16\"/></array></root>\n"));
    }
    std::optional<quaven_test::ResFolder> res_;
};

// A game's font made from a TrueType file the whole way: its .mft is missing, so the pool
// generates it from its source and DejaVuSans.ttf, writes it and reads it back; saving it
// again gives the same bytes; its text draws inside the box MeasureText gives.
TEST_F(PooledFontText, AFontGeneratedFromTrueTypeIsWrittenReadBackAndDrawsInsideItsMeasuredBox) {
    ASSERT_NO_FATAL_FAILURE(PutDejaVuSource("fonts/sans.mft.xml"));
    Font* font = qv->GetFont("res://fonts/sans.mft");
    ASSERT_TRUE(font && font->glyphCount == 256 && font->height > 10 && font->atlas.hardware.loaded);
    const std::string written = res_->Get("fonts/sans.mft");
    ASSERT_EQ(written.compare(0, 12, std::string("TAV_Font_v7\0", 12)), 0);
    ASSERT_TRUE(qv->SaveFont(font, "res://fonts/again.mft"));
    EXPECT_TRUE(res_->Get("fonts/again.mft") == written) << "a font read back saves the same bytes";

    float width = 0, height = 0;
    qv->MeasureText(font, &width, &height, "%s", "Quaven Wj");
    EXPECT_TRUE(width > 50 && width < 110 && height >= font->height) << width << " x " << height;
    Bitmap* target = Target(128, 40);
    Frame([&] {
        g()->PushRenderTarget(target);
        g()->ClearColorAlpha(0, 0, 0, 1);
        EXPECT_FLOAT_EQ(Draw(font, 6, 8, "Quaven Wj"), width);
        g()->PopRenderTarget();
    });
    const TestImage image = Pixels(target);
    int lit = 0, outside = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (image.rgba[(y * image.width + x) * 4 + 1] < 128) continue;
            ++lit;
            // Glyphs of ordinary fonts sit two pixels above the given top.
            outside += x < 5 || x > 6 + width + 1 || y < 8 - 3 || y > 8 + height + 1;
        }
    EXPECT_GT(lit, 100) << "the words were drawn";
    EXPECT_EQ(outside, 0);
}

// A font named without ".mft" has no font file to read: it is made from its source and
// written, yet the load fails (the popup, no manifest height), and the glyphs it made still
// draw.
TEST_F(PooledFontText, AFontNamedWithoutMftIsMadeButNotLoadedAndStillDraws) {
    ASSERT_NO_FATAL_FAILURE(PutDejaVuSource("fonts/plain.xml"));
    Font* font;
    {
        quaven_test::ScopedManifest manifest;
        manifest.Add("res://fonts/plain", {{"h", "40"}});
        quaven_test::LogCapture::Clear();
        font = qv->GetFont("res://fonts/plain");
    }
    ASSERT_TRUE(font && font->glyphCount == 256 && font->glyphs['W'].image.pixels);
    EXPECT_EQ(quaven_test::LogCapture::Count("Failed: bad or unfound font file 'res://fonts/plain'"), 1);
    EXPECT_EQ(quaven_test::LogCapture::CountPopups("Unable to load font 'res://fonts/plain'.", QV_LOG_WARNING), 1);
    EXPECT_EQ(quaven_test::LogCapture::CountContaining("Font size "), 0);
    EXPECT_TRUE(font->scale == 1.0f && font->height > 10 && font->height < 40) << "no manifest height";
    EXPECT_EQ(res_->Get("fonts/plain").compare(0, 12, std::string("TAV_Font_v7\0", 12)), 0)
        << "written where its name points";
    ASSERT_TRUE(font->atlas.hardware.loaded) << "the atlas holds what was made";

    Bitmap* target = Target(64, 32);
    Frame([&] {
        g()->PushRenderTarget(target);
        g()->ClearColorAlpha(0, 0, 0, 1);
        Draw(font, 4, 4, "Wj");
        g()->PopRenderTarget();
    });
    const TestImage image = Pixels(target);
    int lit = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) lit += image.rgba[(y * image.width + x) * 4 + 1] >= 128;
    EXPECT_GT(lit, 20);
}

INSTANTIATE_TEST_SUITE_P(Renderers, TextScene, ::testing::Values("TestRenderer", "Direct3D11"), RendererName);

}  // namespace
}  // namespace text_test
