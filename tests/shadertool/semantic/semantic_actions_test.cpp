// The semantic actions' effects on the tree: conversions, constants, calls, members and
// swizzles, l-values, conditions, indexing and scopes; then whole sources through
// CheckTranslationUnit.
#include "semantic_fixture.h"

#include <string>

#include "shadertool/preprocess/tokenizer.h"

namespace semantic_test {

namespace {

std::string LiteralText(const Node* node) {
    return node && node->kind == kNodeLiteral ? static_cast<const LiteralNode*>(node)->text.text : "(not a literal)";
}

const OperatorNode* AsOperator(const Node* node) {
    return node && node->kind == kNodeOperator ? static_cast<const OperatorNode*>(node) : nullptr;
}

} // namespace

TEST_F(SemanticTest, IntValuesBecomeFloatWhereAFloatIsWanted) {
    const OperatorNode* assignment = AsOperator(Var(Spec(kTokenFloat), "x", Int("1")));
    ASSERT_NE(assignment, nullptr);
    EXPECT_EQ(assignment->flags, kNodeFlagDeclarationInitializer);
    EXPECT_EQ(LiteralText(assignment->right), "1.000000f");

    FunctionNode* vector = Construct(kTokenFloat3, {Int("1"), Int("2"), Int("0x10")});
    EXPECT_EQ(vector->op, static_cast<uint32_t>(kConstructorFloat3));
    EXPECT_EQ(std::string(vector->type.GetName(false).text), "float3");
    EXPECT_EQ(vector->type.isConstant, 1);
    EXPECT_EQ(LiteralText(vector->Parameters()->children.data[2]), "16.000000f");
    const OperatorNode* constant = AsOperator(Var(Spec(kTokenFloat3, kQualifierConst), "c", vector));
    EXPECT_EQ(static_cast<SymbolNode*>(constant->left)->type.isConstant, 1);

    Var(Spec(kTokenInt), "i");
    const OperatorNode* sum = Op(kOpAdd, Ref("i"), Float("2.0"));
    ASSERT_EQ(sum->left->kind, kNodeCall);
    EXPECT_EQ(static_cast<FunctionNode*>(sum->left)->op, static_cast<uint32_t>(kConstructorFloat));
    EXPECT_EQ(sum->type.baseKind, kBaseFloat);
    EXPECT_EQ(sum->type.isConstant, 0);

    Open(Header(Spec(kTokenFloat), "g"));
    BranchNode* back = Return(Ref("i"));
    Close();
    EXPECT_EQ(back->value->kind, kNodeCall);
    EXPECT_EQ(Errors(), "");
}

TEST_F(SemanticTest, APrototypeAndItsDefinitionAreOneNode) {
    FunctionNode* prototype = DeclareFunction(context, Header(Spec(kTokenFloat), "g", {{Spec(kTokenFloat3), "v"}, {Spec(kTokenInt), "n"}}), false);
    EXPECT_EQ(std::string(prototype->signatureKey.text), "g,f3,i");
    EXPECT_EQ(std::string(DeclareFunction(context, Header(Spec(kTokenVoid), "bar"), false)->signatureKey.text), "bar,");

    Open(Header(Spec(kTokenVoid), "main"));
    FunctionNode* call = Call("g", {Construct(kTokenFloat3, {Float("1.0")}), Int("2")});
    Op(kOpAssign, Member(Ref("output"), "position"), Ref("tint"));
    Op(kOpAssign, Member(Ref("output"), "uv"), Member(Ref("tint"), "xy"));
    Close();
    EXPECT_EQ(call->type.baseKind, kBaseFloat);
    EXPECT_EQ(prototype->referenceCount, 1);

    FunctionNode* definition = Open(Header(Spec(kTokenFloat), "g", {{Spec(kTokenFloat3), "w"}, {Spec(kTokenInt), "m"}}));
    Return(Member(Ref("w"), "x"));
    Close();
    EXPECT_EQ(definition, prototype);
    EXPECT_EQ(definition->isDefined, 1);
    EXPECT_EQ(std::string(static_cast<SymbolNode*>(definition->Parameters()->children.data[0])->name.text), "w");
    FinishTranslationUnit(context);
    EXPECT_EQ(Errors(), "");
    EXPECT_EQ(context.success, 1);
}

TEST_F(SemanticTest, SwizzlesAndStructureMembers) {
    Var(Spec(kTokenFloat2), "v");
    SymbolNode* v = Ref("v");
    EXPECT_EQ(std::string(Member(v, "yx")->type.GetName(false).text), "float2");
    EXPECT_EQ(v->flags, 0u);
    Member(v, "xg");
    EXPECT_EQ(Errors(), "a.fx(1:1) error: 'float2' has no member 'xg'.\n");
    log.Clear();
    EXPECT_EQ(Member(v, "xxy")->type.vectorSize, 3);
    EXPECT_EQ(v->flags, kNodeFlagRepeatedSwizzle);

    // A swizzle that repeats a component writes nothing any target accepts.
    Op(kOpAssign, Member(v, "xx"), Construct(kTokenFloat2, {Float("1.0")}), 2, 5);
    Op(kOpAssign, Member(v, "xy"), Construct(kTokenFloat2, {Float("1.0")}), 3, 5);
    Member(Ref("input"), "nothing", 4, 6);
    EXPECT_EQ(Errors(), "a.fx(2:5) error: expression must be a modifiable l-value.\n"
                        "a.fx(1:1) error: undeclared identifier 'input'.\n"
                        "a.fx(4:6) error: '' has no member 'nothing'.\n");
}

TEST_F(SemanticTest, OnlyWritableTargetsAreAssigned) {
    const FunctionNode* vertexMain = Open(Header(Spec(kTokenVoid), "main"));
    Op(kOpAssign, Member(Ref("output"), "position"), Ref("tint"));
    Op(kOpAssign, Ref("output"), Ref("output"), 2, 8);
    Op(kOpPostIncrement, Ref("tint"), nullptr, 3, 5);
    Op(kOpPreIncrement, Int("5"), nullptr, 4, 1);
    Op(kOpOrAssign, Member(Ref("input"), "instance_id"), Int("1"), 5, 19);
    Var(Spec(kTokenInt), "n");
    Op(kOpOrAssign, Op(kOpParentheses, Ref("n")), Int("1"));
    Close();
    EXPECT_EQ(Errors(), "a.fx(2:8) error: expression must be a modifiable l-value.\n"
                        "a.fx(3:5) error: expression must be a modifiable l-value.\n"
                        "a.fx(4:1) error: expression must be a modifiable l-value.\n"
                        "a.fx(5:19) error: expression must be a modifiable l-value.\n");
    ASSERT_EQ(context.unsetOutputs.count, 1);
    EXPECT_EQ(std::string(context.unsetOutputs.data[0].text), "uv");

    EXPECT_EQ(vertexMain->flags & kNodeFlagWritesInputs, 0u) << "no input member was written";

    // What the vertex stage wrote the pixel stage may change; the facing members stay fixed.
    Begin(kStagePixel);
    Open(Header(Spec(kTokenVoid), "main"));
    Op(kOpAssign, Member(Ref("output"), "color"), Member(Ref("input"), "position"));
    EXPECT_EQ(context.currentFunction->flags & kNodeFlagWritesInputs, 0u) << "reading is not writing";
    Op(kOpAssign, Member(Member(Ref("input"), "uv"), "x"), Float("0.0"), 2, 12);
    Op(kOpMultiplyAssign, Member(Ref("input"), "position"), Float("2.0"), 3, 20);
    Op(kOpAssign, Member(Ref("input"), "face_direction"), Float("1.0"), 4, 7);
    EXPECT_EQ(context.currentFunction->flags & kNodeFlagWritesInputs, kNodeFlagWritesInputs);
    Close();
    EXPECT_EQ(Errors(), "a.fx(4:7) error: expression must be a modifiable l-value.\n");
}

TEST_F(SemanticTest, BoolAndIntConditionsStayAsWrittenAndOnlyArraysAndFloatsAreRefused) {
    Node* one = Int("1");
    Node* yes = MakeLiteral(context, kBaseBool, "true", At(1, 1));
    Node* pair = Construct(kTokenInt2, {Int("1")});
    Node* declared = Var(Spec(kTokenInt), "declared", Int("1"), 3, 9);
    for (Node* condition : {one, yes, pair, declared})
        EXPECT_EQ(CheckCondition(context, condition), condition) << "the tree keeps the condition itself";
    EXPECT_EQ(AsOperator(declared)->op, static_cast<uint32_t>(kOpAssign));
    EXPECT_EQ(CheckCondition(context, nullptr), nullptr);
    EXPECT_EQ(Errors(), "");
    Var(Spec(kTokenInt, 0, 2), "counts");
    CheckCondition(context, Ref("counts"));
    CheckCondition(context, Float("1.0"));
    CheckCondition(context, Construct(kTokenFloat2, {Float("1.0")}));
    EXPECT_EQ(Errors(), "a.fx(1:1) error: expression must be a boolean expression.\n"
                        "a.fx(1:1) error: expression must be a boolean expression.\n"
                        "a.fx(1:1) error: expression must be a boolean expression.\n");
}

TEST_F(SemanticTest, IndexingArraysVectorsAndMatrices) {
    Var(Spec(kTokenFloat3, 0, 4), "a");
    Var(Spec(kTokenInt), "i");
    const OperatorNode* element = Index(Ref("a"), Ref("i"));
    EXPECT_EQ(element->type.arraySize, 0);
    EXPECT_EQ(element->type.vectorSize, 3);
    Var(Spec(kTokenFloat4x4), "m");
    EXPECT_EQ(Index(Ref("m"), Int("3"))->type.vectorSize, 4);
    // An array takes an index of any type.
    EXPECT_EQ(Index(Ref("a"), Float("1.0"))->type.vectorSize, 3);
    EXPECT_EQ(Index(Ref("a"), MakeLiteral(context, kBaseBool, "true", At(1, 1)))->type.vectorSize, 3);
    EXPECT_EQ(Errors(), "");
    Index(Ref("tint"), Float("1.0"), 2, 5);
    Index(Ref("tint"), MakeLiteral(context, kBaseInt, "4", At(3, 7)));
    Index(Ref("m"), MakeLiteral(context, kBaseInt, "4", At(4, 7)));
    EXPECT_EQ(Errors(), "a.fx(2:5) error: no operator '[]' matches the operands.\n"
                        "a.fx(3:7) error: index is out of range.\n"
                        "a.fx(4:7) error: index is out of range.\n");
}

TEST_F(SemanticTest, AScopeTakesItsNamesAlongWhenItCloses) {
    PushScope(context);
    Var(Spec(kTokenInt), "i");
    EXPECT_NE(FindSymbol(context, "i"), nullptr);
    PopScope(context);
    EXPECT_EQ(FindSymbol(context, "i"), nullptr);
    Var(Spec(kTokenFloat), "i");
    PopScope(context);  // the global scope stays
    PopScope(context);
    EXPECT_EQ(context.scopeMarks.count, 1);
    EXPECT_NE(FindSymbol(context, "i"), nullptr);
    EXPECT_NE(FindSymbol(context, "tint"), nullptr);
    EXPECT_EQ(FindSymbol(context, "texture"), nullptr);
    EXPECT_EQ(Errors(), "");

    ListNode* list = AddDeclarator(context, Var(Spec(kTokenFloat, 0, 2), "x"), Tok("y"), nullptr, At(1, 1));
    ASSERT_EQ(list->children.count, 2);
    EXPECT_EQ(list->type.arraySize, 2);
    EXPECT_EQ(static_cast<SymbolNode*>(list->children.data[1])->type.arraySize, 0);
    EXPECT_EQ(AddDeclarator(context, list, Tok("z"), Int("1"), At(1, 1)), list);
    EXPECT_EQ(list->children.count, 3);
    EXPECT_EQ(Errors(), "");
}

TEST_F(SemanticTest, ABuiltInTableTooLargeForTheCalleeIndexIsSearchedThrough) {
    const int32_t slots = CalleeIndex::kSlots;
    for (int i = 0; i < slots; ++i) {
        const std::string name = "extra" + std::to_string(i);
        context.builtInFunctions.Add(name.c_str(), kBuiltInAbs, Type(kBaseFloat, 1), Type(kBaseFloat, 1));
    }
    for (int unit = 0; unit < 2; ++unit) {
        Begin(kStageVertex);
        ASSERT_GT(context.functions.entries.count, slots);
        Open(Header(Spec(kTokenFloat), "own", {{Spec(kTokenFloat), "v"}}));
        const std::string last = "extra" + std::to_string(slots - 1);
        FunctionNode* added = Call(last.c_str(), {Ref("v")});
        Return(added);
        Close();
        Open(Header(Spec(kTokenVoid), "main"));
        const FunctionNode* builtIn = Call("dot", {Ref("tint"), Ref("tint")});
        const FunctionNode* own = Call("own", {Float("1.0")});
        Op(kOpAssign, Member(Ref("output"), "position"), Ref("tint"));
        Op(kOpAssign, Member(Ref("output"), "uv"), Member(Ref("tint"), "xy"));
        Close();
        EXPECT_EQ(added->isBuiltIn, 1);
        EXPECT_EQ(builtIn->op, static_cast<uint32_t>(kBuiltInDot));
        EXPECT_EQ(builtIn->type.baseKind, kBaseFloat);
        EXPECT_EQ(own->isBuiltIn, 0);
        EXPECT_EQ(Errors(), "") << "unit " << unit;
    }
}

// Whole sources, as the driver hands them over.
class SemanticUnitTest : public SemanticTest {
protected:
    bool Check(const std::string& text, uint32_t stage) {
        translator.errorLog.Clear();
        ShaderSource source;
        source.path.Assign("unit.fx");
        source.text.Assign(text.c_str());
        source.stage = stage;
        return CheckTranslationUnit(translator.parse, description, source);
    }
    std::string UnitErrors() const { return translator.errorLog.text.text ? translator.errorLog.text.text : ""; }

