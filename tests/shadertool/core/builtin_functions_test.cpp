#include "shadertool/core/builtin_functions.h"
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

TEST_F(BuiltInFunctions, CountsPerName)
{
    EXPECT_EQ(table.overloads.count, 223);
    EXPECT_EQ(table.CountOverloads("float4"), 9);
    EXPECT_EQ(table.CountOverloads("lerp"), 7);
    EXPECT_EQ(table.CountOverloads("cross"), 1);
    EXPECT_EQ(table.CountOverloads(nullptr), 0);
}

TEST_F(BuiltInFunctions, SignatureKeysAndOverloadOrder)
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
    EXPECT_EQ(table.FindBySignature("abs,i"), nullptr) << "no function but all and any takes ints";

    // Constructors first in id order, then the functions alphabetically.
    EXPECT_STREQ(table.overloads.data[60].signatureKey.text, "int4,i4");
    EXPECT_STREQ(table.overloads.data[61].signatureKey.text, "abs,f");
    EXPECT_STREQ(table.overloads.data[222].signatureKey.text, "transpose,f4x4");
}

TEST_F(BuiltInFunctions, ParameterlessKeysAndBoundedRepeats)
{
    BuiltInFunctionTable own;
    own.AddRepeated("noise", kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1), 0);
    own.AddRepeated("huge", kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1), 1 << 30);
    own.AddRepeated("negative", kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1), -5);
    EXPECT_STREQ(own.overloads.data[0].signatureKey.text, "noise,");
    EXPECT_EQ(own.overloads.data[1].Parameters()->children.count, 16);
    EXPECT_STREQ(own.overloads.data[2].signatureKey.text, "negative,");
    own.Release();
    EXPECT_EQ(own.overloads.count, 0);
    own.Release();
}
