// The built-in overload tables: operators, resolved against their operands, and functions.
#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/context.h"
#include "shadertool/core/node.h"
#include "shadertool/core/operator_table.h"

#include <gtest/gtest.h>

#include <string>

using namespace ShaderTool;

namespace {

const SourcePosition kAt{3, 7};

class OperatorResolution : public ::testing::Test {
protected:
    Log log;
    ParseContext context;

    void SetUp() override {
        context.BuildEnvironment(&log);
        context.sourceName.Assign("t.fx");
    }
    SymbolNode* Variable(const Type& type) { return CreateSymbolNode(context, type, "v", kAt); }
    LiteralNode* IntLiteral(const char* text) { return CreateLiteralNode(context, kBaseInt, text, kAt); }
    LiteralNode* FloatLiteral(const char* text) { return CreateLiteralNode(context, kBaseFloat, text, kAt); }
    OperatorNode* Resolve(uint32_t op, Node* left, Node* right, bool isAssignment = false, bool allowArrays = false) {
        OperatorNode* node = CreateOperatorNode(context, op, kAt);
        ResolveOperator(context, node, left, right, isAssignment, allowArrays);
        return node;
    }
    uint32_t Kind(const OperatorNode* node) { return node->type.baseKind; }  // None when nothing matched
    std::string ResultName(const OperatorNode* node) {
        String name = node->type.GetName(false);
        return name.text ? name.text : "";
    }
};

} // namespace

TEST(OperatorTable, OnlyIdsOfTheTableHaveOverloads) {
    OperatorTable table;
    table.RegisterBuiltInOperators();
    EXPECT_EQ(table.Find(kOperatorTableSize), nullptr);
    EXPECT_EQ(table.Find(kOpFunction), nullptr);
    EXPECT_STREQ(GetOperatorText(kOpLeftShiftAssign), "<<=");
    EXPECT_STREQ(GetOperatorText(kOpFunction), "");
    int before = table.TotalCount();
    table.Register(kOperatorTableSize, Type(kBaseInt, 1), Type(kBaseInt, 1), Type(kBaseInt, 1));
    EXPECT_EQ(table.TotalCount(), before) << "ids outside the table are ignored";
}

TEST_F(OperatorResolution, MixedIntAndFloatConvertTheIntSide) {
    LiteralNode* one = IntLiteral("1");
    OperatorNode* sum = Resolve(kOpAdd, one, FloatLiteral("2.0"));
    EXPECT_EQ(ResultName(sum), "float");
    EXPECT_EQ(sum->left, one) << "a literal is converted in place";
    EXPECT_STREQ(one->text.text, "1.000000f");
    EXPECT_EQ(one->type.baseKind, kBaseFloat);
    EXPECT_EQ(sum->type.isConstant, 1);
    LiteralNode* hex = IntLiteral("0x10");
    Resolve(kOpAdd, FloatLiteral("2.0"), hex);
    EXPECT_STREQ(hex->text.text, "16.000000f");
    // Anything else is wrapped in a call of the float constructor of its size.
    SymbolNode* counter = Variable(Type(kBaseInt, 3));
    OperatorNode* product = Resolve(kOpMultiply, counter, Variable(Type(kBaseFloat, 3)));
    EXPECT_EQ(ResultName(product), "float3");
    ASSERT_EQ(product->left->kind, kNodeCall);
    FunctionNode* conversion = static_cast<FunctionNode*>(product->left);
    EXPECT_EQ(conversion->op, kConstructorFloat3);
    EXPECT_STREQ(conversion->name.text, "float3");
    EXPECT_EQ(conversion->isBuiltIn, 1);
    ASSERT_EQ(conversion->Parameters()->children.count, 1);
    EXPECT_EQ(conversion->Parameters()->children.data[0], counter);
    EXPECT_EQ(product->type.isConstant, 0);
    EXPECT_EQ(log.hasError, 0);
}

TEST_F(OperatorResolution, TheLeftSideOfAnAssignmentNeverConverts) {
    EXPECT_EQ(ResultName(Resolve(kOpAssign, Variable(Type(kBaseFloat, 1)), IntLiteral("3"), true)), "float");
    EXPECT_EQ(Kind(Resolve(kOpAssign, Variable(Type(kBaseInt, 1)), FloatLiteral("1.5"), true)), kBaseNone);
    EXPECT_STREQ(log.text.text, "t.fx(7:3) error: no operator '=' matches the operands.\n");
    EXPECT_EQ(context.success, 0);
}

