// Sources no one writes on purpose, through the whole translator: each fails with errors for
// every target, and the next shader translates as usual. Shaders load on game threads, so
// nothing here may crash, overflow a stack or hang.
#include <random>

#include "shadertool/driver/driver_fixture.h"

namespace shadertool_test {
namespace {

const char kPixel[] = "void main() { output.color = float4(1.0, 0.5, 0.0, 1.0); }";

class HostileSource : public TranslationDriverTest {
protected:
    void SetUp() override {
        TranslationDriverTest::SetUp();
        ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false));
        const std::string interface =
            kMinimalInputs + kMinimalOutput + XMLArray("vertex_output", R"(<node id="p" type="FLOAT4" semantic="POSITION"/>)");
        PutFile("fx/hostile.xml", ShaderXML(interface + XMLArray("sources", SourceNode("vertex", nullptr, "", "hostile.vsh") +
                                                                             SourceNode("pixel", nullptr, kPixel))));
        PutFile("fx/sane.xml", ShaderXML(interface + XMLArray("sources", SourceNode("vertex", nullptr, "void main() { output.p = input.p; }") +
                                                                          SourceNode("pixel", nullptr, kPixel))));
    }
    // The vertex source from a file (any bytes may stand there), the pixel source sane.
    void Refused(const std::string& what, const std::string& vertex) {
        PutFile("fx/hostile.vsh", vertex);
        for (uint32_t target = ShaderTool::kTargetESSL20; target <= ShaderTool::kTargetPSSL; target <<= 1) {
            EXPECT_FALSE(Translate("fx/hostile.xml", target, 0, false)) << what;
            EXPECT_NE(Report().find(" error: "), std::string::npos) << what << "\n" << Report().substr(0, 2000);
            EXPECT_EQ(Report().substr(Report().size() - 20), "\nTranslation FAILED\n") << what;
        }
        EXPECT_TRUE(Translate("fx/sane.xml", ShaderTool::kTargetGLSL21, 0, false)) << what << "\n" << Report();
    }
};

TEST_F(HostileSource, RandomBytesAreErrors) {
    std::mt19937 random(13);
    for (int run = 0; run < 4; ++run) {
        std::string bytes(4096, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random() % 255 + 1);  // a zero would only end the text early
        Refused("random bytes " + std::to_string(run), bytes);
    }
}

TEST_F(HostileSource, DeepNestingIsRefusedNotOverflowed) {
    Refused("parentheses", "void main() { output.p = " + std::string(10000, '(') + "input.p" + std::string(10000, ')') + "; }");
    Refused("blocks", "void main() { " + std::string(10000, '{') + std::string(10000, '}') + " }");
    std::string calls = "input.p";
    for (int i = 0; i < 2000; ++i)
        calls = "normalize(" + calls + ")";
    Refused("calls", "void main() { output.p = " + calls + "; }");
}

TEST_F(HostileSource, EnormousIdentifiersAndNumbersAreErrors) {
    const std::string name(100000, 'a');
    Refused("identifier", "void main() { float " + name + " = 1.0; output.p = input.p; }");
    Refused("number", "void main() { output.p = input.p * " + std::string(5000, '9') + "; }");
    Refused("macro", "#define " + name + " 1\nvoid main() { output.p = input.p; }");
}

} // namespace
} // namespace shadertool_test
