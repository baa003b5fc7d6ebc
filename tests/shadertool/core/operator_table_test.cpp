#include "shadertool/core/builtin_function_ids.h"
#include "shadertool/core/node_factory.h"
#include "shadertool/core/operator_table.h"
#include "shadertool/core/parse_context.h"

#include <gtest/gtest.h>

#include <string>

using namespace ShaderTool;

namespace {

const SourcePosition kAt{3, 7};

class OperatorResolution : public ::testing::Test {
protected:
    Log log;
    ParseContext context;

    void SetUp() override
    {
        context.BuildEnvironment(&log);
        context.sourceName.Assign("t.fx");
    }

    SymbolNode* Variable(const Type& type) { return CreateSymbolNode(context, type, "v", kAt); }
    LiteralNode* IntLiteral(const char* text) { return CreateLiteralNode(context, kBaseInt, text, kAt); }
    LiteralNode* FloatLiteral(const char* text) { return CreateLiteralNode(context, kBaseFloat, text, kAt); }

    OperatorNode* Resolve(uint32_t op, Node* left, Node* right, bool isAssignment = false, bool allowArrays = false)
    {
        OperatorNode* node = CreateOperatorNode(context, op, kAt);
        ResolveOperator(context, node, left, right, isAssignment, allowArrays);
        return node;
    }

    std::string ResultName(const OperatorNode* node)
    {
        String name = node->type.GetName(false);
        return name.text ? name.text : "";
    }
};

} // namespace

TEST(OperatorTable, HoldsEveryOverloadUnderItsId)
{
    OperatorTable table;
    table.RegisterBuiltInOperators();
    EXPECT_EQ(table.TotalCount(), 396);
    const int expected[kOperatorTableSize] = {4,  0, 1,  11, 4,  11, 11, 11, 11, 29, 12, 20, 4, 20,
                                              4,  7, 23, 4,  4,  20, 4,  4,  4,  4,  26, 12, 2, 2,
                                              4,  2, 2,  1,  1,  0,  7,  32, 12, 4,  9,  29, 12, 12};
    for (uint32_t id = 0; id < kOperatorTableSize; ++id)
        EXPECT_EQ(table.overloads[id].count, expected[id]) << "operator " << id;
    EXPECT_EQ(table.Find(kOperatorTableSize), nullptr);
    EXPECT_EQ(table.Find(kOpFunction), nullptr);

    // "*" keeps the matrix entries after every vector entry; (vector, matrix) follows its vector pair.
    const Array<OperatorOverload>& multiply = table.overloads[kOpMultiply];
    EXPECT_EQ(multiply.data[14].left.vectorSize, 2);
    EXPECT_EQ(multiply.data[14].right.matrixSize, 2);
    EXPECT_EQ(multiply.data[14].result.vectorSize, 2);
    EXPECT_EQ(multiply.data[23].right.matrixSize, 2);
    EXPECT_EQ(multiply.data[23].left.vectorSize, 1);

    // Unary operators take the "no operand" type on the right.
    EXPECT_EQ(table.overloads[kOpLogicalNot].data[0].right.baseKind, kBaseVoid);
    EXPECT_EQ(table.overloads[kOpLogicalNot].data[0].right.vectorSize, 1);

    table.Register(kOperatorTableSize, Type(kBaseInt, 1), Type(kBaseInt, 1), Type(kBaseInt, 1));
    EXPECT_EQ(table.TotalCount(), 396) << "ids outside the table are ignored";
}

TEST_F(OperatorResolution, MixedIntAndFloatConvertTheIntSide)
{
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
    EXPECT_EQ(conversion->type.baseKind, kBaseNone);
    ASSERT_EQ(conversion->Parameters()->children.count, 1);
    EXPECT_EQ(conversion->Parameters()->children.data[0], counter);
    EXPECT_EQ(product->type.isConstant, 0);
    EXPECT_EQ(log.hasError, 0);
}

TEST_F(OperatorResolution, TheLeftSideOfAnAssignmentNeverConverts)
{
    OperatorNode* widen = Resolve(kOpAssign, Variable(Type(kBaseFloat, 1)), IntLiteral("3"), true);
    EXPECT_EQ(ResultName(widen), "float");

    OperatorNode* narrow = Resolve(kOpAssign, Variable(Type(kBaseInt, 1)), FloatLiteral("1.5"), true);
    EXPECT_EQ(narrow->type.baseKind, kBaseNone);
    EXPECT_STREQ(log.text.text, "t.fx(7:3) error: no operator '=' matches the operands.\n");
    EXPECT_EQ(context.success, 0);
}

