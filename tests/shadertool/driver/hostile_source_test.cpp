// Sources no one would write on purpose, through the whole translator: each one fails with
// errors in the report, for every target, and the next translation works as usual. Shaders
// load on game threads, so nothing here may crash, overflow a stack or hang.
#include <random>
#include <string>

#include "shadertool/driver/driver_fixture.h"

namespace shadertool_test {
namespace {

const char kPixel[] = "void main() { output.color = float4(1.0, 0.5, 0.0, 1.0); }";
const char kVertex[] = "void main() { output.position = input.position; }";
const std::string kInterface =
    XMLArray("vertex_input", R"(<node id="position" semantic="POSITION"/><node id="color" semantic="COLOR"/>)"
                             R"(<node id="uv" semantic="TEXTURE_COORDINATE_0"/>)") +
    XMLArray("vertex_output", R"(<node id="position" type="FLOAT4" semantic="POSITION"/>)") + kMinimalOutput;

class HostileSource : public TranslationDriverTest {
protected:
    void SetUp() override {
        TranslationDriverTest::SetUp();
        ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false));
        PutFile("fx/pixel.psh", kPixel);
    }

    // The vertex source text from a file (any bytes may stand there), the pixel one sane;
    // expects a failure with errors for each target, then a sane shader to translate.
    void ExpectRefused(const std::string& what, const std::string& vertex) {
        PutFile("fx/hostile.vsh", vertex);
        PutFile("fx/hostile.xml", ShaderXML(kInterface + XMLArray("sources", SourceNode("vertex", nullptr, "", "hostile.vsh") +
                                                                                    SourceNode("pixel", nullptr, "", "pixel.psh"))));
        for (uint32_t target = ShaderTool::kTargetESSL20; target <= ShaderTool::kTargetPSSL; target <<= 1) {
            EXPECT_FALSE(Translate("fx/hostile.xml", target, 0, false)) << what << " for " << ShaderTool::GetTargetName(target);
            EXPECT_NE(Report().find(" error: "), std::string::npos) << what << "\n" << Report().substr(0, 2000);
            EXPECT_NE(Report().find("\nTranslation FAILED\n"), std::string::npos) << what;
            EXPECT_EQ(g_shaderContext.codeBuffers[ShaderTool::kStageVertex].size, 0) << what;
        }
        PutFile("fx/sane.xml", ShaderXML(kInterface + XMLArray("sources", SourceNode("vertex", nullptr, kVertex) +
                                                                                 SourceNode("pixel", nullptr, kPixel))));
        EXPECT_TRUE(Translate("fx/sane.xml", ShaderTool::kTargetGLSL21, 0, false)) << "after " << what << "\n" << Report();
    }
};

TEST_F(HostileSource, RandomBytesAreErrors) {
    std::mt19937 random(13);
    for (int run = 0; run < 4; ++run) {
        std::string bytes(4096, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random() % 255 + 1);  // a zero would only end the text early
        ExpectRefused("random bytes, run " + std::to_string(run), bytes);
    }
}

TEST_F(HostileSource, TenThousandNestedParenthesesAreRefusedNotOverflowed) {
    const std::string open(10000, '('), close(10000, ')');
    ExpectRefused("nested parentheses", "void main() { output.position = " + open + "input.position" + close + "; }");
    ExpectRefused("nested blocks", "void main() { " + std::string(10000, '{') + std::string(10000, '}') + " }");
    std::string calls = "input.position";
    for (int i = 0; i < 2000; ++i)
        calls = "normalize(" + calls + ")";
    ExpectRefused("nested calls", "void main() { output.position = " + calls + "; }");
}

TEST_F(HostileSource, EnormousIdentifiersAndNumbersAreErrors) {
    const std::string name(100000, 'a');
    ExpectRefused("enormous identifier", "void main() { float " + name + " = 1.0; output.position = input.position; }");
    ExpectRefused("enormous number", "void main() { output.position = input.position * " + std::string(5000, '9') + "; }");
    ExpectRefused("enormous macro", "#define " + name + " 1\nvoid main() { output.position = input.position; }");
}

} // namespace
} // namespace shadertool_test
