// The parse tree's vocabulary: types and the nodes that carry them.
#include "shadertool/core/context.h"
#include "shadertool/core/node.h"
#include "shadertool/core/shader_type.h"

#include <gtest/gtest.h>

#include <string>

using namespace ShaderTool;

namespace {

std::string Name(const Type& type, bool shortForm = false) {
    String name = type.GetName(shortForm);
    return name.text ? name.text : "<null>";
}

Type Named(Type type, const char* name) {
    type.name.Assign(name);
    return type;
}
Type Struct(const char* name) { return Named(Type(kBaseStruct, 0), name); }

const SourcePosition kAt{5, 12};

} // namespace

TEST(ShaderType, ValidityRejectsEveryForbiddenCombination) {
    EXPECT_FALSE(Type().IsValid());
    EXPECT_TRUE(Type(kBaseFloat, 4, kQualifierConst, 8).IsValid());
    EXPECT_TRUE(Type::MakeMatrix(3, 0, 2).IsValid());
    EXPECT_TRUE(Type::MakeTexture(kTextureCube).IsValid());
    EXPECT_TRUE(Type::MakeNoOperand().IsValid());
    EXPECT_TRUE(Struct("_Input").IsValid());
    EXPECT_TRUE(Named(Type(kBaseFloat, 1), "").IsValid()) << "an empty name is no name";

    Type textureArray = Type::MakeTexture(kTexture2D), intMatrix = Type::MakeMatrix(2), dimensionedFloat(kBaseFloat, 1),
         none;
    textureArray.arraySize = 2;
    intMatrix.baseKind = kBaseInt;
    dimensionedFloat.textureDimension = kTexture3D;
    none.vectorSize = 1;
    EXPECT_FALSE(textureArray.IsValid()) << "arrays only of bool, float and int";
    EXPECT_FALSE(Type(kBaseStruct, 2).IsValid()) << "vectors of a structure";
    EXPECT_FALSE(Type(kBaseVoid, 2).IsValid());
    EXPECT_FALSE(intMatrix.IsValid());
    EXPECT_FALSE(dimensionedFloat.IsValid());
    EXPECT_FALSE(Named(Type(kBaseFloat, 1), "x").IsValid());
    EXPECT_FALSE(none.IsValid()) << "None is never valid";
}

TEST(ShaderType, LongAndShortNames) {
    EXPECT_EQ(Name(Type::MakeMatrix(4)), "float4x4");
    EXPECT_EQ(Name(Type::MakeMatrix(3), true), "f3x3");
    EXPECT_EQ(Name(Type(kBaseInt, 3), true), "i3");
    EXPECT_EQ(Name(Type(kBaseInt, 1, 0, 4)), "int") << "no array size in a name";
    EXPECT_EQ(Name(Type::MakeTexture(kTextureCube)), "TextureCube");
    EXPECT_EQ(Name(Type::MakeTexture(kTextureCube), true), "tC");
    EXPECT_EQ(Name(Type::MakeTexture(7)), "") << "an unknown dimension has no name";
    EXPECT_EQ(Name(Struct("_Output"), true), "_Output");
    EXPECT_EQ(Name(Type(kBaseStruct, 0)), "") << "a structure without a name";
}

TEST(ShaderType, SameTypeIgnoresArraysQualifiersAndConstness) {
    Type a(kBaseFloat, 3, kQualifierConst, 4), b(kBaseFloat, 3);
    b.isConstant = 1;
    EXPECT_TRUE(a.IsSameType(b));
    EXPECT_FALSE(a.IsSameType(Type(kBaseInt, 3)));
    EXPECT_FALSE(a.IsSameType(Type(kBaseFloat, 2)));
    EXPECT_FALSE(Type::MakeTexture(kTexture2D).IsSameType(Type::MakeTexture(kTexture3D)));
    EXPECT_TRUE(Struct("").IsSameType(Type(kBaseStruct, 0))) << "null and empty names are both empty";
    EXPECT_FALSE(Struct("_Input").IsSameType(Struct("_Output")));
    EXPECT_FALSE(Struct("_Input").IsSameType(Type(kBaseStruct, 0)));
    EXPECT_TRUE(Struct("_Input").IsSameType(Struct("_Input")));
}

TEST(ShaderNodes, FloatLiteralsAlwaysEndInAnF) {
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

TEST(ShaderNodes, MakersGiveEveryBodyABlockAndListsRefuseNulls) {
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
