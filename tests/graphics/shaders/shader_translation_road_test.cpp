// The pool's translation road with the real translator behind it: a developer's reload of
// a shader whose files did not change keeps the shader as it is, and game threads that
// load shaders at the same time each get their own shader's code.
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "graphics/shaders/shader_pool_fixture.h"
#include "shadertool/core/context.h"
#include "shadertool/driver/translation_driver.h"

namespace shader_pool_test {
namespace {

// ShaderRenderer that keeps the pixel code of every shader it made, by name.
class CodeKeepingRenderer : public ShaderRenderer {
public:
    bool CreateShader(Shader* shader, const ShaderTool::ShaderDescription* description, const ByteBuffer code[2]) override {
        if (!ShaderRenderer::CreateShader(shader, description, code))
            return false;
        std::lock_guard<std::mutex> guard(mutex_);
        pixelCodes[shader->name] = Bytes(code[1]);
        return true;
    }
    std::map<std::string, std::string> pixelCodes;

private:
    std::mutex mutex_;
};

// A shader for the batch whose pixel stage paints one colour.
std::string Painting(const std::string& red) {
    return ShaderXml(XmlArray("vertex_output", R"(<node id="position" type="FLOAT4" semantic="POSITION"/>)") +
                     XmlArray("sources", "<node type=\"vertex\"><![CDATA[void main() { output.position = input.position; }]]></node>"
                                         "<node type=\"pixel\"><![CDATA[void main() { output.color = float4(" + red +
                                         ", 0.0, 0.0, 1.0); }]]></node>"));
}

class ShaderTranslationRoad : public ShaderPoolTest {
protected:
    void SetUp() override {
        ShaderPoolTest::SetUp();
        QVI_DetachRenderer();
        QVI_AttachRenderer(&keeping);
        // A GL renderer takes the translated text itself: no compiler in the way.
        keeping.shaderLanguage = QV_SHADER_LANGUAGE_GLSL21, keeping.precompiledShaders = false;
    }
    void TearDown() override {
        EmptyPool();
        EXPECT_TRUE(keeping.live.empty());
        ShaderPoolTest::TearDown();
    }
    CodeKeepingRenderer keeping;
};

TEST_F(ShaderTranslationRoad, ADevelopersReloadOfUnchangedFilesKeepsTheShader) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), true));
    files->Put("fx/paint.xml", Painting("0.25"), 1000);
    Shader* paint = graphics()->GetShader("fx/paint.xml");
    ASSERT_TRUE(graphics()->IsShaderLoaded(paint));
    EXPECT_EQ(paint->timeStamp, 1000);
    EXPECT_EQ(keeping.CallCount("CreateShader"), 1);

    EXPECT_FALSE(graphics()->ReloadShader(paint)) << "nothing newer to load";
    EXPECT_TRUE(graphics()->IsShaderLoaded(paint));
    EXPECT_EQ(keeping.CallCount("CreateShader"), 1);

    files->Put("fx/paint.xml", Painting("0.75"), 2000);
    EXPECT_TRUE(graphics()->ReloadShader(paint));
    EXPECT_EQ(paint->timeStamp, 2000);
    EXPECT_EQ(keeping.CallCount("CreateShader"), 2);
    EXPECT_NE(keeping.pixelCodes["fx/paint.xml"].find("0.75"), std::string::npos);

    // Without the check every reload translates.
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), false));
    EXPECT_TRUE(graphics()->ReloadShader(paint));
    EXPECT_EQ(keeping.CallCount("CreateShader"), 3);
}

TEST_F(ShaderTranslationRoad, GameThreadsLoadingTogetherEachGetTheirOwnShader) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), false));
    keeping.threadingCapabilities = QV_THREADING_CREATE_SHADERS;
    const int threads = 4, perThread = 5;
    for (int i = 0; i < threads * perThread; ++i)
        files->Put("fx/paint" + std::to_string(i) + ".xml", Painting("0." + std::to_string(10 + i)));
    std::vector<std::thread> games;
    for (int t = 0; t < threads; ++t)
        games.emplace_back([t, perThread] {
            for (int i = t * perThread; i < (t + 1) * perThread; ++i)
                graphics()->GetShader(("fx/paint" + std::to_string(i) + ".xml").c_str());
        });
    for (std::thread& game : games)
        game.join();
    for (int i = 0; i < threads * perThread; ++i) {
        const std::string name = "fx/paint" + std::to_string(i) + ".xml";
        EXPECT_TRUE(graphics()->IsShaderLoaded(graphics()->GetShader(name.c_str()))) << name;
        const std::string& code = keeping.pixelCodes[name];
        EXPECT_NE(code.find("vec4(0." + std::to_string(10 + i) + "f, 0.0f"), std::string::npos) << name << "\n" << code;
        EXPECT_EQ(code.find("#extension"), std::string::npos) << "one stage's text, one target's, nothing of another";
    }
}

}  // namespace
}  // namespace shader_pool_test
