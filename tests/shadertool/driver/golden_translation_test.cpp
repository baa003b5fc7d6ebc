// Whole shaders for every target: three Shader XML files of the golden folder (inline and
// file sources, an include, general constants, a source of its own for some targets) give
// exactly the golden text of each target and stage, and go to the Linux side's compilers.
// QUAVEN_UPDATE_GOLDEN=1 rewrites the golden texts from the translator's output.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "shadertool/compiler_outputs.h"
#include "shadertool/driver/driver_fixture.h"

namespace shadertool_test {
namespace {

std::string ReadGolden(const std::string& name) {
    std::ostringstream text;
    text << std::ifstream(std::string(QUAVEN_SHADER_GOLDEN_DIR) + "/" + name, std::ios::binary).rdbuf();
    return text.str();
}

TEST_F(TranslationDriverTest, GoldenShadersForEveryTargetAndStageGoToTheCompilerOutputs) {
    const char* update = std::getenv("QUAVEN_UPDATE_GOLDEN");
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false)) << Report();
    for (const char* file : {"wave/wave.vsh", "wave/wave.psh", "wave/waves.inc"})
        PutFile(std::string("golden/") + file, ReadGolden(file));
    for (const std::string shader : {"tinted_sprite", "lit_mesh", "wave"}) {
        ASSERT_NE(ReadGolden(shader + ".xml"), "");
        PutFile("golden/" + shader + ".xml", ReadGolden(shader + ".xml"));
        for (uint32_t target = ShaderTool::kTargetESSL20; target <= ShaderTool::kTargetPSSL; target <<= 1) {
            const std::string name = shader + "." + ShaderTool::GetTargetName(target);
            EXPECT_TRUE(Translate("golden/" + shader + ".xml", target, 0, false)) << name << "\n" << Report();
            for (uint32_t stage : {ShaderTool::kStageVertex, ShaderTool::kStagePixel}) {
                const std::string text = Code(stage).c_str();
                const std::string golden = name + (stage == ShaderTool::kStageVertex ? ".vertex" : ".pixel");
                if (update && update[0] == '1')
                    std::ofstream(std::string(QUAVEN_SHADER_GOLDEN_DIR) + "/" + golden, std::ios::binary) << text;
                EXPECT_EQ(text, ReadGolden(golden)) << golden;
                EXPECT_TRUE(WriteCompilerOutput("golden_" + shader, target, stage, text)) << golden;
            }
        }
    }
}

} // namespace
} // namespace shadertool_test
