// A pixel shader that changes its inputs and indexes arrays with floats, through the whole
// translator for every target: the GL targets, whose inputs are read-only, work on copies;
// glslangValidator judges the GL and HLSL texts (the "CompilerOutputs" tests) and the
// platform's compiler the HLSL11 text at every level the renderer uses, in a child process.
// GL also gets an array indexed with a bool.
#include "shadertool/compiler_outputs.h"
#include "shadertool/driver/driver_fixture.h"
#include "support/child_run.h"

namespace shadertool_test {
namespace {

using namespace ShaderTool;

const std::string kInterface =
    kMinimalInputs + XMLArray("vertex_output", R"(<node id="position" type="FLOAT4" semantic="POSITION"/>
<node id="color" type="FLOAT4" semantic="COLOR"/><node id="uv" type="FLOAT2"/>)") +
    XMLArray("pixel_constants", R"(<node id="tint" type="FLOAT4"/>)") +
    XMLArray("pixel_textures", R"(<node id="diffuse" type="2D"/>)") + kMinimalOutput;

const char* const kVertex = "void main()\n{\n    output.position = input.p;\n    output.color = input.c;\n"
                            "    output.uv = input.t;\n}\n";

// Flips and nudges the coordinates it was given, dims its colour, and weighs by an array
// element picked with a float.
const char* const kPixel = "void main()\n"
                           "{\n"
                           "    input.uv.y = 1.0 - input.uv.y;\n"
                           "    input.uv += float2(0.01, 0.0);\n"
                           "    input.color *= 0.5;\n"
                           "    float weights[3] = {0.25, 0.5, 0.25};\n"
                           "    output.color = sampleTexture(texture.diffuse, input.uv) * input.color * weights[1.0] + tint;\n"
                           "}\n";

std::string PixelText() {
    return std::string(reinterpret_cast<const char*>(g_shaderContext.codeBuffers[kStagePixel].data));
}

TEST_F(TranslationDriverTest, CompilerOutputsOfAPixelShaderThatChangesItsInputs) {
    ASSERT_TRUE(Initialize(kTargetAll, String(""), false));
    PutFile("fx/changed.xml", ShaderXML(kInterface + XMLArray("sources", SourceNode("vertex", nullptr, kVertex) +
                                                                             SourceNode("pixel", nullptr, kPixel))));
    for (uint32_t target = kTargetESSL20; target <= kTargetPSSL; target <<= 1) {
        ASSERT_TRUE(Translate("fx/changed.xml", target, 0, false)) << GetTargetName(target) << "\n" << Report();
        const std::string pixel = PixelText();
        for (uint32_t stage : {kStageVertex, kStagePixel}) {
            const ByteBuffer& code = g_shaderContext.codeBuffers[stage];
            EXPECT_TRUE(WriteCompilerOutput("changed_inputs", target, stage, reinterpret_cast<const char*>(code.data)));
        }
        const bool gl = target <= kTargetGLSL31;
        if (gl) {
            // Every input is copied, the copies are changed and read, the varyings only read.
            const char* const vec4 = "vec4", *const vec2 = "vec2";
            EXPECT_NE(pixel.find(std::string("{\n\t") + vec4 + " _input_position = _vary_position;\n\t" + vec4 +
                                 " _input_color = _vary_color;\n\t" + vec2 + " _input_uv = _vary_uv;\n\n"
                                 "\t_input_uv.y = 1.0" + (target == kTargetESSL20 ? "" : "f") + " - _input_uv.y;\n"),
                      std::string::npos) << pixel;
            EXPECT_NE(pixel.find("_input_uv) * _input_color * weights[int(1.0"), std::string::npos) << pixel;
            EXPECT_EQ(pixel.find("_vary_uv.y"), std::string::npos) << pixel;
        } else {
            EXPECT_NE(pixel.find("\tinput.uv.y = 1.0f - input.uv.y;\n\tinput.uv += float2(0.01f, 0.0f);\n"
                                 "\tinput.color *= 0.5f;\n"), std::string::npos) << pixel;
            EXPECT_NE(pixel.find(" * input.color * weights[1.0f] + tint;"), std::string::npos) << pixel;
        }
    }
    // A bool picks an element too; GL, which indexes with integers only, gets it cast.
    PutFile("fx/bool_index.xml", ShaderXML(kInterface + XMLArray("sources", SourceNode("vertex", nullptr, kVertex) +
        SourceNode("pixel", nullptr, "void main()\n{\n    float weights[2] = {0.25, 0.75};\n"
                                     "    output.color = tint * weights[input.uv.x > 0.5];\n}\n"))));
    for (uint32_t target = kTargetESSL20; target <= kTargetGLSL31; target <<= 1) {
        ASSERT_TRUE(Translate("fx/bool_index.xml", target, 0, false)) << GetTargetName(target) << "\n" << Report();
        EXPECT_NE(PixelText().find("tint * weights[int(_vary_uv.x > 0.5"), std::string::npos)
            << GetTargetName(target) << "\n" << PixelText();
        for (uint32_t stage : {kStageVertex, kStagePixel}) {
            const ByteBuffer& code = g_shaderContext.codeBuffers[stage];
            EXPECT_TRUE(WriteCompilerOutput("bool_index", target, stage, reinterpret_cast<const char*>(code.data)));
        }
    }
    // A shader that only reads its inputs keeps reading the varyings.
    PutFile("fx/reads.xml", ShaderXML(kInterface + XMLArray("sources", SourceNode("vertex", nullptr, kVertex) +
        SourceNode("pixel", nullptr, "void main() { output.color = input.color * tint; }"))));
    ASSERT_TRUE(Translate("fx/reads.xml", kTargetGLSL21, 0, false)) << Report();
    EXPECT_NE(PixelText().find("void main()\n{\n\tgl_FragColor = _vary_color * tint;\n}\n"),
              std::string::npos) << PixelText();
}

const char* const kChildVariable = "QUAVEN_CHANGED_INPUTS_CHILD";

TEST_F(TranslationDriverTest, ThePlatformCompilerTakesTheHLSL11TextOfAShaderThatChangesItsInputs) {
    if (!quaven_test::InChild(kChildVariable)) {
        EXPECT_EQ(quaven_test::RunCurrentTestInChild(kChildVariable), 0u) << "a compilation failed or the compiler crashed";
        return;
    }
    ASSERT_TRUE(Initialize(kTargetHLSL11, String(""), false)) << Report();
    PutFile("fx/changed.xml", ShaderXML(kInterface + XMLArray("sources", SourceNode("vertex", nullptr, kVertex) +
                                                                             SourceNode("pixel", nullptr, kPixel))));
    ShaderTool::TranslationOptions options;
    options.shaderLevel = kShaderLevelDefault | kShaderLevelLow | kShaderLevelXbox, options.targetMask = kTargetHLSL11;
    options.compile = 1;
    ShaderTool::Reset();
    EXPECT_TRUE(ShaderTool::TranslateShaderXML(String("res://fx/changed.xml"), options, true)) << Report();
    // Three programs a stage, each a Direct3D 10+ container.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_shaderContext.codeBuffers[kStagePixel].data), 4), "DXBC");
}

} // namespace
} // namespace shadertool_test
