// A game's own shader on its way through the pool as the engine runs it: the Shader XML is
// translated to HLSL11, compiled by the platform's compiler and made by the Direct3D 11
// renderer; the constants the game sets reach the pixels. A translation that fails shows a
// developer the translator's report in a box that offers another try.
#include <cstring>
#include <optional>
#include <string>

#include "core/core_state.h"
#include "graphics/drawing/drawing_fixture.h"
#include "graphics/shaders/shader_pool.h"
#include "shadertool/core/context.h"
#include "shadertool/driver/translation_driver.h"
#include "support/back_buffer.h"
#include "support/memory_files.h"
#include "support/popup_answerer.h"
#include "support/windows_ui.h"

namespace drawing_test {
namespace {

std::string XmlArray(const std::string& id, const std::string& nodes) {
    return "  <array id=\"" + id + "\">" + nodes + "</array>\n";
}

// Moves what the batch draws by a matrix the game sets and paints it in a colour the game
// sets.
const std::string kMovedColour =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n" +
    XmlArray("info", R"(<node id="version" value="2"/><node id="revision" value="2"/>)") +
    XmlArray("vertex_input", R"(<node id="position" semantic="POSITION"/><node id="color" semantic="COLOR"/>)"
                             R"(<node id="uv" semantic="TEXTURE_COORDINATE_0"/>)") +
    XmlArray("vertex_constants", R"(<node id="world_view_proj" type="FLOAT4X4" semantic="WORLD_VIEW_PROJECTION_TRANSFORM"/>)"
                                 R"(<node id="move" type="FLOAT4X4"/>)") +
    XmlArray("vertex_output", R"(<node id="position" type="FLOAT4" semantic="POSITION"/>)") +
    XmlArray("pixel_constants", R"(<node id="paint" type="FLOAT4"/>)") +
    XmlArray("pixel_output", R"(<node id="color"/>)") +
    XmlArray("sources", "<node type=\"vertex\"><![CDATA[\nvoid main()\n{\n"
                        "    output.position = float4(input.position.xyz, 1.0) * move * world_view_proj;\n}\n]]></node>"
                        "<node type=\"pixel\"><![CDATA[\nvoid main()\n{\n    output.color = paint;\n}\n]]></node>") +
    "</root>\n";

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
        if (window_) DestroyWindow(window_);
    }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }
    static std::string Logged() {
        std::string all;
        for (const std::string& text : quaven_test::LogCapture::Texts()) all += text + "\n";
        return all;
    }

    RendImpDirect3D11 direct3D_;
    HWND window_ = nullptr;
    std::optional<quaven_test::MemoryFiles> files_;
};

TEST_F(TranslatedShader, ItsColourAndMatrixConstantsReachThePixelsUnderDirect3D11) {
    files_->Put("fx/moved_colour.xml", kMovedColour);
    Shader* shader = g()->GetShader("fx/moved_colour.xml");
    ASSERT_NE(shader, nullptr);
    ASSERT_TRUE(g()->IsShaderLoaded(shader)) << Logged();

    const Matrix4 move = Translation(30, 20);
    const float paint[4] = {1.0f, 0.5f, 0.0f, 1.0f};
    const int moveIndex = g()->GetShaderVertexConstantIndex(shader, "move");
    const int paintIndex = g()->GetShaderPixelConstantIndex(shader, "paint");
    ASSERT_GE(moveIndex, 0);
    ASSERT_GE(paintIndex, 0);
    TestImage screen;
    Frame([&] {
        g()->ClearColor(0, 0, 0.2f);
        g()->SetShader(shader);
        g()->SetShaderVertexConstant(shader, moveIndex, 0, move.m);
        g()->SetShaderPixelConstant(shader, paintIndex, 0, paint);
        Rect(4, 4, 12, 10);
        g()->SetShader(nullptr);
    }, [&] { screen = quaven_test::ReadBackBuffer(direct3D_); });

    const Rgba8 orange = {255, 128, 0, 255}, background = {0, 0, 51, 255};
    EXPECT_TRUE(PixelNear(screen, 40, 30, orange, 2)) << "moved by (30, 20) and painted";
    EXPECT_TRUE(PixelNear(screen, 45, 33, orange, 2));
    EXPECT_TRUE(PixelNear(screen, 8, 8, background, 0)) << "nothing where it stood unmoved";
    EXPECT_TRUE(PixelNear(screen, 47, 30, background, 0)) << "right of it";
    EXPECT_TRUE(PixelNear(screen, 40, 35, background, 0)) << "below it";
}

TEST_F(TranslatedShader, AFailedTranslationAsksADeveloperWhetherToTryAgain) {
    g_core.developerMode = g_core.logging = 1, g_core.loggingVerboseLevel = QV_LOG_INFO;
    std::string broken = kMovedColour;
    broken.replace(broken.find("output.color = paint;"), 21, "output.color = paint");
    files_->Put("fx/broken.xml", broken);
    quaven_test::PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDTRYAGAIN, IDCONTINUE}, 2));
    Shader* shader = g()->GetShader("fx/broken.xml");
    ASSERT_TRUE(answerer.Finish());
    g_core.developerMode = g_core.logging = 0;
    ASSERT_NE(shader, nullptr);
    EXPECT_FALSE(g()->IsShaderLoaded(shader));
    const std::vector<quaven_test::PopupRecord> boxes = answerer.Records();
    ASSERT_EQ(boxes.size(), 2u) << "Try again translated it once more";
    EXPECT_EQ(boxes[0].text.rfind("Failed to translate shader 'fx/broken.xml':\nTranslating Shader XML 'fx/broken.xml'...\n", 0), 0u)
        << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(") error: "), std::string::npos) << "the translator's report, not an empty log";
    EXPECT_NE(boxes[1].text.find("Translation FAILED"), std::string::npos);
}

}  // namespace
}  // namespace drawing_test
