#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"

#include <gtest/gtest.h>

using namespace ShaderTool;

TEST(ShaderContext, GlobalContextIsBuiltWithOneErrorLogForEveryStage)
{
    const Context& context = g_shaderContext;
    // The stages in front of the parser report into the same error log.
    ASSERT_NE(context.tokenizer, nullptr);
    ASSERT_NE(context.preprocessor, nullptr);
    ASSERT_NE(context.reader, nullptr);
    EXPECT_EQ(context.tokenizer->errorLog, &context.errorLog);
    EXPECT_EQ(context.preprocessor->errorLog, &context.errorLog);
    EXPECT_EQ(context.reader->errorLog, &context.errorLog);
    EXPECT_GT(context.preprocessor->builtInMacroCount, 0);

    const ParseContext& parse = context.parse;
    EXPECT_EQ(parse.errorLog, &context.errorLog);
    EXPECT_EQ(parse.tokenSource, context.tokenizer);
    EXPECT_EQ(parse.builtInFunctions.overloads.count, 223);
    EXPECT_EQ(parse.operators.TotalCount(), 396);
    EXPECT_EQ(parse.success, 1);
    ASSERT_EQ(parse.structMembers.entries.count, 3);
    EXPECT_STREQ(parse.structMembers.entries.data[0]->key.text, "_Input");
    EXPECT_STREQ(parse.structMembers.entries.data[2]->key.text, "_Texture");

    // Only the OpenGL ES 2 target lacks 3D textures and several pixel outputs.
    EXPECT_EQ(context.GetCapabilities(kTargetESSL20)->textures3D, 0);
    EXPECT_EQ(context.GetCapabilities(kTargetGLSL21)->textures3D, 1);
    EXPECT_EQ(context.GetCapabilities(kTargetCG), nullptr);
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