    Context translator;
};

TEST_F(SemanticUnitTest, ShadersOfBothStagesAreAcceptedAndEachRunStartsClean) {
    const char* vertex = "float scale(float v) { return v * 2; }\n"
                         "void main() {\n"
                         "  output.position = tint * scale(1);\n"
                         "  int n = input.instance_id;\n"
                         "  if (n) output.uv = input.p.xy; else output.uv = float2(0, 1);\n"
                         "}\n";
    EXPECT_TRUE(Check(vertex, kStageVertex)) << UnitErrors();
    EXPECT_NE(translator.parse.root, nullptr);

    EXPECT_TRUE(translator.parse.functions.Contains("scale,f"));
    EXPECT_FALSE(Check("void main() { discard; }\n", kStageVertex));
    EXPECT_FALSE(translator.parse.functions.Contains("scale,f"));
    EXPECT_EQ(translator.parse.functions.entries.count, translator.parse.builtInFunctions.overloads.count + 1);
    EXPECT_EQ(UnitErrors(), "unit.fx(1:15) error: expression is only allowed in pixel shader.\n"
                            "unit.fx(0:0) error: vertex shader output 'position' is not set.\n"
                            "unit.fx(0:0) error: vertex shader output 'uv' is not set.\n");

    EXPECT_TRUE(Check("void main() {\n  if (input.uv.x < 0.5) discard;\n  output.color = float4(input.uv, 0, 1);\n}\n",
                      kStagePixel)) << UnitErrors();
    EXPECT_FALSE(Check("void main() { output.color = float4(1.0); $ }\n", kStagePixel));
    EXPECT_FALSE(Check("float f(float x) { return f(x); }\nvoid main() { output.color = float4(f(1.0)); }\n",
                       kStagePixel));
    EXPECT_EQ(UnitErrors(), "unit.fx(1:27) error: recursive call of function 'f' is not allowed.\n");
    // Included text is reported under its own file's name.
    EXPECT_FALSE(Check("@f \"lib.fxh\" 1\nfloat f() { return true; }\n@f \"unit.fx\" 2\n"
                       "void main() { output.color = float4(f()); }\n", kStagePixel));
    EXPECT_EQ(UnitErrors(), "lib.fxh(1:13) error: return value type does not match the function type.\n");
}

TEST_F(SemanticUnitTest, EachUnitSeesTheInterfaceOfItsOwnDescription) {
    // Units set their structures up anew, whatever the one before left.
    const char* flat = "void main() { float2 t = input.uv; output.color = float4(t, 0.0, 1.0); }\n";
    const char* deep = "void main() { float3 t = input.uv; output.color = float4(t, 1.0); }\n";
    EXPECT_TRUE(Check(flat, kStagePixel)) << UnitErrors();
    description.vertex_output.data[1].type = Type(kBaseFloat, 3);
    EXPECT_FALSE(Check(flat, kStagePixel));
    EXPECT_TRUE(Check(deep, kStagePixel)) << UnitErrors();
    description.vertex_output.count = 1;
    EXPECT_FALSE(Check(deep, kStagePixel));
    EXPECT_EQ(UnitErrors().rfind("unit.fx(1:31) error: 'input' has no member 'uv'.\n", 0), 0u) << UnitErrors();
    // A vertex unit between pixel ones leaves no texture behind.
    description.pixel_textures.Add(PixelTexture());
    description.pixel_textures.data[0].name.Assign("sky");
    description.pixel_textures.data[0].type = Type::MakeTexture(kTexture2D);
    EXPECT_TRUE(Check("void main() { output.color = sampleTexture(texture.sky, float2(0.5, 0.5)); }\n", kStagePixel))
        << UnitErrors();
    EXPECT_TRUE(Check("void main() { output.position = input.p; }\n", kStageVertex)) << UnitErrors();
    EXPECT_EQ(translator.parse.FindStructure("_Texture")->entries.count, 0);
    EXPECT_EQ(translator.parse.FindStructure("_Input")->entries.count, 2) << "p and instance_id";
}

TEST_F(SemanticUnitTest, NestingIsLimitedOnlyByTheParsersStacks) {
    std::string deep = "void main() { output.color = float4(" + std::string(3000, '(') + "1.0" +
                       std::string(3000, ')') + "); }\n";
    EXPECT_TRUE(Check(deep, kStagePixel)) << UnitErrors();
    std::string blocks;
    for (int level = 0; level < 1000; ++level)
        blocks = "{ " + blocks + " }";
    EXPECT_TRUE(Check("void main() { output.color = float4(1.0); " + blocks + " }\n", kStagePixel)) << UnitErrors();
    // The unit, main, its body and the thousand blocks.
    EXPECT_EQ(MeasureTreeDepth(translator.parse.root), 1003);
}

} // namespace semantic_test
