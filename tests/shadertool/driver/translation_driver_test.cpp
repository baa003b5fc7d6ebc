// The driver's own decisions, with runs that stop after the preprocessor: which source goes
// to which target, the refusals, the up-to-date check, the debug copies and the failures.
#include "platform/windows/win32.h"

#include "shadertool/driver/driver_fixture.h"
#include "support/files.h"

namespace shadertool_test {
namespace {

using namespace ShaderTool;

std::string Sources(const std::string& nodes) { return ShaderXML(kMinimalInterface + XMLArray("sources", nodes)); }

void Stamp(const std::string& path, uint32_t secondsSince1970) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const uint64_t ticks = (uint64_t(secondsSince1970) + 11644473600ull) * 10000000ull;
    FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time)) << path;
    CloseHandle(file);
}

TEST_F(TranslationDriverTest, EachTargetGetsItsOwnSourceOrTheAllSourceAndTargetsThatCannotAreRefused) {
    ASSERT_TRUE(Initialize(kTargetAll, String(""), false));
    PutFile("fx/pick.xml", Sources(SourceNode("vertex", "ALL", "v();") + SourceNode("pixel", "ALL", "generic();") +
                                   SourceNode("pixel", "HLSL11", "direct3D();")));
    ASSERT_TRUE(Translate("fx/pick.xml", kTargetGLSL21 | kTargetHLSL11)) << Report();
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/pick.xml'...\n"
                        "Translating vertex shader code of shader source 1...\nTranslating for target 'GLSL21'...\n"
                        "Translating for target 'HLSL11'...\n"
                        "Translating pixel shader code of shader source 2...\nTranslating for target 'GLSL21'...\n"
                        "Translating pixel shader code of shader source 3...\nTranslating for target 'HLSL11'...\n"
                        "\nTranslation SUCCEEDED\n");
    EXPECT_EQ(Code(kStagePixel), std::string("generic();\0direct3D();\0", 23)) << "each target's text with its zero";

    PutFile("fx/two.xml", ShaderXML(kMinimalInputs + XMLArray("pixel_output", R"(<node id="a"/><node id="b"/>)") +
                                    XMLArray("sources", SourceNode("vertex", nullptr, "") + SourceNode("pixel", nullptr, ""))));
    EXPECT_FALSE(Translate("fx/two.xml", kTargetESSL20 | kTargetGLSL21 | kTargetHLSL11));
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/two.xml'...\n"
                        "Error: target 'ESSL20' does not support multiple pixel outputs.\n"
                        "Error: target 'GLSL21' does not support multiple pixel outputs.\n\nTranslation FAILED\n");
    // Every requested target needs a source of each stage, and some target is needed.
    PutFile("fx/half.xml", Sources(SourceNode("vertex", "ALL", "") + SourceNode("pixel", "HLSL11", "")));
    PutFile("fx/other.xml", Sources(SourceNode("vertex", "GLSL21", "") + SourceNode("pixel", "GLSL21", "")));
    for (const char* name : {"fx/half.xml", "fx/other.xml"}) {
        EXPECT_FALSE(Translate(name, kTargetHLSL11)) << name;
        EXPECT_NE(Report().find("Error: some targets do not have both vertex and pixel shader source specified.\n"),
                  std::string::npos) << name;
    }
    EXPECT_FALSE(Translate("fx/other.xml", 0) || Translate("fx/other.xml", kTargetCG));
}

TEST_F(TranslationDriverTest, TheUpToDateCheckTranslatesOnlyWhatChangedAndThenTheRest) {
    ASSERT_TRUE(Initialize(kTargetGLSL21, String(""), true));
    PutFile("fx/a.vsh", "vertexCode();"), PutFile("fx/a.psh", "pixelCode();");
    PutFile("fx/a.xml", Sources(SourceNode("vertex", nullptr, "", "a.vsh") + SourceNode("pixel", nullptr, "", "a.psh")));
    const uint32_t old = 1500000000, newer = 1600000000;
    for (const char* file : {"a.xml", "a.vsh", "a.psh"})
        Stamp(ResRoot() + "/fx/" + file, old);
    ASSERT_TRUE(Translate("fx/a.xml", kTargetGLSL21, 0)) << Report();
    EXPECT_EQ(g_shaderContext.newestStamp, int32_t(old));
    EXPECT_EQ(Report().find("up to date"), std::string::npos) << "with no earlier translation nothing is current";
    ASSERT_TRUE(Translate("fx/a.xml", kTargetGLSL21, old)) << Report();
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/a.xml'...\n"
                        "Translating vertex shader code of shader source 1...\nTranslating for target 'GLSL21'...\n"
                        "Shader source is up to date, skipping translation...\n"
                        "Translating pixel shader code of shader source 2...\nTranslating for target 'GLSL21'...\n"
                        "Shader source is up to date, skipping translation...\n\nTranslation SUCCEEDED\n");
    Stamp(ResRoot() + "/fx/a.psh", newer);
    ASSERT_TRUE(Translate("fx/a.xml", kTargetGLSL21, old)) << Report();
    EXPECT_EQ(g_shaderContext.newestStamp, int32_t(newer));
    EXPECT_NE(Report().find("Changes or target dependent code was detected, translating up-to-date shader sources...\n"
                            "Translating vertex shader code of shader source 1...\n"), std::string::npos) << Report();
    EXPECT_EQ(Code(kStageVertex), std::string("vertexCode();\0", 14)) << "both stages make the shader";
}

