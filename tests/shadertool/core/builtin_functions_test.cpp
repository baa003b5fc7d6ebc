#include "shadertool/core/builtin_functions.h"

#include <gtest/gtest.h>

#include <string>

using namespace ShaderTool;

namespace {

class BuiltInFunctions : public ::testing::Test {
protected:
    BuiltInFunctionTable table;
    void SetUp() override { table.RegisterBuiltInFunctions(); }
};

} // namespace

TEST_F(BuiltInFunctions, OverloadsAreFoundBySignature)
{
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

    EXPECT_NE(table.FindBySignature("sampleTextureLodOffset,t3,f3,f,i3"), nullptr);
    EXPECT_EQ(table.FindBySignature("sampleTextureLodOffset,tC,f3,f,i3"), nullptr);
    EXPECT_EQ(table.FindBySignature("cross,f2,f2"), nullptr);
    EXPECT_EQ(table.FindBySignature("dot,f4,f4")->type.vectorSize, 1);
    EXPECT_NE(table.FindBySignature("lerp,f3,f3,f"), nullptr);
    for (const char* key : {"int4,i2,i2", "int3,i,i,i", "int,f", "float3,f2,f", "float2,f,f", "lerp,f4,f4,f4", "lerp,f4,f4,f"})
        EXPECT_NE(table.FindBySignature(key), nullptr) << key;
    EXPECT_EQ(table.FindBySignature("abs,i"), nullptr) << "no function but all and any takes ints";
    EXPECT_EQ(table.FindBySignature(nullptr), nullptr);
    EXPECT_EQ(table.CountOverloads("cross"), 1);
    EXPECT_EQ(table.CountOverloads(nullptr), 0);
}

TEST_F(BuiltInFunctions, ParameterlessKeysAndBoundedRepeats)
{
    BuiltInFunctionTable own;
    own.AddRepeated("noise", kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1), 0);
    own.AddRepeated("most", kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1), 16);
    own.AddRepeated("more", kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1), 17);
    own.AddRepeated("negative", kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1), -5);
    EXPECT_STREQ(own.overloads.data[0].signatureKey.text, "noise,");
    EXPECT_EQ(own.overloads.data[1].Parameters()->children.count, 16);
    EXPECT_EQ(own.overloads.data[2].Parameters()->children.count, 16) << "sixteen parameters at the most";
    EXPECT_STREQ(own.overloads.data[3].signatureKey.text, "negative,");
    own.Release();
    EXPECT_EQ(own.overloads.count, 0);
    own.Release();
}
