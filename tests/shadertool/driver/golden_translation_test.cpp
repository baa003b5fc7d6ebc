// Whole shaders translated for every target: three Shader XML files of the golden folder
// (inline and file sources, includes, general constants, a source of its own for one
// target) must give exactly the golden text of each target and stage. The same texts go to
// the Linux side's compilers (ShaderOutputsCompile), which judge that they are valid.
// QUAVEN_UPDATE_GOLDEN=1 rewrites the golden texts from the translator's output.
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "shadertool/compiler_outputs.h"
#include "shadertool/driver/driver_fixture.h"

namespace shadertool_test {
namespace {

struct GoldenShader {
    const char* name;
    std::vector<const char*> files;   // besides <name>.xml
};

const GoldenShader kGoldenShaders[] = {
    {"tinted_sprite", {}},
    {"lit_mesh", {}},
    {"wave", {"wave/wave.vsh", "wave/wave.psh", "wave/waves.inc"}},
};

const uint32_t kTargets[] = {ShaderTool::kTargetESSL20, ShaderTool::kTargetESSL30, ShaderTool::kTargetGLSL21,
                             ShaderTool::kTargetGLSL31, ShaderTool::kTargetHLSL9,  ShaderTool::kTargetHLSL11,
                             ShaderTool::kTargetPSSL};

class GoldenTranslation : public TranslationDriverTest {};

TEST_F(GoldenTranslation, EveryTargetAndStageGivesItsGoldenTextAndGoesToTheCompilerOutputs) {
    const char* update = std::getenv("QUAVEN_UPDATE_GOLDEN");
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false)) << Report();
    for (const GoldenShader& shader : kGoldenShaders) {
        const std::string xml = std::string(shader.name) + ".xml";
        ASSERT_FALSE(ReadGolden(xml).empty()) << xml;
        PutFile("golden/" + xml, ReadGolden(xml));
        for (const char* file : shader.files)
            PutFile(std::string("golden/") + file, ReadGolden(file));
        for (uint32_t target : kTargets) {
            const std::string what = std::string(shader.name) + " for " + ShaderTool::GetTargetName(target);
            EXPECT_TRUE(Translate("golden/" + xml, target, 0, false)) << what << "\n" << Report();
            for (uint32_t stage : {ShaderTool::kStageVertex, ShaderTool::kStagePixel}) {
                const std::string text = CodeText(stage);
                const std::string golden = std::string(shader.name) + "." + ShaderTool::GetTargetName(target) +
                                           (stage == ShaderTool::kStageVertex ? ".vertex" : ".pixel");
                if (update && update[0] == '1')
                    std::ofstream(std::string(QUAVEN_SHADER_GOLDEN_DIR) + "/" + golden, std::ios::binary) << text;
                EXPECT_EQ(text, ReadGolden(golden)) << golden;
                EXPECT_TRUE(WriteCompilerOutput(std::string("golden_") + shader.name, target, stage, text)) << golden;
            }
        }
    }
}

} // namespace
} // namespace shadertool_test
