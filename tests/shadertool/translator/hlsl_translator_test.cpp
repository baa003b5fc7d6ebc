// The HLSL family translators: sources checked by the real front end in, text out. The exact
// text is asserted where the form matters to the engine (interface structures, constant
// buffers, products, sampling, refusals); the platform's compiler judges HLSL11 output at
// every shader level in a child process, and D3DReflect shows that each constant lands where
// the engine's block puts it; glslangValidator's HLSL front end judges the outputs (the
// "CompilerOutputs" tests; see compiler_outputs.h).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "platform/windows/os/shader_compiler_windows.h"
#include "shadertool/compiler_outputs.h"
#include "shadertool/core/context.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"
#include "shadertool/semantic/semantic_actions.h"
#include "shadertool/translator/hlsl_translator.h"
#include "support/child_run.h"
#include "tree_builder.h"

#include <d3d11shader.h>

namespace translator_test {
namespace {

std::string Text(const Log& log) { return translator_test::Text(log.text); }

// The description parts the translators read, the types by their Shader XML names.
struct Description {
    ShaderDescription d;

    Description& Input(const char* name, uint32_t element, const char* type) {
        d.vertex_input.Add(translator_test::Input(name, element, type));
        return *this;
    }
    Description& Output(const char* name, const char* type, uint32_t semantic) {
        d.vertex_output.Add(translator_test::Output(name, semantic, type));
        return *this;
    }
    Description& Constant(bool pixel, const char* name, const char* type, int count = 0) {
        (pixel ? d.pixel_constants : d.vertex_constants).Add(translator_test::Constant(name, type, count));
        return *this;
    }
    Description& Texture(const char* name, uint32_t dimension) {
        d.pixel_textures.Add(translator_test::Texture(name, dimension));
        return *this;
    }
    Description& PixelOutput(const char* name) {
        d.pixel_output.Add(String(name));
        return *this;
    }
};

// A sprite shader: position through a world-view-projection matrix, constants of every
// shape, one texture sampled and tinted, the face read in the pixel stage.
Description SpriteDescription() {
    Description description;
    description.Input("position", 1, "FLOAT4").Input("color", 2, "FLOAT4").Input("uv", 4, "FLOAT2");
    description.Output("position", "FLOAT4", kOutputPosition).Output("color", "FLOAT4", kOutputColor);
    description.Output("uv", "FLOAT2", kOutputTextureCoordinate);
    description.Constant(false, "rotation", "FLOAT3X3").Constant(false, "tint", "FLOAT4").Constant(false, "skew", "FLOAT2X2");
    description.Constant(false, "offsets", "FLOAT4", 2).Constant(false, "wvp", "FLOAT4X4");
    description.Constant(true, "glow", "FLOAT4").Constant(true, "counts", "INT4").Texture("sprite", kTexture2D).PixelOutput("color");
    return description;
}

const char* const kSpriteVertex =
    "void main()\n"
    "{\n"
    "    output.position = input.position * wvp + offsets[1] * tint.x;\n"
    "    output.color = float4(input.color.rgb * rotation, input.color.a);\n"
    "    output.uv = input.uv * skew;\n"
    "}\n";

const char* const kSpritePixel =
    "void main()\n"
    "{\n"
    "    output.color = sampleTexture(texture.sprite, input.uv) * input.color * input.face_direction + glow;\n"
    "}\n";

// A pixel stage that branches on a constant, within what Wine's compiler implements.
const char* const kBranchPixel =
    "void main()\n"
    "{\n"
    "    output.color = sampleTexture(texture.sprite, input.uv) + glow;\n"
    "    if (glow.x > 0.5)\n"
    "        output.color *= 0.5;\n"
    "}\n";

// A loop, a helper function with a global, an int condition, a vector comparison and "?:".
const char* const kFlowPixel =
    "float weight = 0.5, unused = 2.0;\n"
    "float4 halve(float4 c) { return c * weight; }\n"
    "void main()\n"
    "{\n"
    "    output.color = glow;\n"
    "    for (int i = 0; i < 2; i++) output.color.y += 0.5;\n"
    "    do { output.color = halve(output.color); } while (output.color.x > 0.25);\n"
    "    if (counts.x) output.color.x += 1;\n"
    "    output.color = output.color != glow ? output.color : float4(0.0);\n"
    "}\n";

// The source checked by the real front end, then translated; "FAILED" and the error log
// when either step reports an error.
std::string Translate(Translator& translator, uint32_t target, const Description& description, const char* code,
                      uint32_t stage, uint32_t levels = kShaderLevelDefault) {
    ShaderSource source;
    source.path.Assign("sprite.xml");
    source.text.Assign(code);
    source.stage = stage;
    Log& log = g_shaderContext.errorLog;
    log.Clear();
    bool ok = CheckTranslationUnit(g_shaderContext.parse, description.d, source) &&
              translator.Translate(description.d, target, levels, stage, g_shaderContext.parse.root);
    std::string text = ok ? translator.GetText() : "FAILED\n" + Text(log);
    ResetTranslationUnit(g_shaderContext.parse);
    return text;
}

std::string ErrorsOf(const std::string& text) { return text.rfind("FAILED\n", 0) == 0 ? text.substr(7) : ""; }

TEST(HLSL11Translation, VertexStageDeclaresInputsConstantsInTheEnginesOrderAndOutputs) {
    HLSL11Translator translator(g_shaderContext.errorLog);
    EXPECT_EQ(Translate(translator, kTargetHLSL11, SpriteDescription(), kSpriteVertex, kStageVertex),
              "struct VertexInput\n{\n\tfloat4 position : POSITION;\n\tfloat4 color : COLOR;\n\tfloat2 uv : TEXCOORD0;\n};\n"
              "\ncbuffer Constants\n{\n"
              "\tfloat3x3 rotation;\n\tfloat4 tint;\n\tfloat2x2 skew;\n\tfloat4 offsets[2];\n\tfloat4x4 wvp;\n};\n"
              "\nstruct VertexOutput\n{\n\tfloat4 position : SV_POSITION;\n\tfloat4 color : COLOR0;\n\tfloat2 uv : TEXCOORD0;\n};\n"
              "\nVertexOutput main(VertexInput input)\n{\n\tVertexOutput output;\n"
              "\toutput.position = mul(input.position, wvp) + offsets[1] * tint.x;\n"
              "\toutput.color = float4(mul(input.color.rgb, rotation), input.color.a);\n"
              "\toutput.uv = mul(input.uv, skew);\n\n\treturn output;\n}\n");
}

TEST(HLSL11Translation, PixelStageDeclaresTexturesSamplersOutputsAndTheFaceItReads) {
    HLSL11Translator translator(g_shaderContext.errorLog);
    Description description = SpriteDescription();
    description.PixelOutput("glow_out");
    EXPECT_EQ(Translate(translator, kTargetHLSL11, description, kSpritePixel, kStagePixel),
              "struct PixelInput\n{\n\tfloat4 position : SV_POSITION;\n\tfloat4 color : COLOR0;\n\tfloat2 uv : TEXCOORD0;\n"
              "\tbool _facing : SV_IsFrontFace;\n};\n"
              "\ncbuffer Constants\n{\n\tfloat4 glow;\n\tint4 counts;\n};\n"
              "\nSamplerState _smp_sprite : register(s0);\nTexture2D _tex_sprite : register(t0);\n"
              "\nstruct PixelOutput\n{\n\tfloat4 color : SV_TARGET0;\n\tfloat4 glow_out : SV_TARGET1;\n};\n"
              "\nPixelOutput main(PixelInput input)\n{\n\tPixelOutput output;\n"
              "\toutput.color = _tex_sprite.Sample(_smp_sprite, input.uv) * input.color * (input._facing ? 1.0f : -1.0f) + glow;\n"
              "\n\treturn output;\n}\n");
    // The face member belongs to the shader that read it, not to the next one.
    std::string text = Translate(translator, kTargetHLSL11, description, kBranchPixel, kStagePixel);
    EXPECT_EQ(text.find("_facing"), std::string::npos) << text;
}

TEST(HLSL9Translation, SamplersTexFunctionsAndIntConstantsStoredAsFloat) {
    HLSL9Translator translator(g_shaderContext.errorLog);
    Description description;
    description.Output("uv", "FLOAT2", kOutputTextureCoordinate).PixelOutput("color").Texture("sky", kTextureCube).Texture("d", kTexture2D);
    description.Constant(true, "counts", "INT4").Constant(true, "steps", "INT4", 3);
    std::string text = Translate(translator, kTargetHLSL9, description,
                                 "void main()\n{\n"
                                 "    output.color = sampleTextureLod(texture.d, input.uv, 2.0);\n"
                                 "    output.color += sampleTextureLodOffset(texture.d, input.uv, 1.0, int2(1, 0));\n"
                                 "    output.color += sampleTexture(texture.sky, input.uv.xyx) * input.face_direction;\n"
                                 "    output.color.x += float(counts.x + steps[2].y);\n}\n",
                                 kStagePixel);
    EXPECT_EQ(text.rfind("float2 _const_reciprocal_texture_dimensions_1;\n\nstruct PixelInput\n{\n\tfloat2 uv : TEXCOORD0;\n"
                         "\tfloat _facing : VFACE;\n};\n\nfloat4 counts;\nfloat4 steps[3];\n"
                         "\nsampler _tex_sky : register(s0);\nsampler _tex_d : register(s1);\n"
                         "\nstruct PixelOutput\n{\n\tfloat4 color : COLOR0;\n};\n", 0), 0u) << text;
    EXPECT_NE(text.find("\toutput.color = tex2Dlod(_tex_d, float4(input.uv, 0.0f, 2.0f));\n"
                        "\toutput.color += tex2Dlod(_tex_d, float4(input.uv + _const_reciprocal_texture_dimensions_1 * int2(1, 0), 0.0f, 1.0f));\n"
                        "\toutput.color += texCUBE(_tex_sky, input.uv.xyx) * input._facing;\n"
                        "\toutput.color.x += float(int4(counts).x + int4(steps[2]).y);\n"), std::string::npos) << text;
}

TEST(PSSLTranslation, OwnSemanticsBlockKeywordMethodsAndBoolCastsForAllAndAny) {
    PSSLTranslator translator(g_shaderContext.errorLog);
    Description description;
    description.Output("uv", "FLOAT3", kOutputTextureCoordinate).PixelOutput("color").Texture("v", kTexture3D).Constant(true, "c", "FLOAT4");
    std::string text = Translate(translator, kTargetPSSL, description,
                                 "void main()\n{\n    output.color = sampleTextureLod(texture.v, input.uv, 0.0) * c;\n"
                                 "    if (any(input.uv) && input.is_front_facing)\n        output.color = c;\n}\n",
                                 kStagePixel);
    EXPECT_NE(text.find("\tfloat _facing : S_FRONT_FACE;\n};\n\nConstantBuffer Constants\n{\n\tfloat4 c;\n};\n"
                        "\nSamplerState _smp_v : register(s0);\nTexture3D _tex_v : register(t0);\n"
                        "\nstruct PixelOutput\n{\n\tfloat4 color : S_TARGET_OUTPUT0;\n};\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\toutput.color = _tex_v.SampleLOD(_smp_v, input.uv, 0.0f) * c;\n"
                        "\n\tif (any((bool3)(input.uv)) && (input._facing > 0.0f))\n\t\toutput.color = c;\n"), std::string::npos) << text;
}

TEST(HLSLTranslation, ProductsComparisonsAndReshapingConstructors) {
    HLSL11Translator translator(g_shaderContext.errorLog);
    Description description;
    description.Input("position", 1, "FLOAT4").Output("position", "FLOAT4", kOutputPosition);
    description.Constant(false, "m", "FLOAT4X4").Constant(false, "n", "FLOAT4X4");
    std::string text = Translate(translator, kTargetHLSL11, description,
                                 "float k = 2.0, half_k = 1.0;\nfloat single = 3.0;\n"
                                 "void main()\n{\n"
                                 "    output.position = input.position * (m * n);\n"
                                 "    output.position *= m;\n"
                                 "    output.position *= k;\n"
                                 "    if (input.position == output.position || m != n || 0.0 == k)\n"
                                 "        output.position.xyz = input.position.xyz * float3x3(m);\n"
                                 "    output.position += float4(float2(input.position), 0.0, 1.0) + float4(1.0) + float4(input.position);\n"
                                 "}\n",
                                 kStageVertex);
    EXPECT_NE(text.find("static float k = 2.0f, half_k = 1.0f;\nstatic float single = 3.0f;\n\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\toutput.position = mul(input.position, (mul(m, n)));\n"
                        "\toutput.position = mul(output.position, m);\n\toutput.position *= k;\n"
                        "\n\tif (all(input.position == output.position) || any(m != n) || 0.0f == k)\n"
                        "\t\toutput.position.xyz = mul(input.position.xyz, (float3x3)(m));\n"
                        "\n\toutput.position += float4((float2)(input.position), 0.0f, 1.0f) + (float4)(1.0f) + float4(input.position);\n"),
              std::string::npos) << text;
}

TEST(HLSLTranslation, IntConditionsAndDeclarationsInConditionsAreWrittenAsTheSourceHasThem) {
    Description description;
    description.Input("position", 1, "FLOAT4").Output("position", "FLOAT4", kOutputPosition);
    const char* const source =
        "void main()\n{\n    int n = 2;\n    int2 v = int2(1, 0);\n    output.position = input.position;\n"
        "    if (n) output.position.x += 1.0;\n    if (v) output.position.y += 1.0;\n"
        "    while (n) n--;\n    do n++; while (n);\n    for (int i = 3; i; i--) output.position.z += 0.25;\n"
        "    while (int j = n) n--;\n    if (true) n = 1;\n}\n";
    HLSL9Translator hlsl9(g_shaderContext.errorLog);
    HLSL11Translator hlsl11(g_shaderContext.errorLog);
    PSSLTranslator pssl(g_shaderContext.errorLog);
    const std::pair<Translator*, uint32_t> targets[] = {{&hlsl9, kTargetHLSL9}, {&hlsl11, kTargetHLSL11}, {&pssl, kTargetPSSL}};
    for (const auto& target : targets) {
        std::string text = Translate(*target.first, target.second, description, source, kStageVertex);
        EXPECT_NE(text.find("\tif (n)\n\t\toutput.position.x += 1.0f;\n\n\tif (v)\n\t\toutput.position.y += 1.0f;\n"
                            "\n\twhile (n)\n\t\tn--;\n\n\tdo\n\t\tn++;\n\twhile (n);\n"
                            "\n\tfor (int i = 3; i; i--)\n\t\toutput.position.z += 0.25f;\n"
                            "\n\twhile (int j = n)\n\t\tn--;\n\n\tif (true)\n"), std::string::npos) << text;
    }
}

TEST(HLSLTranslation, RefusalsAreReportedOnceEachAndFailTheTranslation) {
    Description description;
    description.Input("position", 1, "FLOAT4").Output("position", "FLOAT4", kOutputPosition);
    const char* const shifted =
        "void main()\n{\n    output.position = input.position;\n    output.position.x += float(3 << 1);\n"
        "    output.position.y += float(input.instance_id);\n}\n";
    HLSL9Translator hlsl9(g_shaderContext.errorLog);
    EXPECT_EQ(ErrorsOf(Translate(hlsl9, kTargetHLSL9, description, shifted, kStageVertex)),
              "Error: bit-wise operations are not supported.\nError: 'input.instance_id' is not supported.\n");

    HLSL11Translator hlsl11(g_shaderContext.errorLog);
    EXPECT_EQ(ErrorsOf(Translate(hlsl11, kTargetHLSL11, description, shifted, kStageVertex,
                                 kShaderLevelDefault | kShaderLevelLow)),
              "Error: bit-wise operations are not supported in level 'HLSL11_LOW'.\n");
    std::string text = Translate(hlsl11, kTargetHLSL11, description, shifted, kStageVertex, kShaderLevelDefault);
    EXPECT_NE(text.find("\toutput.position.x += float(3 << 1);\n\toutput.position.y += float(input._instance_id);\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("\tuint _instance_id : SV_InstanceID;\n};\n"), std::string::npos) << text;
}

// ---------------------------------------------------------------------------------------
// The platform compiler and glslangValidator as judges.

struct Judged {
    const char* name;
    uint32_t target;
    uint32_t stage;
    std::string text;
    bool wine;   // within what Wine's compiler implements (no "?:", loops or helpers)
};

// Both stages of the sprite shader and the branching and flow pixel stages, for the two
// HLSL targets glslang reads.
std::vector<Judged> TranslateJudgedShaders() {
    std::vector<Judged> shaders;
    HLSL9Translator hlsl9(g_shaderContext.errorLog);
    HLSL11Translator hlsl11(g_shaderContext.errorLog);
    for (Translator* translator : {static_cast<Translator*>(&hlsl9), static_cast<Translator*>(&hlsl11)}) {
        uint32_t target = translator == &hlsl9 ? kTargetHLSL9 : kTargetHLSL11;
        Description description = SpriteDescription();
        shaders.push_back({"sprite_vertex", target, kStageVertex, Translate(*translator, target, description, kSpriteVertex, kStageVertex), true});
        shaders.push_back({"sprite_pixel", target, kStagePixel, Translate(*translator, target, description, kSpritePixel, kStagePixel), false});
        shaders.push_back({"branch_pixel", target, kStagePixel, Translate(*translator, target, description, kBranchPixel, kStagePixel), true});
        shaders.push_back({"flow_pixel", target, kStagePixel, Translate(*translator, target, description, kFlowPixel, kStagePixel), false});
    }
    return shaders;
}

std::string FileName(const Judged& shader) {
    return std::string(shader.name) + (shader.target == kTargetHLSL9 ? ".hlsl9" : ".hlsl11") +
           (shader.stage == kStageVertex ? ".vert" : ".frag");
}

TEST(HLSLTranslationJudges, CompilerOutputsOfTheSpriteBranchAndFlowShaders) {
    for (const Judged& shader : TranslateJudgedShaders()) {
        ASSERT_EQ(shader.text.rfind("FAILED", 0), std::string::npos) << FileName(shader) << "\n" << shader.text;
        EXPECT_TRUE(shadertool_test::WriteCompilerOutput(std::string("hlsl_") + shader.name, shader.target,
                                                         shader.stage, shader.text));
    }
}

const char* const kChildVariable = "QUAVEN_HLSL_TRANSLATOR_CHILD";

// IID_ID3D11ShaderReflection of d3dcompiler_47.
const GUID kShaderReflection = {0x8d536ca1, 0x0cca, 0x4956, {0xa8, 0x37, 0x78, 0x69, 0x63, 0x75, 0x55, 0x84}};

typedef HRESULT(WINAPI* D3DReflectFunction)(const void* data, SIZE_T size, REFIID iid, void** reflector);

// Child: every HLSL11 output compiles at the levels the renderer uses, and in both stages'
// constant buffers every constant starts where the engine's block puts it.
void CompileAndReflect() {
    Log log;
    HLSLCompiler compiler(&log);
    ASSERT_TRUE(compiler.Initialize());
    auto reflect = reinterpret_cast<D3DReflectFunction>(
        reinterpret_cast<void*>(GetProcAddress(compiler.library->module, "D3DReflect")));
    ASSERT_NE(reflect, nullptr);
    for (const Judged& shader : TranslateJudgedShaders()) {
        if (!shader.wine)
            continue;
        if (shader.target == kTargetHLSL9) {
            // Shader model 3 code of the vertex stage (level 0); Wine's compiler has no tex2D.
            if (shader.stage != kStageVertex)
                continue;
            ByteBuffer code;
            log.Clear();
            EXPECT_TRUE(compiler.Compile(kTargetHLSL9, 0, shader.stage, String(shader.text.c_str()), code))
                << FileName(shader) << "\n" << Text(log) << "\n" << shader.text;
            continue;
        }
        for (uint32_t level : {kShaderLevelDefault, kShaderLevelLow, kShaderLevelXbox}) {
            ByteBuffer code;
            log.Clear();
            ASSERT_TRUE(compiler.Compile(kTargetHLSL11, level, shader.stage, String(shader.text.c_str()), code))
                << FileName(shader) << " level " << level << "\n" << Text(log) << "\n" << shader.text;
            // Where the engine's block puts each constant (GetConstantElementBytes), and its size.
            const bool vertex = shader.stage == kStageVertex;
            const std::vector<std::pair<const char*, UINT>> offsets =
                vertex ? std::vector<std::pair<const char*, UINT>>{{"rotation", 0}, {"tint", 48}, {"skew", 64}, {"offsets", 96}, {"wvp", 128}}
                       : std::vector<std::pair<const char*, UINT>>{{"glow", 0}, {"counts", 16}};
            ID3D11ShaderReflection* reflection = nullptr;
            ASSERT_TRUE(SUCCEEDED(reflect(code.data, code.size, kShaderReflection, reinterpret_cast<void**>(&reflection))));
            ID3D11ShaderReflectionConstantBuffer* buffer = reflection->GetConstantBufferByName("Constants");
            D3D11_SHADER_BUFFER_DESC block = {};
            ASSERT_TRUE(SUCCEEDED(buffer->GetDesc(&block))) << FileName(shader);
            EXPECT_EQ(block.Size, vertex ? 192u : 32u) << FileName(shader) << " at level " << level;
            for (const auto& expected : offsets) {
                D3D11_SHADER_VARIABLE_DESC variable = {};
                ASSERT_TRUE(SUCCEEDED(buffer->GetVariableByName(expected.first)->GetDesc(&variable))) << expected.first;
                EXPECT_EQ(variable.StartOffset, expected.second) << expected.first << " at level " << level;
            }
            reflection->Release();
        }
    }
}

TEST(HLSLTranslationJudges, HLSL11OutputsCompileAtEveryLevelWithConstantsWhereTheEngineUploadsThem) {
    if (quaven_test::InChild(kChildVariable))
        return CompileAndReflect();
    EXPECT_EQ(quaven_test::RunCurrentTestInChild(kChildVariable), 0u)
        << "a compilation or an offset check failed, or the compiler crashed";
}

} // namespace
} // namespace translator_test
