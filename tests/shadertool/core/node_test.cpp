#include "shadertool/core/context.h"
#include "shadertool/core/node.h"

#include <gtest/gtest.h>

using namespace ShaderTool;

namespace {

const SourcePosition kAt{5, 12};

} // namespace

TEST(ShaderNodes, FloatLiteralsAlwaysEndInAnF)
{
    ParseContext context;
    EXPECT_STREQ(CreateLiteralNode(context, kBaseFloat, "1.0", kAt)->text.text, "1.0f");
    EXPECT_STREQ(CreateLiteralNode(context, kBaseFloat, "2.5F", kAt)->text.text, "2.5F");
    EXPECT_STREQ(CreateLiteralNode(context, kBaseInt, "7", kAt)->text.text, "7");
    EXPECT_STREQ(CreateLiteralNode(context, kBaseBool, nullptr, kAt)->text.text, "");
    LiteralNode* literal = CreateLiteralNode(context, kBaseFloat, "1e5", kAt);
    EXPECT_EQ(literal->type.baseKind, kBaseFloat);
    EXPECT_EQ(literal->type.vectorSize, 1);
    EXPECT_EQ(literal->type.isConstant, 1);
    EXPECT_EQ(literal->column, 5);
    EXPECT_EQ(literal->line, 12);
    EXPECT_EQ(context.nodes.count, 5);
}

TEST(ShaderNodes, MakersGiveEveryBodyABlockAndListsRefuseNulls)
{
    ParseContext context;
    FunctionNode* call = CreateFunctionNode(context, kNodeCall, kOpFunction, "foo", kAt);
    ASSERT_NE(call->Parameters(), nullptr);
    EXPECT_EQ(call->Parameters()->children.count, 0);
    EXPECT_EQ(context.nodes.count, 2) << "the argument list is a node of its own";
    LoopNode* loop = CreateLoopNode(context, kLoopWhile, nullptr, nullptr, nullptr, nullptr, kAt);
    ASSERT_NE(loop->body, nullptr);
    EXPECT_EQ(static_cast<ListNode*>(loop->body)->isBlock, 1);
    SymbolNode* condition = CreateSymbolNode(context, Type(kBaseBool, 1), "b", kAt);
    IfNode* branch = CreateIfNode(context, condition, nullptr, nullptr, kAt);
    ASSERT_NE(branch->thenBranch, nullptr);
    EXPECT_EQ(branch->elseBranch, nullptr);
    ListNode* list = CreateListNode(context, kOpDeclarationList);
    AppendToList(list, condition);
    AppendToList(list, nullptr);
    AppendToList(nullptr, condition);
    EXPECT_EQ(list->children.count, 1);
    EXPECT_EQ(GetNodeType(loop), nullptr);
    // Destroying the node list twice is harmless.
    context.DestroyNodes();
    EXPECT_EQ(context.nodes.count, 0);
    context.DestroyNodes();
    EXPECT_EQ(context.nodes.count, 0);
    DestroyNode(nullptr);
}
