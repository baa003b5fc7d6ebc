// The translation driver as the engine's shader loader uses it: Shader XML files on disk
// under res://, the driver set up for some targets, one translation, the report read, the
// reset. These runs stop after the preprocessor (preprocessOnly), so that they judge what
// the driver itself decides: which source goes to which target, the up-to-date check, the
// debug copies and the failures.
#include "shadertool/driver/driver_fixture.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"
#include "support/files.h"

namespace shadertool_test {
namespace {

TEST_F(TranslationDriverTest, OnlyHLSL11BringsACompilerAndTheOutputFolderEndsInASeparator) {
    for (ShaderTool::Compiler*& compiler : g_shaderContext.compilers)
        delete compiler, compiler = nullptr;
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetHLSL9, String("user://shaders"), false));
    EXPECT_EQ(g_shaderContext.compilers[ShaderTool::kFamilyHLSL], nullptr);
    EXPECT_STREQ(g_shaderContext.outputDirectory.text, "user://shaders/");
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetHLSL9 | ShaderTool::kTargetHLSL11, String("x\\"), true));
    ShaderTool::Compiler* compiler = g_shaderContext.compilers[ShaderTool::kFamilyHLSL];
    EXPECT_NE(compiler, nullptr);
    EXPECT_STREQ(g_shaderContext.outputDirectory.text, "x\\");
    EXPECT_EQ(g_shaderContext.preprocessor->trackTimes, 1) << "the up-to-date check reads the files' times";
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetHLSL11, String(""), false));
    EXPECT_EQ(g_shaderContext.compilers[ShaderTool::kFamilyHLSL], compiler) << "a filled slot stays";
    EXPECT_EQ(g_shaderContext.outputDirectory.text == nullptr || !g_shaderContext.outputDirectory.text[0], true);
}

TEST_F(TranslationDriverTest, TargetsThatCannotExpressTheShaderAreRefusedBeforeAnyJob) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false));
    PutFile("fx/two.xml", ShaderXML(kMinimalInputs + XMLArray("pixel_output", R"(<node id="a"/><node id="b"/>)") +
                                    XMLArray("pixel_textures", R"(<node id="volume" type="3D"/>)") +
                                    XMLArray("sources", SourceNode("vertex", nullptr, "void main() {}") +
                                                            SourceNode("pixel", nullptr, "void main() {}"))));
    EXPECT_FALSE(Translate("fx/two.xml", ShaderTool::kTargetESSL20 | ShaderTool::kTargetGLSL21 | ShaderTool::kTargetHLSL11));
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/two.xml'...\n"
                        "Error: target 'ESSL20' does not support multiple pixel outputs.\n"
                        "Error: target 'ESSL20' does not support 3D textures.\n"
                        "Error: target 'GLSL21' does not support multiple pixel outputs.\n"
                        "\nTranslation FAILED\n");
    EXPECT_EQ(g_shaderContext.jobs.count, 0);
}

TEST_F(TranslationDriverTest, ASourceForSomeTargetsServesThemAndTheAllSourceTheRest) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false));
    PutFile("fx/pick.xml", ShaderXML(kMinimalInterface + XMLArray("sources", SourceNode("vertex", "ALL", "void main() { everywhere(); }") +
                                                                             SourceNode("pixel", "ALL", "void main() { generic(); }") +
                                                                             SourceNode("pixel", "HLSL11", "void main() { direct3D(); }"))));
    ASSERT_TRUE(Translate("fx/pick.xml", ShaderTool::kTargetGLSL21 | ShaderTool::kTargetHLSL11)) << Report();
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/pick.xml'...\n"
                        "Translating vertex shader code of shader source 1...\n"
                        "Translating for target 'GLSL21'...\n"
                        "Translating for target 'HLSL11'...\n"
                        "Translating pixel shader code of shader source 2...\n"
                        "Translating for target 'GLSL21'...\n"
                        "Translating pixel shader code of shader source 3...\n"
                        "Translating for target 'HLSL11'...\n"
                        "\nTranslation SUCCEEDED\n");
    const std::string pixel = Code(ShaderTool::kStagePixel);
    EXPECT_LT(pixel.find("generic()"), pixel.find("direct3D()")) << "GLSL21's text first, each with its zero";
    EXPECT_EQ(pixel.back(), '\0');
    EXPECT_EQ(g_shaderContext.outputName.text, std::string("pick"));
}

TEST_F(TranslationDriverTest, EveryRequestedTargetNeedsASourceForBothStages) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false));
    PutFile("fx/half.xml", ShaderXML(kMinimalInterface + XMLArray("sources", SourceNode("vertex", "ALL", "void main() {}") +
                                                                             SourceNode("pixel", "HLSL11", "void main() {}"))));
    EXPECT_FALSE(Translate("fx/half.xml", ShaderTool::kTargetHLSL11));
    EXPECT_NE(Report().find("Error: some targets do not have both vertex and pixel shader source specified.\n"), std::string::npos);
    PutFile("fx/none.xml", ShaderXML(kMinimalInterface + XMLArray("sources", SourceNode("vertex", "GLSL21", "void main() {}") +
                                                                             SourceNode("pixel", "GLSL21", "void main() {}"))));
    EXPECT_FALSE(Translate("fx/none.xml", ShaderTool::kTargetHLSL11)) << "no code at all is no success";
    EXPECT_NE(Report().find("Error: some targets do not have both"), std::string::npos);
    EXPECT_FALSE(Translate("fx/none.xml", 0)) << Report();
    EXPECT_FALSE(Translate("fx/none.xml", ShaderTool::kTargetCG)) << Report();
    EXPECT_NE(Report().find("Translation FAILED"), std::string::npos);
}