TEST_F(OperatorResolution, VectorTimesMatrixButNotTheOtherWay)
{
    EXPECT_EQ(ResultName(Resolve(kOpMultiply, Variable(Type(kBaseFloat, 3)), Variable(Type::MakeMatrix(3)))),
              "float3");
    EXPECT_EQ(Resolve(kOpMultiply, Variable(Type::MakeMatrix(3)), Variable(Type(kBaseFloat, 3)))->type.baseKind,
              kBaseNone);
    EXPECT_NE(std::string(log.text.text).find("no operator '*' matches"), std::string::npos);
    EXPECT_EQ(ResultName(Resolve(kOpIndex, Variable(Type::MakeMatrix(4)), IntLiteral("2"))), "float4");
}

TEST_F(OperatorResolution, ComparisonsUnaryAndBitwiseRules)
{
    EXPECT_EQ(Resolve(kOpLess, Variable(Type(kBaseFloat, 2)), Variable(Type(kBaseFloat, 2)))->type.baseKind,
              kBaseNone);
    EXPECT_EQ(ResultName(Resolve(kOpEqual, Variable(Type(kBaseFloat, 2)), Variable(Type(kBaseFloat, 2)))), "bool");
    EXPECT_EQ(Resolve(kOpUnaryPlus, Variable(Type(kBaseFloat, 1)), nullptr)->type.baseKind, kBaseNone);
    EXPECT_EQ(ResultName(Resolve(kOpNegate, Variable(Type(kBaseFloat, 1)), nullptr)), "float");
    EXPECT_EQ(ResultName(Resolve(kOpBitwiseAnd, Variable(Type(kBaseInt, 1)), IntLiteral("1"))), "int");
    EXPECT_EQ(Resolve(kOpBitwiseAnd, Variable(Type(kBaseFloat, 1)), IntLiteral("1"))->type.baseKind, kBaseNone);
    EXPECT_EQ(Resolve(kOpParentheses, Variable(Type(kBaseFloat, 1)), nullptr)->type.baseKind, kBaseNone)
        << "parentheses are typed by the semantic checks, not the table";
}

TEST_F(OperatorResolution, ArraysOnlyCopyInADeclaration)
{
    Type floatArray(kBaseFloat, 1, 0, 4);
    EXPECT_EQ(Resolve(kOpNegate, Variable(floatArray), nullptr)->type.baseKind, kBaseNone);
    EXPECT_EQ(Resolve(kOpAssign, Variable(floatArray), Variable(floatArray), true)->type.baseKind, kBaseNone);

    OperatorNode* declaration = Resolve(kOpAssign, Variable(floatArray), Variable(floatArray), true, true);
    EXPECT_EQ(ResultName(declaration), "float");
    EXPECT_EQ(declaration->type.arraySize, 4);

    Type otherSize(kBaseFloat, 1, 0, 3);
    EXPECT_EQ(Resolve(kOpAssign, Variable(floatArray), Variable(otherSize), true, true)->type.baseKind, kBaseNone);
}

TEST_F(OperatorResolution, ResultTakesTheLeftQualifiersAndConstness)
{
    SymbolNode* constant = Variable(Type(kBaseFloat, 4, kQualifierConst));
    constant->type.isConstant = 1;
    OperatorNode* negated = Resolve(kOpNegate, constant, nullptr);
    EXPECT_EQ(negated->type.qualifiers, kQualifierConst);
    EXPECT_EQ(negated->type.isConstant, 1);
    EXPECT_EQ(Resolve(kOpAdd, constant, Variable(Type(kBaseFloat, 4)))->type.isConstant, 0);
}

TEST_F(OperatorResolution, MissingOrUntypedOperandsAreReportedNotFollowed)
{
    EXPECT_FALSE(ResolveOperator(context, nullptr, nullptr, nullptr, false, false));
    OperatorNode* node = Resolve(kOpAdd, nullptr, IntLiteral("1"));
    EXPECT_EQ(node->type.baseKind, kBaseNone);
    BranchNode* statement = CreateBranchNode(context, kOpBreak, nullptr, kAt);
    EXPECT_EQ(Resolve(kOpAdd, IntLiteral("1"), statement)->type.baseKind, kBaseNone);
    OperatorNode* outOfTable = CreateOperatorNode(context, kOpDeclarationList, kAt);
    EXPECT_FALSE(ResolveOperator(context, outOfTable, IntLiteral("1"), IntLiteral("1"), false, false));
}
