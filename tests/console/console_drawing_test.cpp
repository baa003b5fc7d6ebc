// The console drawn over a frame through the tests' renderer and Direct3D 11 with the font it finds at
// "core/console.mft": its lines filtered by the typed text with the matches highlighted as far
// as the highlight buffer holds them, a line too long for it drawn plain, and a font that reports while the console
// walks its lines adding nothing to them.
#include <optional>

#include "console/console_fixture.h"
#include "core/logging/console.h"
#include "core/logging/log_popup.h"
#include "core/logging/logging.h"
#include "filesystem/backends.h"
#include "graphics/setup/renderer_setup.h"
#include "support/res_folder.h"
#include "text/layout/text_fixture.h"

namespace console_test {
namespace {

using text_test::TestFont;

bool IsBlue(const uint8_t* p) { return p[2] > 200 && p[0] < 60 && p[1] > 120; }
bool IsRed(const uint8_t* p) { return p[0] > 200 && p[1] < 60 && p[2] < 60; }
bool IsWhite(const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }

// Pixels in the rows top to bottom - 1, right of the line tags (or of left), that pass the test.
template <typename Test>
int CountIn(const TestImage& image, int top, int bottom, Test test, int left = 150) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < image.width - 10; ++x) count += test(&image.rgba[(y * image.width + x) * 4]);
    return count;
}

class ConsoleDrawing : public text_test::RendererScene {
protected:
    void SetUp() override {
        RendererScene::SetUp();
        ASSERT_TRUE(QVI_InitFileSystem());
        res_.emplace("console");
        qv->fileSystem->AddSearchPath("res://", true);
        savedVideo_ = g_rendererSetup.video;
        // The console measures itself by the drawn screen: 320 x 100 gives it 80 rows.
        g_rendererSetup.video.width = 320, g_rendererSetup.video.height = 100;
        g_console.consoleLock = qv->CreateMutex("QV_CONSOLE");
        g_console.started = 1;
        g_console.open = 1, g_console.openFraction = 1.0f, g_console.font = nullptr;
    }
    void TearDown() override {
        g_console.started = 0, g_console.consoleLock = nullptr;
        ForgetConsoleState();
        g_rendererSetup.video = savedVideo_;
        while (qv->fileSystem->GetSearchPathCount() > 0) qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
        text_test::ReleasePooledFonts();
        RendererScene::TearDown();
        res_.reset();
    }
    // One frame with the console drawn into a 320 x 100 target.
    TestImage DrawConsole() {
        Bitmap* target = SceneTarget(320, 100);
        if (!target) return TestImage();
        Frame([&] {
            g()->PushRenderTarget(target);
            g()->ClearColorAlpha(0, 0, 0, 1);
            g()->SetTextureFilter(QV_FILTER_POINT);
            QVI_DrawConsole(0.0f);
            g()->PopRenderTarget();
        });
        return ReadBack();
    }
    std::optional<quaven_test::ResFolder> res_;
    VideoParameters savedVideo_ = {};
};

TEST_P(ConsoleDrawing, TypedTextShowsOnlyTheLinesHoldingItWithItsOccurrencesHighlighted) {
    {
        TestFont made(false);
        ASSERT_TRUE(qv->SaveFont(made.get(), "res://blocks.mft"));
    }
    ASSERT_TRUE(res_->Put("core/console.mft", res_->Get("blocks.mft")));
    g_console.Print(QV_LOG_INFO, "gamma");
    g_console.Print(QV_LOG_INFO, "alpha beta");
    // 512 characters: with its terminator the line itself does not fit the highlight buffer.
    std::string tooLong;
    while (tooLong.size() < 510) tooLong += "beta ";
    tooLong += "be";
    g_console.Print(QV_LOG_INFO, tooLong.c_str());
    // 470 characters: the buffer holds the marks of the first two occurrences only.
    std::string partly;
    while (partly.size() < 470) partly += "beta ";
    g_console.Print(QV_LOG_INFO, partly.c_str());
    g_console.Print(QV_LOG_ERROR, "BETA failed");
    g_console.SetInputText("beta");

    const TestImage image = DrawConsole();
    ASSERT_EQ(image.width, 320);
    ASSERT_NE(g_console.font, nullptr);
    EXPECT_STREQ(g_console.font->header.name, "core/console.mft");
    // Lines from the bottom up, ten rows apart: the input at 70, then the newest line at 58.
    EXPECT_GT(CountIn(image, 58, 68, IsRed), 20) << "the error line, in capitals: shown, not highlighted";
    EXPECT_EQ(CountIn(image, 58, 68, IsBlue), 0);
    EXPECT_GT(CountIn(image, 48, 58, IsBlue), 40) << "the long line's first occurrences highlighted";
    EXPECT_GT(CountIn(image, 48, 58, IsWhite), 40) << "the occurrences past the buffer's end in white";
    EXPECT_GT(CountIn(image, 38, 48, IsWhite), 100) << "the 512-character line, drawn as it is";
    EXPECT_EQ(CountIn(image, 38, 48, IsBlue), 0);
    EXPECT_GT(CountIn(image, 28, 38, IsBlue), 40) << "beta highlighted";
    EXPECT_GT(CountIn(image, 28, 38, IsWhite), 40) << "alpha in white";
    EXPECT_EQ(CountIn(image, 10, 28, [](const uint8_t* p) { return IsWhite(p) || IsBlue(p); }), 0)
        << "gamma is filtered out";

    // Without the filter every line is back, and the view follows the newest.
    g_console.SetInputText(nullptr);
    const TestImage all = DrawConsole();
    EXPECT_GT(CountIn(all, 18, 28, IsWhite), 40) << "gamma";
    EXPECT_EQ(CountIn(all, 0, 100, IsBlue), 0);
}

TEST_P(ConsoleDrawing, AFontReportingMissingGlyphsWhileTheConsoleDrawsAddsNoLinesAndShowsNoPopup) {
    TestFont utf8(true);
    ASSERT_TRUE(utf8.Upload());
    g_console.font = utf8.get();
    g_console.Print(QV_LOG_INFO, "AB Z\xE2\x82\xAC");
    DrawConsole();  // the target made while logging is still captured
    // The engine's own logging, in developer mode with the program running: a missing glyph
    // would be logged and shown.
    qv->Log = QV_Log, qv->LogEx = QV_LogEx, qv->LogPopup = QV_LogPopup;
    g_core.developerMode = 1, g_core.programInitRan = 1;
    const int lines = g_console.lines.count;
    const TestImage image = DrawConsole();
    EXPECT_EQ(g_console.lines.count, lines);
    EXPECT_EQ(g_console.drawing, 0);
    EXPECT_GT(CountIn(image, 58, 68, IsWhite, 100), 20) << "the glyphs the font has are drawn";
    // Once the walk is over, logging goes on as before.
    qv->Log("after");
    EXPECT_EQ(g_console.lines.count, lines + 1);
}

INSTANTIATE_TEST_SUITE_P(Renderers, ConsoleDrawing, ::testing::Values("TestRenderer", "Direct3D11"),
                         text_test::RendererName);

}  // namespace
}  // namespace console_test