TEST_F(TranslationDriverTest, TheUpToDateCheckTranslatesOnlyWhatChangedAndThenTheRest) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), true));
    PutFile("fx/a.vsh", "void main() { vertexCode(); }");
    PutFile("fx/a.psh", "void main() { pixelCode(); }");
    PutFile("fx/a.xml", ShaderXML(kMinimalInterface + XMLArray("sources", SourceNode("vertex", nullptr, "", "a.vsh") +
                                                                          SourceNode("pixel", nullptr, "", "a.psh"))));
    const uint32_t old = 1500000000, newer = 1600000000;
    Stamp("fx/a.xml", old), Stamp("fx/a.vsh", old), Stamp("fx/a.psh", old);

    ASSERT_TRUE(Translate("fx/a.xml", ShaderTool::kTargetGLSL21, 0)) << Report();
    EXPECT_EQ(g_shaderContext.newestStamp, int32_t(old));
    EXPECT_EQ(Report().find("up to date"), std::string::npos) << "with no earlier translation nothing is current";

    ASSERT_TRUE(Translate("fx/a.xml", ShaderTool::kTargetGLSL21, old)) << Report();
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/a.xml'...\n"
                        "Translating vertex shader code of shader source 1...\n"
                        "Translating for target 'GLSL21'...\n"
                        "Shader source is up to date, skipping translation...\n"
                        "Translating pixel shader code of shader source 2...\n"
                        "Translating for target 'GLSL21'...\n"
                        "Shader source is up to date, skipping translation...\n"
                        "\nTranslation SUCCEEDED\n");
    EXPECT_EQ(g_shaderContext.codeBuffers[ShaderTool::kStageVertex].size, 0);

    Stamp("fx/a.psh", newer);
    ASSERT_TRUE(Translate("fx/a.xml", ShaderTool::kTargetGLSL21, old)) << Report();
    EXPECT_EQ(g_shaderContext.newestStamp, int32_t(newer));
    EXPECT_NE(Report().find("Changes or target dependent code was detected, translating up-to-date shader sources...\n"
                            "Translating vertex shader code of shader source 1...\n"),
              std::string::npos) << Report();
    EXPECT_NE(Code(ShaderTool::kStageVertex).find("vertexCode()"), std::string::npos) << "both stages make the shader";
    EXPECT_NE(Code(ShaderTool::kStagePixel).find("pixelCode()"), std::string::npos);
}

TEST_F(TranslationDriverTest, DebugCopiesAreWrittenWholeOrNotAtAll) {
    PutFile("fx/copy.xml", ShaderXML(kMinimalInterface + XMLArray("sources", SourceNode("vertex", nullptr, "void main() { v(); }") +
                                                                             SourceNode("pixel", nullptr, "void main() { p(); }"))));
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String("res://out"), false));
    ASSERT_TRUE(fs()->CreateDirectory("res://out"));
    ASSERT_TRUE(Translate("fx/copy.xml", ShaderTool::kTargetGLSL21)) << Report();
    EXPECT_NE(quaven_test::ReadNative(ResRoot() + "/out/copy.vertex").find("v();"), std::string::npos);
    EXPECT_NE(quaven_test::ReadNative(ResRoot() + "/out/copy.pixel").find("p();"), std::string::npos);
    EXPECT_FALSE(quaven_test::NativeExists(ResRoot() + "/out/copy.vertex.tmp"));

    // A folder in the file's place: the copy cannot be made, and the translation fails.
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String("res://blocked/"), false));
    ASSERT_TRUE(fs()->CreateDirectory("res://blocked/copy.vertex"));
    EXPECT_FALSE(Translate("fx/copy.xml", ShaderTool::kTargetGLSL21));
    EXPECT_NE(Report().find("Error: could not write to output file 'res://blocked/copy.vertex'.\n"), std::string::npos) << Report();
    EXPECT_FALSE(quaven_test::NativeExists(ResRoot() + "/blocked/copy.vertex.tmp"));
    EXPECT_EQ(g_shaderContext.codeBuffers[ShaderTool::kStageVertex].size, 0) << "a failure hands out no code";
    ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), false);
}

TEST_F(TranslationDriverTest, AFailedReadEndsTheReportAsFailed) {
    ASSERT_TRUE(ShaderTool::Initialize(ShaderTool::kTargetGLSL21, String(""), false));
    EXPECT_FALSE(Translate("fx/missing.xml", ShaderTool::kTargetGLSL21));
    const std::string report = Report();
    EXPECT_EQ(report.rfind("\nTranslation FAILED\n"), report.size() - 20);
    EXPECT_NE(report.find("Failed to read the Shader XML:\n"), std::string::npos);
    EXPECT_EQ(g_shaderContext.errorLog.hasText, 0) << "everything went into the report";
}

} // namespace
} // namespace shadertool_test
