// The source texts the engine carries for its two built-in shaders: one per stage for every
// GL-family language and, for the distance-field shader, HLSL9; each is what the translator
// makes of the Shader XML the engine carries beside it, names what a renderer of that
// language binds, and goes to the Linux side's compilers.
#include <string>

#include "graphics/drawing/builtin_shader_code.h"
#include "graphics/drawing/builtin_shaders/builtin_shader_table.h"
#include "graphics/renderer/renderer_codes.h"
#include "shadertool/compiler_outputs.h"
#include "shadertool/driver/driver_fixture.h"

namespace shadertool_test {
namespace {

std::string StageText(const uint8_t* code, int size) {
    return code && size > 0 ? std::string(reinterpret_cast<const char*>(code), static_cast<size_t>(size)) : "";
}

TEST_F(TranslationDriverTest, BuiltInShaderTextsAreTheTranslationsOfTheirXmlAndGoToTheCompilerOutputs) {
    ASSERT_EQ(kBuiltInShaderXmlCount, 2);
    const char* names[] = {"internal_default", "internal_distance_field"};
    for (int i = 0; i < kBuiltInShaderXmlCount; ++i) {
        const BuiltInShaderXml& xml = kBuiltInShaderXmls[i];
        const std::string name = names[xml.shader];
        const char* text = reinterpret_cast<const char*>(xml.text);
        for (uint32_t target = ShaderTool::kTargetESSL20; target <= ShaderTool::kTargetHLSL9; target <<= 1) {
            const std::string what = name + " " + ShaderTool::GetTargetName(target);
            BuiltInShaderCode code;
            const bool carried = QVI_GetBuiltInShaderCode(xml.shader, static_cast<int>(target), 1, &code);
            if (target == ShaderTool::kTargetHLSL9 && xml.shader == kBuiltInDefaultShader) {
                EXPECT_FALSE(carried) << "no default shader for HLSL9";
                continue;
            }
            ASSERT_TRUE(carried) << what;
            BuiltInShaderCode otherLevel;
            ASSERT_TRUE(QVI_GetBuiltInShaderCode(xml.shader, static_cast<int>(target), 0, &otherLevel)) << what;
            EXPECT_EQ(otherLevel.vertexCode, code.vertexCode) << "a source text serves every level";

            ShaderTool::TranslationOptions options;
            options.targetMask = target;
            ASSERT_TRUE(ShaderTool::Initialize(target, String(""), false)) << Report();
            ASSERT_TRUE(ShaderTool::TranslateShaderXMLText(String(name.c_str()), text, options)) << what << Report();
            const std::string stages[2] = {StageText(code.vertexCode, code.vertexSize),
                                           StageText(code.pixelCode, code.pixelSize)};
            for (uint32_t stage : {ShaderTool::kStageVertex, ShaderTool::kStagePixel}) {
                const std::string& carriedText = stages[stage];
                EXPECT_EQ(carriedText, Code(static_cast<int>(stage))) << what << " stage " << stage;
                ASSERT_FALSE(carriedText.empty()) << what;
                EXPECT_EQ(carriedText.find('\0'), carriedText.size() - 1) << "one text with its terminating zero";
                EXPECT_TRUE(WriteCompilerOutput("builtin_" + name, target, stage, carriedText.c_str())) << what;
            }
            // The names a renderer of the language binds the shader's inputs and constants by.
            const std::string& vertex = stages[0];
            const std::string& pixel = stages[1];
            if (target != ShaderTool::kTargetHLSL9) {
                for (const char* word : {"_in_position", "_in_color", "_in_texture_coordinate", "_vary_color",
                                         "_vary_texture_coordinate", "world_view_proj"})
                    EXPECT_NE(vertex.find(word), std::string::npos) << what << ": " << word << "\n" << vertex;
            }
            EXPECT_NE(pixel.find("_tex_diffuse"), std::string::npos) << what << "\n" << pixel;
            const bool hasPrecision = pixel.find("precision") != std::string::npos;
            EXPECT_EQ(hasPrecision, target == ShaderTool::kTargetESSL20 || target == ShaderTool::kTargetESSL30)
                << what << "\n" << pixel;
            if (xml.shader == kBuiltInDistanceFieldShader) {
                EXPECT_NE(pixel.find("smoothstep(0.5"), std::string::npos) << what << "\n" << pixel;
            }
            ShaderTool::Reset();
        }
    }
}

} // namespace
} // namespace shadertool_test
