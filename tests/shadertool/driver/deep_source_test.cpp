// Sources whose trees nest thousands of levels deep, as a long sum, a long else-if chain or
// calls within calls make them: the parser's stacks are the only limit, every target writes
// them whole (on a stack reserved for their depth), glslangValidator judges the GL and HLSL
// texts (the "CompilerOutputs" tests) and the platform's compiler the HLSL11 text in a child
// process. Past the parser's stacks a source fails with "memory exhausted", never a crash.
#include "shadertool/compiler_outputs.h"
#include "shadertool/driver/driver_fixture.h"
#include "support/child_run.h"

namespace shadertool_test {
namespace {

using namespace ShaderTool;

const std::string kInterface = kMinimalInterface + XMLArray("vertex_output", R"(<node id="p" type="FLOAT4" semantic="POSITION"/>
<node id="shade" type="FLOAT"/>)");

// input.p.x + 0.001 + input.p.y + 0.002 + ...: each term one level of the tree.
std::string LongSum(int terms) {
    std::string sum = "input.p.x";
    for (int i = 1; i < terms; ++i)
        sum += i % 2 ? " + 0." + std::to_string(i % 1000) : " + input.p.y";
    return sum;
}

// if (shade < 0.0005) ... else if (shade < 0.0010) ...: each else one level deeper.
std::string ElseIfChain(int branches) {
    std::string chain = "    float level = 0.0;\n    ";
    for (int i = 0; i < branches; ++i)
        chain += "if (input.shade < " + std::to_string(i + 1) + ".0 / " + std::to_string(branches) + ".0)\n" +
                 "        level = " + std::to_string(i) + ".0;\n    else ";
    return chain + "\n        level = 1.0;\n";
}

std::string DeepShader(int terms, int branches, int calls) {
    std::string normalized = "input.p.xyz";
    for (int i = 0; i < calls; ++i)
        normalized = "normalize(" + normalized + ")";
    const std::string vertex = "void main()\n{\n    output.p = input.p;\n    output.shade = (" + LongSum(terms) +
                               ") * 0.0001 + length(" + normalized + ");\n}\n";
    const std::string pixel = "void main()\n{\n" + ElseIfChain(branches) +
                              "    output.color = float4(level, level, level, 1.0);\n}\n";
    return ShaderXML(kInterface + XMLArray("sources", SourceNode("vertex", nullptr, vertex) +
                                                        SourceNode("pixel", nullptr, pixel)));
}

// An else-if level holds seven entries of the parser's stacks (if, "(", the condition, ")",
// the then branch, else and the scope it opens) until the chain ends, so 10,000 entries hold
// a chain of some 1,400 branches; 2,000 exhaust them.
size_t Count(const std::string& text, const std::string& piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

const int kTerms = 5000, kBranches = 1400, kCalls = 2000;

TEST_F(TranslationDriverTest, CompilerOutputsOfALongSumAnElseIfChainAndNestedCallsForEveryTarget) {
    ASSERT_TRUE(Initialize(kTargetAll, String(""), false));
    PutFile("fx/deep.xml", DeepShader(kTerms, kBranches, kCalls));
    for (uint32_t target = kTargetESSL20; target <= kTargetPSSL; target <<= 1) {
        ASSERT_TRUE(Translate("fx/deep.xml", target, 0, false)) << GetTargetName(target) << "\n"
                                                               << Report().substr(0, 2000);
        const std::string vertex = reinterpret_cast<const char*>(g_shaderContext.codeBuffers[kStageVertex].data);
        const std::string pixel = reinterpret_cast<const char*>(g_shaderContext.codeBuffers[kStagePixel].data);
        // The whole sum, every call and the whole chain, its branches on one level.
        EXPECT_EQ(Count(vertex, " + "), static_cast<size_t>(kTerms)) << GetTargetName(target) << ": the sum and one more";
        EXPECT_EQ(Count(vertex, " + 0.999"), 5u) << GetTargetName(target);
        EXPECT_EQ(Count(vertex, "normalize("), static_cast<size_t>(kCalls)) << GetTargetName(target);
        EXPECT_EQ(Count(pixel, "\n\telse if ("), static_cast<size_t>(kBranches - 1)) << GetTargetName(target);
        for (uint32_t stage : {kStageVertex, kStagePixel}) {
            EXPECT_TRUE(WriteCompilerOutput("deep", target, stage,
                                            reinterpret_cast<const char*>(g_shaderContext.codeBuffers[stage].data)));
        }
    }
}

TEST_F(TranslationDriverTest, NestingBeyondTheParsersStacksFailsWithMemoryExhaustedForEveryTarget) {
    ASSERT_TRUE(Initialize(kTargetAll, String(""), false));
    PutFile("fx/deeper.xml", DeepShader(10, 2000, 0));
    for (uint32_t target = kTargetESSL20; target <= kTargetPSSL; target <<= 1) {
        EXPECT_FALSE(Translate("fx/deeper.xml", target, 0, false)) << GetTargetName(target);
        EXPECT_NE(Report().find(" error: memory exhausted\n"), std::string::npos) << Report().substr(0, 2000);
    }
}

TEST_F(TranslationDriverTest, ATreeTooDeepForAnyStackTheProcessCanReserveFailsWithAMessage) {
    // A sum of 1,100,000 terms nests as deep: its stack would pass what a 32-bit process
    // can reserve, and the translation ends in an error instead of a crash.
    ASSERT_TRUE(Initialize(kTargetGLSL21, String(""), false));
    PutFile("fx/deepest.xml", DeepShader(1100000, 1, 0));
    EXPECT_FALSE(Translate("fx/deepest.xml", kTargetGLSL21, 0, false));
    EXPECT_NE(Report().find("Error: not enough memory to translate a source nesting "), std::string::npos)
        << Report().substr(0, 2000);
}

const char* const kChildVariable = "QUAVEN_DEEP_SOURCE_CHILD";

TEST_F(TranslationDriverTest, ThePlatformCompilerTakesTheHLSL11TextOfADeepShader) {
    if (!quaven_test::InChild(kChildVariable)) {
        EXPECT_EQ(quaven_test::RunCurrentTestInChild(kChildVariable, 120000), 0u)
            << "a compilation failed or the compiler crashed";
        return;
    }
    ASSERT_TRUE(Initialize(kTargetHLSL11, String(""), false)) << Report();
    PutFile("fx/deep.xml", DeepShader(kTerms, kBranches, kCalls));
    ShaderTool::TranslationOptions options;
    options.shaderLevel = kShaderLevelDefault, options.targetMask = kTargetHLSL11, options.compile = 1;
    ShaderTool::Reset();
    EXPECT_TRUE(ShaderTool::TranslateShaderXML(String("res://fx/deep.xml"), options, true)) << Report().substr(0, 4000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_shaderContext.codeBuffers[kStagePixel].data), 4), "DXBC");
}

} // namespace
} // namespace shadertool_test