TEST_F(TranslationDriverTest, DebugCopiesAreWrittenWholeOrNotAtAllAndFailuresHandOutNoCode) {
    PutFile("fx/copy.xml", Sources(SourceNode("vertex", nullptr, "v();") + SourceNode("pixel", nullptr, "p();")));
    ASSERT_TRUE(fs()->CreateDirectory("res://out") && Initialize(kTargetGLSL21, String("res://out"), false));
    ASSERT_TRUE(Translate("fx/copy.xml", kTargetGLSL21)) << Report();
    EXPECT_EQ(quaven_test::ReadNative(ResRoot() + "/out/copy.vertex"), "v();");
    EXPECT_EQ(quaven_test::ReadNative(ResRoot() + "/out/copy.pixel"), "p();");
    // A folder in the file's place: the copy cannot be made, and the translation fails.
    ASSERT_TRUE(fs()->CreateDirectory("res://blocked/copy.vertex") && Initialize(kTargetGLSL21, String("res://blocked/"), false));
    EXPECT_FALSE(Translate("fx/copy.xml", kTargetGLSL21));
    EXPECT_NE(Report().find("Error: could not write to output file 'res://blocked/copy.vertex'.\n"), std::string::npos);
    EXPECT_FALSE(quaven_test::NativeExists(ResRoot() + "/blocked/copy.vertex..tmp"));
    EXPECT_EQ(Code(kStageVertex), "") << "a failure hands out no code";
    EXPECT_FALSE(Translate("fx/missing.xml", kTargetGLSL21));
    EXPECT_EQ(Report().substr(Report().size() - 20), "\nTranslation FAILED\n");
    Initialize(kTargetGLSL21, String(""), false);
}

TEST_F(TranslationDriverTest, AGeneralConstantsLexicalErrorStaysInTheReportAndItsTypeDecides) {
    ASSERT_TRUE(Initialize(kTargetGLSL21, String(""), false));
    const std::string sources = XMLArray("sources", SourceNode("vertex", nullptr, "#if N == 19\nv();\n#endif") +
                                                        SourceNode("pixel", nullptr, "#if F == 1.0\np();\n#endif"));
    const auto withConstants = [&](const char* n, const char* f) {
        return ShaderXML(XMLArray("constants", std::string(R"(<node id="N" value=")") + n + R"("/><node id="F" value=")" +
                                                   f + R"("/>)") +
                         kMinimalInterface + sources);
    };
    PutFile("fx/decimal.xml", withConstants("19", "1.0"));
    PutFile("fx/octal.xml", withConstants("019", "1e"));
    PutFile("fx/word.xml", withConstants("x019", "1.0"));
    ASSERT_TRUE(Translate("fx/decimal.xml", kTargetGLSL21)) << Report();
    EXPECT_NE(Code(kStageVertex).find("v();"), std::string::npos) << "19 is an Int, so N == 19 holds";
    const std::string decimalReport = Report();

    // Only the first token decides the type: "019" is an Int read as 19 and "1e" a Float
    // read as 1. The tokenizer's words on them stay in the report; the steps all pass.
    ASSERT_TRUE(Translate("fx/octal.xml", kTargetGLSL21)) << Report();
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/octal.xml'...\n"
                        "res://fx/octal.xml(1:1) error: unexpected digit in octal literal.\n"
                        "res://fx/octal.xml(1:1) error: unexpected character in floating point literal.\n"
                        "Translating vertex shader code of shader source 1...\nTranslating for target 'GLSL21'...\n"
                        "Translating pixel shader code of shader source 2...\nTranslating for target 'GLSL21'...\n"
                        "\nTranslation SUCCEEDED\n");
    EXPECT_NE(Code(kStageVertex).find("v();"), std::string::npos) << Code(kStageVertex);
    EXPECT_NE(Code(kStagePixel).find("p();"), std::string::npos) << Code(kStagePixel);
    EXPECT_EQ(decimalReport.find("error"), std::string::npos) << decimalReport;

    // A first token that is no literal still fails the read, and so the translation.
    EXPECT_FALSE(Translate("fx/word.xml", kTargetGLSL21));
    EXPECT_EQ(Report(), "Translating Shader XML 'res://fx/word.xml'...\nFailed to read the Shader XML:\n"
                        "Error: general constant value is invalid.\n\nTranslation FAILED\n");
    EXPECT_EQ(Code(kStageVertex), "");
}

} // namespace
} // namespace shadertool_test
