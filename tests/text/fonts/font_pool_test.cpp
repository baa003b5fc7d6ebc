// The font pool as a game uses it through the API table: records found by name, references
// counted per font or per call, the warnings of a miscounting game, and the pool's limit.
#include "support/engine_table.h"
#include "text/fonts/font_fixture.h"

namespace font_test {
namespace {

using quaven_test::LogCapture;
using FontPool = FontTest;

TEST_F(FontPool, ReferencesAreCountedOncePerFontByGetAndPerCallByLoad) {
    g_core.traceReferenceCounts = 1;
    Font* font = qv->GetFont("!NONE-counted");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(qv->GetFont("!NONE-counted"), font);
    EXPECT_EQ(font->header.refCount, 1) << "'!' names are never counted up";

    Font* plain = qv->GetFont("plain.mft");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(LogCapture::Count("..caching font 'plain.mft'"), 1);
    EXPECT_EQ(LogCapture::Count("'plain.mft' ref count = 1 (GetFont)"), 1);
    EXPECT_EQ(LogCapture::Count("Font 'plain.mft' file not found."), 1);
    EXPECT_EQ(LogCapture::CountPopups("Unable to load font 'plain.mft'."), 1);
    EXPECT_TRUE(plain->header.type == 3 && plain->header.slot == int(plain - QVI_GetPooledFont(0)));
    EXPECT_EQ(plain->scale, 1.0f);
    EXPECT_EQ(qv->GetFont("plain.mft"), plain);
    EXPECT_EQ(plain->header.refCount, 1);
    EXPECT_EQ(qv->LoadFont("plain.mft"), plain);
    EXPECT_EQ(qv->LoadFont("plain.mft"), plain);
    EXPECT_EQ(plain->header.refCount, 3);
    EXPECT_EQ(LogCapture::Count("'plain.mft' ref count++: now 3"), 1);

    qv->ReleaseFont(plain);
    qv->ReleaseFont(plain);
    EXPECT_EQ(LogCapture::Count("ReleaseFont 'plain.mft' ref count--: now 1"), 1);
    // A font without its file is generated from its source, which is missing too.
    EXPECT_EQ(LogCapture::CountPopups("Failed to generate font from source 'plain.mft.xml': Font database not "
                                      "found or doesn't contain any arrays."),
              1);
    EXPECT_EQ(LogCapture::PopupTexts().size(), 3u);
    qv->ReleaseFont(plain);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Releasing font 'plain.mft' too many times"), 1);
    EXPECT_EQ(LogCapture::Count("Hibernating Font 'plain.mft'.."), 1);
    EXPECT_NE(plain->header.name, nullptr) << "a hibernating font keeps its record";
    qv->ReleaseFont(plain);
    EXPECT_EQ(LogCapture::CountPopups("Font 'plain.mft' reference count less than zero."), 1);
    EXPECT_EQ(plain->header.refCount, 0);

    qv->ReleaseFont(nullptr);
    EXPECT_EQ(LogCapture::CountPopups("Trying to release a null font."), 1);

    // "!NONE" loads nothing, and that is no failure.
    EXPECT_TRUE(QVI_LoadFontFile(font, font->header.name));
    // Reference counting off: a release gives the record back.
    g_core.referenceCounting = 0;
    qv->ReleaseFont(plain);
    EXPECT_EQ(plain->header.name, nullptr);
    EXPECT_EQ(LogCapture::Count("Releasing font 'plain.mft'..."), 1);
    EXPECT_EQ(qv->LoadFont("again.mft"), plain) << "the free record is taken first";
}

TEST_F(FontPool, TheThirtyThirdFontFindsNoRecord) {
    std::vector<Font*> fonts;
    for (int i = 0; i < 32; ++i) {
        fonts.push_back(qv->LoadFont(("!NONE " + std::to_string(i)).c_str()));
        ASSERT_NE(fonts.back(), nullptr) << i;
    }
    EXPECT_EQ(qv->LoadFont("one too many"), nullptr);
    EXPECT_EQ(LogCapture::CountPopups("Out of free fonts."), 1);
    EXPECT_EQ(qv->GetFont("!NONE 7"), fonts[7]) << "the fonts held are still found";
}

TEST_F(FontPool, AGameThreadLoadsAFontThatTheFrameUploads) {
    Bytes file = CurrentHeader(7, "UTF-8", 1);
    CurrentGlyph(file, 7, {'A', 0, 0, 4, 3, 2, {0, 255, 0, 255}, {}});
    Put("thread.mft", file.data);
    Font* font = nullptr;
    std::thread([&] { font = qv->LoadFont("res://thread.mft"); }).join();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->atlas.state, BITMAP_LOADING) << "packed, waiting for the main thread";
    EXPECT_FALSE(font->atlas.hardware.loaded);
    EXPECT_EQ(QVI_GetQueuedFontUploadCount(), 1);
    std::thread([&] { QVI_RecreateFontAtlas(font); }).join();
    EXPECT_EQ(QVI_GetQueuedFontUploadCount(), 1);
    EXPECT_EQ(LogCapture::Count("Font 'res://thread.mft' already exists in upload queue, not adding twice."), 1);

    QVI_ProcessBitmapResourceQueues();  // the frame's pass
    EXPECT_EQ(QVI_GetQueuedFontUploadCount(), 0);
    ASSERT_TRUE(font->atlas.hardware.loaded);
    EXPECT_EQ(font->atlas.state, BITMAP_READY);
    EXPECT_EQ(font->glyphs[0].image.hardware.rendererData, font->atlas.hardware.rendererData);
    EXPECT_EQ(font->locked, 0);
}

TEST_F(FontPool, AManifestHeightScalesTheFont) {
    // The header's height is 16, line spacing 18, baseline 12.
    for (const char* name : {"tall.mft", "field.mft", "one.mft"}) {
        Bytes file = CurrentHeader(7, "UTF-8", 1, name[0] == 'f' ? 3.0f : 0.0f);
        CurrentGlyph(file, 7, {'A', 0, 0, 4, 2, 2, {1, 1, 1, 255}, {}});
        Put(name, file.data);
    }
    Font *tall, *field, *one;
    {
        quaven_test::ScopedManifest manifest;
        manifest.Add("res://tall.mft", {{"h", "32"}}).Add("res://field.mft", {{"h", "32"}}).Add("res://one.mft", {{"h", "1"}});
        tall = qv->LoadFont("res://tall.mft");
        field = qv->LoadFont("res://field.mft");
        one = qv->LoadFont("res://one.mft");
    }
    ASSERT_TRUE(tall && field && one);
    EXPECT_TRUE(tall->height == 32 && tall->scale == 2.0f && tall->lineSpacing == 36 && tall->baseline == 24);
    EXPECT_EQ(LogCapture::Count("Font size 32px."), 1);
    EXPECT_TRUE(field->height == 16 && field->scale == 1.0f) << "a distance-field font keeps its size";
    EXPECT_TRUE(one->height == 16 && one->lineSpacing == 18) << "a height of 1 is no size";
}

}  // namespace
}  // namespace font_test