TEST_F(OperatorResolution, SpotChecksOfTheTable) {
    const Type f1(kBaseFloat, 1), f2(kBaseFloat, 2), f3(kBaseFloat, 3), i1(kBaseInt, 1);
    const Type m3 = Type::MakeMatrix(3), m4 = Type::MakeMatrix(4), none = Type::MakeNoOperand();
    // The result's name is "" when no overload matches.
    const struct { uint32_t op; Type left, right; const char* result; } cases[] = {
        {kOpMultiply, f3, m3, "float3"}, {kOpMultiply, m3, f3, ""},     // vector times matrix only
        {kOpIndex, m4, i1, "float4"},    {kOpEqual, f2, f2, "bool"},    {kOpLess, f2, f2, ""},
        {kOpNegate, f1, none, "float"},  {kOpUnaryPlus, f1, none, ""},  {kOpBitwiseAnd, i1, i1, "int"},
        {kOpBitwiseAnd, f1, i1, ""},
        {kOpParentheses, f1, none, ""},  // typed by the semantic checks, not the table
    };
    for (const auto& c : cases) {
        OperatorNode* node = Resolve(c.op, Variable(c.left), c.right.baseKind == kBaseVoid ? nullptr : Variable(c.right));
        EXPECT_EQ(ResultName(node), c.result) << GetOperatorText(c.op) << " " << ResultName(node);
        EXPECT_EQ(Kind(node) == kBaseNone, !*c.result) << GetOperatorText(c.op);
    }
    EXPECT_NE(std::string(log.text.text).find("no operator '*' matches"), std::string::npos);
}

TEST_F(OperatorResolution, ArraysOnlyCopyInADeclarationAndResultsTakeTheLeftQualifiers) {
    Type floatArray(kBaseFloat, 1, 0, 4), otherSize(kBaseFloat, 1, 0, 3);
    EXPECT_EQ(Kind(Resolve(kOpNegate, Variable(floatArray), nullptr)), kBaseNone);
    EXPECT_EQ(Kind(Resolve(kOpAssign, Variable(floatArray), Variable(floatArray), true)), kBaseNone);
    OperatorNode* declaration = Resolve(kOpAssign, Variable(floatArray), Variable(floatArray), true, true);
    EXPECT_EQ(ResultName(declaration), "float");
    EXPECT_EQ(declaration->type.arraySize, 4);
    EXPECT_EQ(Kind(Resolve(kOpAssign, Variable(floatArray), Variable(otherSize), true, true)), kBaseNone);
    SymbolNode* constant = Variable(Type(kBaseFloat, 4, kQualifierConst));
    constant->type.isConstant = 1;
    OperatorNode* negated = Resolve(kOpNegate, constant, nullptr);
    EXPECT_EQ(negated->type.qualifiers, kQualifierConst);
    EXPECT_EQ(negated->type.isConstant, 1);
    EXPECT_EQ(Resolve(kOpAdd, constant, Variable(Type(kBaseFloat, 4)))->type.isConstant, 0);
}

TEST_F(OperatorResolution, MissingOrUntypedOperandsAreReportedNotFollowed) {
    EXPECT_FALSE(ResolveOperator(context, nullptr, nullptr, nullptr, false, false));
    EXPECT_EQ(Kind(Resolve(kOpAdd, nullptr, IntLiteral("1"))), kBaseNone);
    EXPECT_EQ(Kind(Resolve(kOpAdd, IntLiteral("1"), CreateBranchNode(context, kOpBreak, nullptr, kAt))), kBaseNone);
    OperatorNode* outOfTable = CreateOperatorNode(context, kOpDeclarationList, kAt);
    EXPECT_FALSE(ResolveOperator(context, outOfTable, IntLiteral("1"), IntLiteral("1"), false, false));
}

TEST(BuiltInFunctions, OverloadsAreFoundBySignature) {
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

TEST(BuiltInFunctions, ParameterlessKeysAndBoundedRepeats) {
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
