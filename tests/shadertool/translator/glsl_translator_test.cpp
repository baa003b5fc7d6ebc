// The GL family from source text: the source passes the semantic checks on the translator
// context as the driver runs them, then each GL translator writes it. Every text written
// also goes to the real compiler (the "CompilerOutputs" tests; see compiler_outputs.h).
#include <gtest/gtest.h>

#include <memory>

#include "shadertool/compiler_outputs.h"
#include "shadertool/semantic/semantic_actions.h"
#include "shadertool/translator/glsl_translator.h"
#include "tree_builder.h"

namespace translator_test {
namespace {

const uint32_t kGLTargets[] = {kTargetGLSL21, kTargetGLSL31, kTargetESSL20, kTargetESSL30};

std::unique_ptr<Translator> MakeGL(uint32_t target, Log& log) {
    switch (target) {
    case kTargetGLSL21:
        return std::make_unique<GLSL21Translator>(log);
    case kTargetGLSL31:
        return std::make_unique<GLSL31Translator>(log);
    case kTargetESSL20:
        return std::make_unique<ESSL20Translator>(log);
    default:
        return std::make_unique<ESSL30Translator>(log);
    }
}

class GLTranslatorTest : public ::testing::Test {
protected:
    ShaderDescription description;
    ShaderSource source;

    void SetUp() override {
        description.vertex_input.Add(Input("position", 1, "FLOAT4"));
        description.vertex_input.Add(Input("uv", 4, "FLOAT2"));
        description.vertex_output.Add(Output("position", kOutputPosition, "FLOAT4"));
        description.vertex_output.Add(Output("uv", kOutputTextureCoordinate, "FLOAT2"));
        description.pixel_output.Add(String("color"));
        description.pixel_textures.Add(Texture("diffuse", kTexture2D));
    }
    void TearDown() override {
        ResetTranslationUnit(g_shaderContext.parse);
        g_shaderContext.errorLog.Clear();
    }
    static Log& ErrorLog() { return g_shaderContext.errorLog; }

