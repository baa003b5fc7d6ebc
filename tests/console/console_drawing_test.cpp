// The console drawn over a frame through the tests' renderer and Direct3D 11 with the font it finds at
// "core/console.mft": its lines filtered by the typed text with the matches highlighted, a
// line too long for its highlight drawn plain, and a font that reports while the console
// walks its lines adding nothing to them.
#include <optional>

#include "console/console_fixture.h"
#include "core/logging/console.h"
#include "core/logging/log_popup.h"
#include "core/logging/logging.h"
#include "filesystem/backends.h"
#include "graphics/setup/renderer_setup.h"
#include "platform/windows/d3d11/rendimp_direct3d11.h"
#include "support/res_folder.h"
#include "support/windows_ui.h"
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

class ConsoleDrawing : public text_test::TextTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "Direct3D11") {
            window_ = quaven_test::CreateTestWindow("console", WS_POPUP | WS_VISIBLE, 40, 40, 80, 60);
            g_core.mainWindow = window_;
            device_ = &direct3D_;
        }
        TextTest::SetUp();
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
        const uint8_t counting = g_core.referenceCounting;
        g_core.referenceCounting = 0;
        for (int slot = 0; slot < QVI_GetPooledFontCount(); ++slot)
            if (Font* font = QVI_GetPooledFont(slot); font->header.name) qv->ReleaseFont(font);
        g_core.referenceCounting = counting;
        if (target_) g()->ReleaseBitmap(target_);
        TextTest::TearDown();
        res_.reset();
        if (window_) DestroyWindow(window_);
    }
    // One frame with the console drawn into a 320 x 100 target.
    TestImage DrawConsole() {
        if (!target_) {
            BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 320, 100, 1, 1, {}};
            target_ = g()->CreateBitmap("console target", &description);
        }
        TestImage image;
        if (!target_ || !target_->hardware.loaded) return image;
        Frame([&] {
            g()->PushRenderTarget(target_);
            g()->ClearColorAlpha(0, 0, 0, 1);
            g()->SetTextureFilter(QV_FILTER_POINT);
            QVI_DrawConsole(0.0f);
            g()->PopRenderTarget();
        });
        EXPECT_TRUE(g()->CopyBitmapRenderTargetDataToPixels(target_));
        image.Resize(target_->width, target_->height);
        memcpy(image.rgba.data(), target_->pixels, image.rgba.size());
        return image;
    }
    std::optional<quaven_test::ResFolder> res_;
    RendImpDirect3D11 direct3D_;
    HWND window_ = nullptr;
    Bitmap* target_ = nullptr;
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
    std::string longLine;
    while (longLine.size() < 500) longLine += "beta ";
    g_console.Print(QV_LOG_INFO, longLine.c_str());
    g_console.Print(QV_LOG_ERROR, "BETA failed");
    g_console.SetInputText("beta");

    const TestImage image = DrawConsole();
    ASSERT_EQ(image.width, 320);
    ASSERT_NE(g_console.font, nullptr);
    EXPECT_STREQ(g_console.font->header.name, "core/console.mft");
    // Lines from the bottom up, ten rows apart: the input at 70, then the newest line at 58.
    EXPECT_GT(CountIn(image, 58, 68, IsRed), 20) << "the error line, in capitals: shown, not highlighted";
    EXPECT_EQ(CountIn(image, 58, 68, IsBlue), 0);
    EXPECT_GT(CountIn(image, 48, 58, IsWhite), 100) << "the long line, drawn plain";
    EXPECT_EQ(CountIn(image, 48, 58, IsBlue), 0);
    EXPECT_GT(CountIn(image, 38, 48, IsBlue), 40) << "beta highlighted";
    EXPECT_GT(CountIn(image, 38, 48, IsWhite), 40) << "alpha in white";
    EXPECT_EQ(CountIn(image, 20, 38, [](const uint8_t* p) { return IsWhite(p) || IsBlue(p); }), 0)
        << "gamma is filtered out";

    // Without the filter every line is back, and the view follows the newest.
    g_console.SetInputText(nullptr);
    const TestImage all = DrawConsole();
    EXPECT_GT(CountIn(all, 28, 38, IsWhite), 40) << "gamma";
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
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace console_test
