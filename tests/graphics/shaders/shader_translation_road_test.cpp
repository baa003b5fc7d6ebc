// The pool's translation road with the real translator, for a GL renderer (it takes the
// text itself): a developer's reload of unchanged files keeps the shader, and game threads
// loading together, one translation at a time, each get their own shader's code.
#include <map>
#include <thread>
#include <vector>

#include "graphics/shaders/shader_pool_fixture.h"
#include "shadertool/core/target.h"
#include "shadertool/driver/translation_driver.h"

namespace shader_pool_test {
namespace {

class ShaderTranslationRoad : public ShaderPoolTest {
protected:
    void SetUp() override {
        ShaderPoolTest::SetUp();
        renderer.shaderLanguage = QV_SHADER_LANGUAGE_GLSL21, renderer.precompiledShaders = false;
    }
    // A shader whose pixel stage paints one red.
    void PutPainting(const std::string& name, const std::string& red, uint32_t modified = 0) {
        files->Put(name, ShaderXml(XmlArray("vertex_output", R"(<node id="p" type="FLOAT4" semantic="POSITION"/>)") +
                                   XmlArray("user", "<node id=\"red\" value=\"" + red + "\"/>") +
                                   XmlArray("sources", "<node type=\"vertex\"><![CDATA[void main() { output.p = input.position; }]]>"
                                                       "</node><node type=\"pixel\"><![CDATA[void main() { output.color = float4(" +
                                                       red + ", 0.0, 0.0, 1.0); }]]></node>")), modified);
    }
};

TEST_F(ShaderTranslationRoad, ADevelopersReloadOfUnchangedFilesKeepsTheShader) {
    // As renderer set-up starts it in developer mode.
    ASSERT_TRUE(ShaderTool::Initialize(QV_SHADER_LANGUAGE_GLSL21, String(""), true));
    ShaderTool::Reset();
    PutPainting("fx/paint.xml", "0.25", 1000);
    Shader* paint = graphics()->GetShader("fx/paint.xml");
    ASSERT_TRUE(graphics()->IsShaderLoaded(paint));
    EXPECT_FALSE(graphics()->ReloadShader(paint)) << "nothing newer to load";
    EXPECT_TRUE(graphics()->IsShaderLoaded(paint));
    EXPECT_EQ(renderer.CallCount("CreateShader"), 1);
    PutPainting("fx/paint.xml", "0.75", 2000);
    EXPECT_TRUE(graphics()->ReloadShader(paint));
    EXPECT_EQ(paint->timeStamp, 2000);
    EXPECT_NE(renderer.pixelCode.find("vec4(0.75f"), std::string::npos);
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), false));
    EXPECT_TRUE(graphics()->ReloadShader(paint)) << "without the check every reload translates";
}

TEST_F(ShaderTranslationRoad, HeadersThatIncludeEachOtherBehindGuardsTranslateAndLoad) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), false));
    files->Put("fx/cyc/a.inc", "#if !defined(A_H)\n#define A_H\n#define RED 0.25\n#include \"b.inc\"\n#endif\n");
    files->Put("fx/cyc/b.inc", "#if !defined(B_H)\n#define B_H\n#define GREEN 0.5\n#include \"a.inc\"\n#endif\n");
    files->Put("fx/cyc.xml", ShaderXml(XmlArray("vertex_output", R"(<node id="p" type="FLOAT4" semantic="POSITION"/>)") +
                                       XmlArray("sources", "<node type=\"vertex\"><![CDATA[void main() { output.p = input.position; }]]>"
                                                           "</node><node type=\"pixel\"><![CDATA[#include \"cyc/a.inc\"\n"
                                                           "void main() { output.color = float4(RED, GREEN, 0.0, 1.0); }]]></node>")));
    Shader* shader = graphics()->GetShader("fx/cyc.xml");
    ASSERT_TRUE(graphics()->IsShaderLoaded(shader));
    EXPECT_NE(renderer.pixelCode.find("vec4(0.25"), std::string::npos) << renderer.pixelCode;
    EXPECT_NE(renderer.pixelCode.find(", 0.5"), std::string::npos) << renderer.pixelCode;
}

TEST_F(ShaderTranslationRoad, GameThreadsLoadingTogetherEachGetTheirOwnShader) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), false));
    renderer.threadingCapabilities = QV_THREADING_CREATE_SHADERS;
    for (int i = 0; i < 20; ++i)
        PutPainting("fx/paint" + std::to_string(i) + ".xml", "0." + std::to_string(10 + i));
    std::vector<std::thread> games;
    for (int t = 0; t < 4; ++t)
        games.emplace_back([t] {
            for (int i = t; i < 20; i += 4)
                graphics()->GetShader(("fx/paint" + std::to_string(i) + ".xml").c_str());
        });
    for (std::thread& game : games)
        game.join();
    for (int i = 0; i < 20; ++i) {
        Shader* shader = graphics()->GetShader(("fx/paint" + std::to_string(i) + ".xml").c_str());
        ASSERT_TRUE(graphics()->IsShaderLoaded(shader)) << i;
        EXPECT_EQ(graphics()->GetShaderUserValue(shader, "red"), "0." + std::to_string(10 + i)) << "its own description";
        ASSERT_TRUE(graphics()->ReloadShader(shader));
        EXPECT_NE(renderer.pixelCode.find("vec4(0." + std::to_string(10 + i) + "f"), std::string::npos) << renderer.pixelCode;
    }
}

}  // namespace
}  // namespace shader_pool_test