    // Checks text as a source of the stage, translates it for target and, when that
    // succeeds, hands the text to the compilers' run under name (unless name is null).
    std::string Translate(uint32_t target, uint32_t stage, const std::string& text, const char* name,
                          bool expectSuccess = true) {
        ErrorLog().Clear();
        source.path.Assign("shader.fx");
        source.text.Assign(text.c_str());
        source.stage = stage;
        EXPECT_TRUE(CheckTranslationUnit(g_shaderContext.parse, description, source)) << Text(ErrorLog().text);
        std::unique_ptr<Translator> translator = MakeGL(target, ErrorLog());
        bool ok = translator->Translate(description, target, kShaderLevelDefault, stage, g_shaderContext.parse.root);
        EXPECT_EQ(ok, expectSuccess) << GetTargetName(target) << "\n" << Text(ErrorLog().text);
        if (ok && name) {
            EXPECT_TRUE(shadertool_test::WriteCompilerOutput(std::string("glsl_") + name, target, stage,
                                                             translator->GetText()));
        }
        return ok ? translator->GetText() : Text(ErrorLog().text);
    }
};

const char* const kVertexSource =
    "float scale(float v, int k)\n{\n    int r = k % 3;\n    if (r)\n        return v * 2.0;\n    return v;\n}\n"
    "void main()\n{\n    float w[2] = {1.0, 2.0};\n    float a[2], s;\n    int4 b = input.bones;\n"
    "    s = scale(w[1], b.x) + offsets[count].x;\n    for (int i = 0; i < 2; i++)\n        a[i] = s;\n"
    "    output.position = input.position * transform;\n    output.uv = input.uv * a[1];\n"
    "    output.tint = float4(saturate(s), lerp(0.0, 1.0, 0.5), frac(s), rsqrt(2.0));\n}\n";

const char* const kPixelSource =
    "float4 shade(float2 uv);\n"
    "void main()\n{\n    float4 c = shade(input.uv) * tint;\n    if (input.is_front_facing && c.a > 0.5)\n"
    "        c.rgb = sampleTexture(texture.sky, float3(input.uv, input.face_direction)).rgb;\n"
    "    else if (!any(c.xyz))\n        discard;\n    output.color = c;\n}\n"
    "float4 shade(float2 uv)\n{\n    return sampleTexture(texture.diffuse, uv);\n}\n";

TEST_F(GLTranslatorTest, CompilerOutputsOfAShaderPairOnEveryGLTarget) {
    description.vertex_input.Add(Input("bones", 128, "INT4"));
    description.vertex_output.Add(Output("tint", kOutputColor, "FLOAT4"));
    description.vertex_constants.Add(Constant("transform", "FLOAT4X4"));
    description.vertex_constants.Add(Constant("offsets", "FLOAT4", 4));
    description.vertex_constants.Add(Constant("count", "INT"));
    description.pixel_constants.Add(Constant("tint", "FLOAT4"));
    description.pixel_textures.Add(Texture("sky", kTextureCube));
    for (uint32_t target : kGLTargets) {
        std::string vertex = Translate(target, kStageVertex, kVertexSource, "pair");
        EXPECT_NE(vertex.find("gl_Position = _in_position * transform;"), std::string::npos) << vertex;
        EXPECT_NE(vertex.find("ivec4 b = ivec4(_in_bones);"), std::string::npos) << vertex;
        EXPECT_NE(vertex.find("int r = int(mod(float(k), float(3)));"), std::string::npos) << vertex;
        EXPECT_NE(vertex.find("if (bool(r))"), std::string::npos) << vertex;
        EXPECT_NE(vertex.find("float a[2];\n\tfloat s;"), std::string::npos) << vertex;
        std::string pixel = Translate(target, kStagePixel, kPixelSource, "pair");
        EXPECT_EQ(pixel.find("vec4 shade(vec2 uv);"), pixel.rfind("vec4 shade(vec2 uv);")) << pixel;
        EXPECT_NE(pixel.find("!any(bvec3(c.xyz))"), std::string::npos) << pixel;
        EXPECT_NE(pixel.find("gl_FrontFacing && c.a > 0.5"), std::string::npos) << pixel;
    }
}

TEST_F(GLTranslatorTest, CompilerOutputsOfInterfaceDeclarationsPerTarget) {
    description.pixel_output.Add(String("glow"));
    const char* pixel = "void main()\n{\n    output.color = sampleTexture(texture.diffuse, input.uv);\n"
                        "    output.glow = float4(1.0, 0.5, 0.0, 1.0);\n}\n";
    EXPECT_EQ(Translate(kTargetESSL30, kStagePixel, pixel, "declarations"),
              "precision highp float;\nprecision lowp sampler3D;\n\nin vec4 _vary_position;\nin vec2 _vary_uv;\n\n"
              "uniform sampler2D _tex_diffuse;\n\nlayout(location = 0) out vec4 _out_color;\n"
              "layout(location = 1) out vec4 _out_glow;\n\nvoid main()\n{\n"
              "\t_out_color = texture(_tex_diffuse, _vary_uv);\n\t_out_glow = vec4(1.0f, 0.5f, 0.0f, 1.0f);\n}\n");
    description.pixel_output.RemoveLast();
    const char* single = "void main()\n{\n    output.color = saturate(sampleTexture(texture.diffuse, input.uv));\n}\n";
    std::string essl20 = Translate(kTargetESSL20, kStagePixel, single, "declarations");
    EXPECT_EQ(essl20.find("#if defined(GL_FRAGMENT_PRECISION_HIGH)\n\nprecision highp float;"), 0u) << essl20;
    EXPECT_NE(essl20.find("gl_FragColor = clamp(texture2D(_tex_diffuse, _vary_uv), 0.0, 1.0);"), std::string::npos);
    std::string glsl21 = Translate(kTargetGLSL21, kStageVertex,
                                   "void main()\n{\n    output.position = input.position;\n    output.uv = input.uv;\n}\n",
                                   "declarations");
    EXPECT_EQ(glsl21, "attribute vec4 _in_position;\nattribute vec2 _in_uv;\n\nvarying vec4 _vary_position;\n"
                      "varying vec2 _vary_uv;\n\nvoid main()\n{\n\tgl_Position = _in_position;\n\t_vary_uv = _in_uv;\n}\n");
}

TEST_F(GLTranslatorTest, CompilerOutputsOfExplicitLevelSamplingWhereTheTargetHasIt) {
    const char* pixel = "void main()\n{\n    output.color = sampleTextureLod(texture.diffuse, input.uv, 2.0);\n}\n";
    // glslangValidator does not know GL_EXT_gpu_shader4, which GL 2.1 drivers offer.
    std::string glsl21 = Translate(kTargetGLSL21, kStagePixel, pixel, nullptr);
    EXPECT_EQ(glsl21.find("#extension GL_EXT_gpu_shader4 : require\n\n"), 0u) << glsl21;
    EXPECT_NE(glsl21.find("texture2DLod(_tex_diffuse, _vary_uv, 2.0f)"), std::string::npos) << glsl21;
    std::string glsl31 = Translate(kTargetGLSL31, kStagePixel, pixel, "lod");
    EXPECT_EQ(glsl31.find("#extension"), std::string::npos);
    EXPECT_NE(glsl31.find("textureLod(_tex_diffuse, _vary_uv, 2.0f)"), std::string::npos) << glsl31;
    EXPECT_EQ(Translate(kTargetESSL20, kStagePixel, pixel, "lod", false),
              "Error: function 'sampleTextureLod' is not supported.\n");
}

TEST_F(GLTranslatorTest, CompilerOutputsOfInstanceIdsOnlyWhereGLHasThem) {
    const char* vertex = "void main()\n{\n    output.position = input.position * float(input.instance_id);\n"
                         "    output.uv = input.uv;\n}\n";
    EXPECT_NE(Translate(kTargetGLSL31, kStageVertex, vertex, "instance").find("float(gl_InstanceID)"), std::string::npos);
    EXPECT_NE(Translate(kTargetESSL30, kStageVertex, vertex, "instance").find("float(gl_InstanceID)"), std::string::npos);
    for (uint32_t target : {kTargetGLSL21, kTargetESSL20})
        EXPECT_EQ(Translate(target, kStageVertex, vertex, "instance", false),
                  "Error: 'input.instance_id' is not supported.\n");
}

TEST_F(GLTranslatorTest, CompilerOutputsOfBitwiseOperatorsAndTransposeOnlyWhereGLHasThem) {
    const char* pixel = "void main()\n{\n    int m = 6 & 3;\n    output.color = float4(float(m), 0.0, 0.0, 1.0);\n}\n";
    for (uint32_t target : {kTargetGLSL31, kTargetESSL30})
        EXPECT_NE(Translate(target, kStagePixel, pixel, "bitwise").find("int m = 6 & 3;"), std::string::npos);
    for (uint32_t target : {kTargetGLSL21, kTargetESSL20})
        EXPECT_EQ(Translate(target, kStagePixel, pixel, "bitwise", false),
                  "Error: bit-wise operations are not supported.\n");
    const char* transposed = "void main()\n{\n    float2x2 t = transpose(float2x2(1.0, 2.0, 3.0, 4.0));\n"
                             "    output.color = float4(t[0], t[1]);\n}\n";
    EXPECT_NE(Translate(kTargetGLSL21, kStagePixel, transposed, "transpose").find("mat2 t = transpose(mat2("),
              std::string::npos);
    EXPECT_EQ(Translate(kTargetESSL20, kStagePixel, transposed, "transpose", false),
              "Error: function 'transpose' is not supported.\n");
}

TEST_F(GLTranslatorTest, CompilerOutputsOfArrayInitializersAndTheESSL20GlobalRefusal) {
    const char* local = "void main()\n{\n    float w[2] = {0.25, 0.75};\n    output.color = float4(w[0], w[1], 0.0, 1.0);\n}\n";
    EXPECT_NE(Translate(kTargetESSL20, kStagePixel, local, "arrays").find("\tfloat w[2];\n\tw[0] = 0.25;\n\tw[1] = 0.75;\n"),
              std::string::npos);
    EXPECT_NE(Translate(kTargetGLSL21, kStagePixel, local, "arrays").find("\tfloat w[2] = float[]\n\t(\n\t\t0.25f,\n"),
              std::string::npos);
    const char* global = "float w[2] = {0.25, 0.75};\nvoid main()\n{\n    output.color = float4(w[0], w[1], 0.0, 1.0);\n}\n";
    EXPECT_EQ(Translate(kTargetESSL20, kStagePixel, global, "global_arrays", false),
              "Error: global array initializer of 'w' is not supported.\n");
    Translate(kTargetESSL30, kStagePixel, global, "global_arrays");
}

TEST_F(GLTranslatorTest, CompilerOutputsOfAShaderWithoutVertexInputsAndWithEmptyStatements) {
    description.vertex_input.Release();
    const char* vertex = "void main()\n{\n    ;\n    {}\n    if (true) ; else {}\n    while (false) ;\n"
                         "    output.position = float4(0.0, 0.0, 0.0, 1.0);\n    output.uv = float2(0.5, 0.5);\n}\n";
    for (uint32_t target : kGLTargets) {
        std::string text = Translate(target, kStageVertex, vertex, "no_inputs");
        EXPECT_NE(text.find("void main()\n{\n\t{\n\t}\n\n\tif (true)\n\t{\n\t}\n\telse\n\t{\n\t}\n"), std::string::npos) << text;
        EXPECT_NE(text.find("gl_Position = vec4("), std::string::npos);
    }
}

TEST_F(GLTranslatorTest, CompilerOutputsOfIntConditionsTestedThroughBool) {
    const char* pixel = "void main()\n{\n    int n = 2;\n    int2 v = int2(0, 1);\n"
                        "    output.color = float4(0.0, 0.0, 0.0, 1.0);\n"
                        "    if (n) output.color.x = 1.0;\n    if (v) output.color.y = 1.0;\n    while (n) n--;\n"
                        "    if (n < 1) output.color.z = 1.0;\n}\n";
    for (uint32_t target : kGLTargets) {
        std::string text = Translate(target, kStagePixel, pixel, "int_conditions");
        EXPECT_NE(text.find("\tif (bool(n))\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\tif (bool(v))\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\twhile (bool(n))\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\tif (n < 1)\n"), std::string::npos) << text;
    }
    // A declaration stays one: GLSL cannot declare an int and test it as a bool at once.
    const char* declared = "void main()\n{\n    int n = 2;\n    while (int j = n) n--;\n"
                           "    output.color = float4(0.0, 0.0, 0.0, 1.0);\n}\n";
    EXPECT_NE(Translate(kTargetGLSL31, kStagePixel, declared, nullptr).find("\twhile (int j = n)\n"), std::string::npos);
}

TEST(GLConditionTest, AnIntConditionIsTestedThroughBool) {
    Log log;
    GLSL21Translator translator(log);
    ShaderDescription description;
    TreeBuilder tree;
    Node* n = tree.Sym(I(), "n");
    ListNode* unit = tree.List({tree.Declare(I(), {n}), tree.Main({tree.If(n, tree.Branch(kOpDiscard))})}, false);
    ASSERT_TRUE(translator.Translate(description, kTargetGLSL21, 1, kStagePixel, unit));
    EXPECT_NE(std::string(translator.GetText()).find("if (bool(n))"), std::string::npos) << translator.GetText();
}

} // namespace
} // namespace translator_test
