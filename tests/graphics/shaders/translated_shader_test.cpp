// A game's own shader through the pool under Direct3D 11: translated to HLSL11, compiled by
// the platform's compiler, made by the renderer; the constants the game sets reach the
// pixels. A failed translation shows a developer the translator's report with a retry, on
// the main thread and on a game thread alike.
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "core/core_state.h"
#include "graphics/drawing/drawing_fixture.h"
#include "shadertool/core/target.h"
#include "shadertool/driver/translation_driver.h"
#include "support/back_buffer.h"
#include "support/memory_files.h"
#include "support/popup_answerer.h"
#include "support/windows_ui.h"

namespace drawing_test {
namespace {

// Moves what the batch draws by a matrix the game sets, in a colour the game sets.
std::string MovedPaint() {
    std::ostringstream text;
    text << std::ifstream(QUAVEN_GRAPHICS_TEST_DATA_DIR "/moved_paint.xml", std::ios::binary).rdbuf();
    return text.str();
}

class TranslatedShader : public DrawingTest {
protected:
    void SetUp() override {
        window_ = quaven_test::CreateTestWindow("translated", WS_POPUP | WS_VISIBLE, 40, 40, 80, 60);
        g_core.mainWindow = window_;
        device_ = &direct3D_;
        DrawingTest::SetUp();
        // What renderer set-up starts through the engine's hook.
        ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetHLSL11, String(""), false));
        files_.emplace(qv);
    }
    void TearDown() override {
        files_.reset();
        DrawingTest::TearDown();
        DestroyWindow(window_);
    }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }

    RendImpDirect3D11 direct3D_;
    HWND window_ = nullptr;
    std::optional<quaven_test::MemoryFiles> files_;
};

TEST_F(TranslatedShader, ItsColourAndMatrixConstantsReachThePixelsUnderDirect3D11) {
    files_->Put("fx/moved_paint.xml", MovedPaint());
    // The same paint through general constants whose values the tokenizer frowns on but
    // whose first tokens are literals: "1e" is the Float 1 and "019" the Int 19. The
    // report keeps the tokenizer's words, and the shader is made all the same.
    std::string general = MovedPaint();
    general.insert(general.find("<array id=\"vertex_input\">"),
                   "<array id=\"constants\"><node id=\"SHADE\" value=\"1e\"/><node id=\"NINETEEN\" value=\" 019\"/></array>\n");
    general.replace(general.find("output.color = paint;"), 21, "output.color = paint * SHADE * (float(NINETEEN) / 19.0);");
    files_->Put("fx/general_paint.xml", general);
    for (const char* name : {"fx/moved_paint.xml", "fx/general_paint.xml"}) {
        SCOPED_TRACE(name);
        Shader* shader = g()->GetShader(name);
        ASSERT_TRUE(g()->IsShaderLoaded(shader));
        const Matrix4 move = Translation(30, 20);
        const float paint[4] = {1.0f, 0.5f, 0.0f, 1.0f};
        TestImage screen;
        Frame([&] {
            g()->ClearColor(0, 0, 0.2f);
            g()->SetShader(shader);
            g()->SetShaderVertexConstant(shader, g()->GetShaderVertexConstantIndex(shader, "move"), 0, move.m);
            g()->SetShaderPixelConstant(shader, g()->GetShaderPixelConstantIndex(shader, "paint"), 0, paint);
            Rect(4, 4, 12, 10);
            g()->SetShader(nullptr);
        }, [&] { screen = quaven_test::ReadBackBuffer(direct3D_); });
        const Rgba8 orange = {255, 128, 0, 255}, background = {0, 0, 51, 255};
        EXPECT_TRUE(PixelNear(screen, 34, 24, orange, 2)) << "moved by (30, 20) and painted";
        EXPECT_TRUE(PixelNear(screen, 45, 33, orange, 2));
        EXPECT_TRUE(PixelNear(screen, 8, 8, background, 0)) << "nothing where it stood unmoved";
        EXPECT_TRUE(PixelNear(screen, 46, 30, background, 0)) << "right of it";
        EXPECT_TRUE(PixelNear(screen, 40, 34, background, 0)) << "below it";
    }
}

TEST_F(TranslatedShader, AFailedTranslationAsksADeveloperWhetherToTryAgain) {
    g_core.developerMode = g_core.logging = 1, g_core.loggingVerboseLevel = QV_LOG_INFO;
    std::string broken = MovedPaint();
    ASSERT_NE(broken.find("paint;"), std::string::npos);
    files_->Put("fx/broken.xml", broken.replace(broken.find("paint;"), 6, "paint"));
    quaven_test::PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDTRYAGAIN, IDCONTINUE}, 2));
    Shader* shader = g()->GetShader("fx/broken.xml");
    ASSERT_TRUE(answerer.Finish());
    EXPECT_FALSE(g()->IsShaderLoaded(shader));
    const std::vector<quaven_test::PopupRecord> boxes = answerer.Records();
    ASSERT_EQ(boxes.size(), 2u) << "Try again translated it once more";
    EXPECT_EQ(boxes[0].text.rfind("Failed to translate shader 'fx/broken.xml':\nTranslating Shader XML 'fx/broken.xml'...\n", 0), 0u);
    EXPECT_NE(boxes[0].text.find("fx/broken.xml(17:1) error: syntax error"), std::string::npos) << "the report, naming the XML file's line: " << boxes[0].text;
    EXPECT_NE(boxes[1].text.find("Translation FAILED"), std::string::npos);

    // Loaded by a game thread, the same box blocks only that thread.
    files_->Put("fx/broken_too.xml", broken);
    quaven_test::PopupAnswerer threadAnswerer;
    ASSERT_TRUE(threadAnswerer.Start({IDTRYAGAIN, IDCONTINUE}, 2));
    Shader* fromThread = nullptr;
    std::thread([&] { fromThread = g()->GetShader("fx/broken_too.xml"); }).join();
    ASSERT_TRUE(threadAnswerer.Finish());
    g_core.developerMode = g_core.logging = 0;
    EXPECT_FALSE(fromThread == nullptr || g()->IsShaderLoaded(fromThread));
    const std::vector<quaven_test::PopupRecord> threadBoxes = threadAnswerer.Records();
    ASSERT_EQ(threadBoxes.size(), 2u);
    EXPECT_EQ(threadBoxes[0].text.rfind("Failed to translate shader 'fx/broken_too.xml':\n", 0), 0u);
}

}  // namespace
}  // namespace drawing_test
