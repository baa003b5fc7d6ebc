// Sources no one writes on purpose, through the whole translator: each fails with errors for
// every target, and the next shader translates as usual. Shaders load on game threads, so
// nothing here may crash, overflow a stack or hang.
#include <random>

#include "shadertool/driver/driver_fixture.h"

namespace shadertool_test {
namespace {

TEST_F(TranslationDriverTest, HostileSourcesAreErrorsForEveryTarget) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false));
    const std::string interface = kMinimalInterface + XMLArray("vertex_output", R"(<node id="p" type="FLOAT4" semantic="POSITION"/>)");
    const std::string pixel = SourceNode("pixel", nullptr, "void main() { output.color = float4(1.0, 0.5, 0.0, 1.0); }");
    PutFile("fx/hostile.xml", ShaderXML(interface + XMLArray("sources", SourceNode("vertex", nullptr, "", "v.vsh") + pixel)));
    PutFile("fx/sane.xml", ShaderXML(interface + XMLArray("sources", SourceNode("vertex", nullptr, "void main() { output.p = input.p; }") + pixel)));
    std::mt19937 random(13);
    std::string bytes(4096, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() % 255 + 1);  // a zero would only end the text early
    const std::string name(100000, 'a');
    const std::pair<const char*, std::string> sources[] = {
        {"random bytes", bytes},
        {"nested parentheses", "void main() { output.p = " + std::string(10000, '(') + "input.p" + std::string(10000, ')') + "; }"},
        {"nested blocks", "void main() { " + std::string(10000, '{') + std::string(10000, '}') + " }"},
        {"enormous identifier", "void main() { float " + name + " = 1.0; output.p = input.p; }"},
        {"enormous number", "void main() { output.p = input.p * " + std::string(5000, '9') + "; }"},
        {"enormous macro", "#define " + name + " 1\nvoid main() { output.p = input.p; }"},
    };
    for (const auto& [what, vertex] : sources) {
        PutFile("fx/v.vsh", vertex);
        for (uint32_t target = ShaderTool::kTargetESSL20; target <= ShaderTool::kTargetPSSL; target <<= 1) {
            EXPECT_FALSE(Translate("fx/hostile.xml", target, 0, false)) << what;
            EXPECT_NE(Report().find(" error: "), std::string::npos) << what << "\n" << Report().substr(0, 2000);
            EXPECT_EQ(Report().substr(Report().size() - 20), "\nTranslation FAILED\n") << what;
        }
        EXPECT_TRUE(Translate("fx/sane.xml", ShaderTool::kTargetGLSL21, 0, false)) << what << "\n" << Report();
    }
}

} // namespace
} // namespace shadertool_test
