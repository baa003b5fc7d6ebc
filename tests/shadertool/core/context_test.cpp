#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"
#include "shadertool/core/parser_default_state.h"

#include <gtest/gtest.h>

using namespace ShaderTool;

TEST(ShaderContext, GlobalContextStartsEmptyWithItsEnvironmentBuilt)
{
    const Context& context = g_shaderContext;
    EXPECT_EQ(context.outputName.text, nullptr);
    EXPECT_EQ(context.outputDirectory.text, nullptr);
    EXPECT_EQ(context.errorLog.hasText, 0);
    EXPECT_EQ(context.reportLog.hasText, 0);
    for (int family = 0; family < kTargetFamilyCount; ++family)
        EXPECT_EQ(context.compilers[family], nullptr);
    for (int index = 0; index < kTargetCount; ++index)
        EXPECT_EQ(context.translators[index], nullptr);
    for (int stage = 0; stage < kShaderStageCount; ++stage) {
        EXPECT_EQ(context.codeBuffers[stage].size, 0);
        EXPECT_EQ(context.ownTargetMasks[stage], 0u);
    }
    EXPECT_EQ(context.jobs.count, 0);
    EXPECT_EQ(context.options.targetMask, 0u);
    EXPECT_EQ(context.newestStamp, 0);
    EXPECT_EQ(context.skipUpToDate, 0);

    // The stages in front of the parser report into the same error log.
    ASSERT_NE(context.tokenizer, nullptr);
    ASSERT_NE(context.preprocessor, nullptr);
    ASSERT_NE(context.reader, nullptr);
    EXPECT_EQ(context.tokenizer->errorLog, &context.errorLog);
    EXPECT_EQ(context.preprocessor->errorLog, &context.errorLog);
    EXPECT_EQ(context.reader->errorLog, &context.errorLog);
    EXPECT_GT(context.preprocessor->builtInMacroCount, 0);
    EXPECT_EQ(context.reader->description.sources.count, 0);

    const ParseContext& parse = context.parse;
    EXPECT_EQ(parse.errorLog, &context.errorLog);
    EXPECT_EQ(parse.tokenSource, context.tokenizer);
    EXPECT_EQ(parse.builtInFunctions.overloads.count, 223);
    EXPECT_EQ(parse.operators.TotalCount(), 396);
    ASSERT_EQ(parse.scopeMarks.count, 1);
    EXPECT_EQ(parse.scopeMarks.data[0], 0);
    EXPECT_EQ(parse.success, 1);
    EXPECT_EQ(parse.nodes.count, 0);
    ASSERT_EQ(parse.structMembers.entries.count, 3);
    EXPECT_STREQ(parse.structMembers.entries.data[0]->key.text, "_Input");
    EXPECT_STREQ(parse.structMembers.entries.data[1]->key.text, "_Output");
    EXPECT_STREQ(parse.structMembers.entries.data[2]->key.text, "_Texture");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(parse.structMembers.entries.data[i]->value.entries.count, 0);
}

TEST(ShaderContext, TargetCapabilities)
{
    const Context& context = g_shaderContext;
    const TargetCapabilities* essl20 = context.GetCapabilities(kTargetESSL20);
    ASSERT_NE(essl20, nullptr);
    EXPECT_EQ(essl20->multiplePixelOutputs, 0);
    EXPECT_EQ(essl20->textures3D, 0);
    const TargetCapabilities* glsl21 = context.GetCapabilities(kTargetGLSL21);
    EXPECT_EQ(glsl21->multiplePixelOutputs, 0);
    EXPECT_EQ(glsl21->textures3D, 1);
    for (uint32_t target : {kTargetESSL30, kTargetGLSL31, kTargetHLSL9, kTargetHLSL11, kTargetPSSL}) {
        EXPECT_EQ(context.GetCapabilities(target)->multiplePixelOutputs, 1) << target;
        EXPECT_EQ(context.GetCapabilities(target)->textures3D, 1) << target;
    }
    EXPECT_EQ(context.GetCapabilities(kTargetCG), nullptr);
    EXPECT_EQ(context.GetCapabilities(kTargetAll), nullptr);
}

TEST(ShaderContext, ClearingTheInterfaceStructuresKeepsThemEmpty)
{
    Context context;
    StringMap<Type>* input = context.parse.FindStructure("_Input");
    ASSERT_NE(input, nullptr);
    (*input)["position"] = Type(kBaseFloat, 4, kQualifierConst);
    (*context.parse.FindStructure("_Texture"))["diffuse"] = Type::MakeTexture(kTexture2D);
    context.parse.ClearInterfaceStructures();
    EXPECT_EQ(context.parse.structMembers.entries.count, 3);
    EXPECT_EQ(input->entries.count, 0);
    EXPECT_EQ(context.parse.FindStructure("_Texture")->entries.count, 0);
    EXPECT_EQ(context.parse.FindStructure("_Other"), nullptr);
    EXPECT_EQ(context.parse.FindStructure(nullptr), nullptr);
}

TEST(ShaderContext, ParserDefaultStateBlock)
{
    EXPECT_EQ(kParserDefaultStateWords, 37);
    EXPECT_EQ(g_shaderParserDefaultState[0], 0);
    EXPECT_EQ(g_shaderParserDefaultState[kParserDefaultStateWords - 1], 1);
}
