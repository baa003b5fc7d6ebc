#include "shadertool/core/builtin_functions.h"

#include <gtest/gtest.h>

#include <string>

using namespace ShaderTool;

TEST(BuiltInFunctions, OverloadsAreFoundBySignature)
{
    BuiltInFunctionTable table;
    table.RegisterBuiltInFunctions();
    std::string nineFloats = "float3x3";
    for (int i = 0; i < 9; ++i)
        nineFloats += ",f";
    const FunctionNode* matrix = table.FindBySignature(nineFloats.c_str());
    ASSERT_NE(matrix, nullptr);
    EXPECT_EQ(matrix->op, kConstructorFloat3x3);
    EXPECT_EQ(matrix->type.matrixSize, 3);
    EXPECT_EQ(matrix->Parameters()->children.count, 9);

    const FunctionNode* clamp = table.FindBySignature("clamp,f3,f3,f3");
    ASSERT_NE(clamp, nullptr);
    EXPECT_EQ(clamp->op, kBuiltInClamp);
    EXPECT_EQ(clamp->type.vectorSize, 3);
    EXPECT_EQ(clamp->isBuiltIn, 1);
    EXPECT_EQ(clamp->isDefined, 1);

    const FunctionNode* sample = table.FindBySignature("sampleTexture,t2,f2");
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->type.vectorSize, 4);
    const Node* textureParameter = sample->Parameters()->children.data[0];
    ASSERT_EQ(textureParameter->kind, kNodeSymbol);
    EXPECT_EQ(static_cast<const SymbolNode*>(textureParameter)->type.textureDimension, kTexture2D);
    EXPECT_EQ(static_cast<const SymbolNode*>(textureParameter)->name.text, nullptr);

    for (const char* key : {"sampleTextureLodOffset,t3,f3,f,i3", "lerp,f3,f3,f", "int4,i2,i2", "int3,i,i,i", "int,f",
                            "float3,f2,f", "float2,f,f", "lerp,f4,f4,f4", "lerp,f4,f4,f"})
        EXPECT_NE(table.FindBySignature(key), nullptr) << key;
    for (const char* key : {"sampleTextureLodOffset,tC,f3,f,i3", "cross,f2,f2", "abs,i" /* only all and any take ints */})
        EXPECT_EQ(table.FindBySignature(key), nullptr) << key;
    EXPECT_EQ(table.FindBySignature("dot,f4,f4")->type.vectorSize, 1);
    EXPECT_EQ(table.FindBySignature(nullptr), nullptr);
    EXPECT_EQ(table.CountOverloads("cross"), 1);
    EXPECT_EQ(table.CountOverloads(nullptr), 0);
}

TEST(BuiltInFunctions, ParameterlessKeysAndBoundedRepeats)
{
    BuiltInFunctionTable own;
    const Type f1(kBaseFloat, 1);
    own.AddRepeated("noise", kBuiltInAbs, f1, f1, 0);
    own.AddRepeated("most", kBuiltInAbs, f1, f1, 16);
    own.AddRepeated("more", kBuiltInAbs, f1, f1, 17);
    own.AddRepeated("negative", kBuiltInAbs, f1, f1, -5);
    EXPECT_STREQ(own.overloads.data[0].signatureKey.text, "noise,");
    EXPECT_EQ(own.overloads.data[1].Parameters()->children.count, 16);
    EXPECT_EQ(own.overloads.data[2].Parameters()->children.count, 16) << "sixteen parameters at the most";
    EXPECT_STREQ(own.overloads.data[3].signatureKey.text, "negative,");
    own.Release();
    EXPECT_EQ(own.overloads.count, 0);
    own.Release();
}
