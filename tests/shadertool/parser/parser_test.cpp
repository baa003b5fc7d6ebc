// The shader grammar and parser, driven as the translator drives it: a source through
// CheckTranslationUnit on the global context, the tree read back in a compact written form,
// or the exact error lines.
#include "shadertool/shadertool_fixture.h"

#include <random>

#include "shadertool/description/shader_description.h"
#include "shadertool/parser/parser.h"
#include "shadertool/semantic/semantic_actions.h"

using namespace ShaderTool;
using shadertool_test::Text;

namespace {

std::string Join(const NodeChildren& nodes, size_t first, const char* separator);

// The tree as text: lists in [] (blocks in {}, declaration lists as decl[]), operators as
// (op left right), calls as name(args), a defined function as name(params){body} and a
// prototype as name(params);.
std::string Written(const Node* node) {
    if (!node)
        return "null";
    switch (node->kind) {
    case kNodeList: {
        const ListNode* list = static_cast<const ListNode*>(node);
        std::string items = Join(list->children, 0, " ");
        if (list->op == kOpDeclarationList)
            return "decl[" + items + "]";
        return list->isBlock ? "{" + items + "}" : "[" + items + "]";
    }
    case kNodeFunction:
    case kNodeCall: {
        const FunctionNode* function = static_cast<const FunctionNode*>(node);
        std::string text = std::string(function->name.text ? function->name.text : "") + "(" +
                           Join(function->Parameters()->children, 0, ",") + ")";
        if (node->kind == kNodeFunction)
            text += function->isDefined ? Join(function->children, 1, "") : ";";
        return text;
    }
    case kNodeLoop: {
        const LoopNode* loop = static_cast<const LoopNode*>(node);
        const char* forms[] = {"do", "for", "while"};
        return std::string(forms[loop->form]) + "(" + Written(loop->init) + ";" + Written(loop->condition) + ";" +
               Written(loop->increment) + ")" + Written(loop->body);
    }
    case kNodeBranch: {
        const BranchNode* branch = static_cast<const BranchNode*>(node);
        return std::string(GetOperatorText(branch->op)) + (branch->value ? " " + Written(branch->value) : "");
    }
    case kNodeLiteral:
        return static_cast<const LiteralNode*>(node)->text.text;
    case kNodeOperator: {
        const OperatorNode* op = static_cast<const OperatorNode*>(node);
        return "(" + std::string(GetOperatorText(op->op)) + " " + Written(op->left) +
               (op->right ? " " + Written(op->right) : "") + ")";
    }
    case kNodeIf: {
        const IfNode* branch = static_cast<const IfNode*>(node);
        return "if(" + Written(branch->condition) + ")" + Written(branch->thenBranch) +
               (branch->elseBranch ? "else" + Written(branch->elseBranch) : "");
    }
    case kNodeSymbol:
        return static_cast<const SymbolNode*>(node)->name.text;
    }
    return "?";
}

std::string Join(const NodeChildren& nodes, size_t first, const char* separator) {
    std::string text;
    for (int i = static_cast<int>(first); i < nodes.count; ++i)
        text += (i > static_cast<int>(first) ? separator : "") + Written(nodes.data[i]);
    return text;
}

// A pixel shader of the kind a game writes: constants, a texture, a helper, swizzles,
// constructors, calls, a loop and an early discard.
const char* const kSmallShader = "const float kScale = 0.5;\n"
                                 "float3 tint(float3 c, int n)\n"
                                 "{\n"
                                 "\tfloat3 sum = c;\n"
                                 "\tfor (int i = 1; i < n; i++)\n"
                                 "\t\tsum = sum * kScale;\n"
                                 "\treturn sum;\n"
                                 "}\n"
                                 "void main()\n"
                                 "{\n"
                                 "\tfloat4 s = sampleTexture(texture.diffuse, input.uv.xy);\n"
                                 "\tif (s.a < 0.1) discard;\n"
                                 "\toutput.color = float4(tint(s.rgb, 3), 1.0);\n"
                                 "}\n";

class ShaderParserTest : public ::testing::Test {
protected:
    void TearDown() override {
        ResetTranslationUnit(Parse());
        g_shaderContext.errorLog.Clear();
    }

    static ParseContext& Parse() { return g_shaderContext.parse; }

    // The whole-unit check of a pixel-stage source named a.fx, as the driver runs it.
    bool Check(const std::string& text) {
        g_shaderContext.errorLog.Clear();
        source.path.Assign("a.fx");
        source.text.Assign(text.c_str());
        source.stage = kStagePixel;
        return CheckTranslationUnit(Parse(), description, source);
    }

    // Only the parser over text, for its exact answer.
    int ParseOnly(const std::string& text) {
        g_shaderContext.errorLog.Clear();
        ResetTranslationUnit(Parse());
        input = shadertool_test::Source(text, "a.fx");
        Parse().sourceName.Assign("a.fx");
        Parse().tokenSource->Begin(input, false);
        return ShaderTool::Parse(&Parse());
    }

    std::string Errors() const { return Text(g_shaderContext.errorLog); }
    std::string Tree() const { return Written(g_shaderContext.parse.root); }
    // The body of the unit's function at index.
    static const ListNode* Body(int index) {
        const Node* function = g_shaderContext.parse.root->children.data[index];
        return static_cast<const ListNode*>(static_cast<const FunctionNode*>(function)->children.data[1]);
    }
    // The body of the unit's last function, written.
    std::string LastBody() const {
        const ListNode* unit = g_shaderContext.parse.root;
        if (!unit || unit->children.count == 0)
            return "no unit";
        return Join(static_cast<const FunctionNode*>(unit->children.data[unit->children.count - 1])->children, 1, "");
    }

    // The interface of kSmallShader: a float2 "uv" from the vertex stage, the output
    // "color" and the 2D texture "diffuse".
    void DescribeSmallShader() {
        VertexOutput uv;
        uv.name.Assign("uv");
        uv.type = Type(kBaseFloat, 2);
        description.vertex_output.Add(uv);
        description.pixel_output.Add(String("color"));
        PixelTexture diffuse;
        diffuse.name.Assign("diffuse");
        diffuse.type = Type::MakeTexture(kTexture2D);
        description.pixel_textures.Add(diffuse);
    }

    ShaderDescription description;
    ShaderSource source;
    SourceInput input;
};

TEST_F(ShaderParserTest, AnEmptyTextIsASyntaxErrorAtItsEnd) {
    EXPECT_EQ(ParseOnly(""), kParseSyntaxError);
    EXPECT_EQ(Errors(), "a.fx(1:1) error: syntax error\n");
    EXPECT_EQ(Parse().success, 0);
    EXPECT_FALSE(Check("\n\n  "));
    EXPECT_EQ(Errors(), "a.fx(3:3) error: syntax error\n");
}

TEST_F(ShaderParserTest, OnlyTheFirstSyntaxErrorIsReported) {
    EXPECT_FALSE(Check("void main() {\n  float a float b;\n  int c int d;\n}\n"));
    EXPECT_EQ(Errors(), "a.fx(2:11) error: syntax error\n");
}

TEST_F(ShaderParserTest, ASyntaxErrorNamesTheFileOfItsLineMarker) {
    EXPECT_FALSE(Check("@f \"b.fx\" 7\nvoid main() { float }"));
    EXPECT_EQ(Errors(), "b.fx(7:21) error: syntax error\n");
}

TEST_F(ShaderParserTest, ALocalPrototypeIsRefusedAndTheParseGoesOn) {
    EXPECT_FALSE(Check("void main() { float f(float x); j; }"));
    EXPECT_EQ(Errors(), "a.fx(1:21) error: local function declarations are not allowed.\n"
                        "a.fx(1:33) error: undeclared identifier 'j'.\n");
}

TEST_F(ShaderParserTest, ReservedWordsStringLiteralsAndHashesAreSyntaxErrors) {
    EXPECT_FALSE(Check("Texture2D t;"));
    EXPECT_EQ(Errors(), "a.fx(1:1) error: 'Texture2D' is a reserved word.\na.fx(1:1) error: syntax error\n");
    EXPECT_FALSE(Check("void main() { \"text\"; }"));
    EXPECT_EQ(Errors(), "a.fx(1:15) error: syntax error\n");
    EXPECT_FALSE(Check("void main() {\n#\n}"));
    EXPECT_EQ(Errors(), "a.fx(2:1) error: syntax error\n");
}

TEST_F(ShaderParserTest, LexicalErrorsFailTheUnitThatParsed) {
    EXPECT_EQ(ParseOnly("void main() { int a = 019; }"), kParseSyntaxError);
    EXPECT_EQ(Errors(), "a.fx(1:23) error: unexpected digit in octal literal.\n");
    EXPECT_EQ(Parse().success, 0);
}

TEST_F(ShaderParserTest, ADanglingElseBindsToTheNearestIf) {
    EXPECT_TRUE(Check("void main() { bool a = true; bool b = false; float x;\n"
                      "  if (a) if (b) x = 1.0; else x = 2.0; }"))
        << Errors();
    EXPECT_EQ(LastBody(), "{(= a true) (= b false) x if(a)if(b)(= x 1.0f)else(= x 2.0f)}");
}

TEST_F(ShaderParserTest, AForLoopScopesItsDeclarationToTheLoop) {
    EXPECT_TRUE(Check("void main() { float s = 0.0;\n"
                      "  for (int i = 0; i < 4; ++i) s += 1.0;\n"
                      "  for (int i = 0; ; ) { break; } }"))
        << Errors();
    EXPECT_EQ(LastBody(), "{(= s 0.0f) for((= i 0);(< i 4);(++ i))(+= s 1.0f) for((= i 0);null;null){break}}");
    EXPECT_FALSE(Check("void main() { for (int i = 0; i < 4; ++i) { } i; }"));
    EXPECT_EQ(Errors(), "a.fx(1:47) error: undeclared identifier 'i'.\n");
}

TEST_F(ShaderParserTest, EveryDeclaratorOfAListIsKept) {
    EXPECT_TRUE(Check("float g[2] = {1.0, 2.0}, h = 3.0;\nvoid main() { float a[2], b; int c = 1, d, e = c; }"))
        << Errors();
    EXPECT_EQ(Tree(), "[decl[(= g [1.0f 2.0f]) (= h 3.0f)] main(){decl[a b] decl[(= c 1) d (= e c)]}]");
    const ListNode* locals = static_cast<const ListNode*>(Body(1)->children.data[0]);
    ASSERT_EQ(locals->children.count, 2);
    EXPECT_EQ(static_cast<const SymbolNode*>(locals->children.data[0])->type.arraySize, 2);
    EXPECT_EQ(static_cast<const SymbolNode*>(locals->children.data[1])->type.arraySize, 0);
}

TEST_F(ShaderParserTest, APrototypeStaysAPrototypeBeforeItsDefinition) {
    EXPECT_TRUE(Check("float twice(float v);\n"
                      "void main() { float x = twice(2.0); }\n"
                      "float twice(float v) { return v * 2.0; }"))
        << Errors();
    EXPECT_EQ(Tree(), "[twice(v); main(){(= x twice(2.0f))} twice(v){return (* v 2.0f)}]");
    // The call and the definition are one function, which the unit holds once.
    const FunctionNode* definition = static_cast<const FunctionNode*>(Parse().root->children.data[2]);
    ASSERT_TRUE(Parse().functions.Contains("twice,f"));
    EXPECT_EQ(Parse().functions.FindEntry("twice,f")->value, definition);
    EXPECT_NE(Parse().root->children.data[0], definition);
}

TEST_F(ShaderParserTest, EmptyStatementsAndBlocksLeaveWalkableNodes) {
    EXPECT_TRUE(Check("void helper() {}\nvoid main() { ; {} if (true) ; else {} while (false) ; do ; while (false);"
                      " for (;;) {} helper(); }"))
        << Errors();
    EXPECT_EQ(Tree(), "[helper(){} main(){{} if(true){}else{} while(null;false;null){} do(null;false;null){}"
                      " for(null;null;null){} helper()}]");
}

TEST_F(ShaderParserTest, ExpressionsKeepPrecedenceAndPositions) {
    EXPECT_TRUE(Check("void main() { int a = 1; int b = a + 2 * 3 << 1 & 7 | a ^ 2;\n"
                      " bool c = !(a < b) && a != 3 || a >= 2; int d = c ? -a : ~b; d %= 2; d = b--; }"))
        << Errors();
    EXPECT_EQ(LastBody(), "{(= a 1) (= b (| (& (<< (+ a (* 2 3)) 1) 7) (^ a 2)))"
                          " (= c (|| (&& (! (() (< a b))) (!= a 3)) (>= a 2))) (= d (? c (: (- a) (~ b))))"
                          " (%= d 2) (= d (-- b))}");
}

TEST_F(ShaderParserTest, ASmallShaderParsesIntoItsTree) {
    DescribeSmallShader();
    EXPECT_TRUE(Check(kSmallShader)) << Errors();
    EXPECT_EQ(Tree(), "[(= kScale 0.5f) tint(c,n){(= sum c) for((= i 1);(< i n);(++ i))(= sum (* sum kScale))"
                      " return sum} main(){(= s sampleTexture((. texture diffuse),(. (. input uv) xy)))"
                      " if((< (. s a) 0.1f))discard (= (. output color) float4(tint((. s rgb),3),1.0f))}]");
    // Positions: the loop at its keyword, an operator at its sign (a tab counts as four).
    const ListNode* body = Body(1);
    EXPECT_EQ(body->children.data[1]->line, 5);
    EXPECT_EQ(body->children.data[1]->column, 5);
    EXPECT_EQ(body->children.data[0]->column, 16);
}

TEST_F(ShaderParserTest, DeepNestingExhaustsTheStacksInsteadOfTheMachine) {
    std::string open(10000, '('), close(10000, ')');
    EXPECT_EQ(ParseOnly("void main() { int a = " + open + "1" + close + "; }"), kParseMemoryExhausted);
    EXPECT_EQ(Errors().rfind("a.fx(1:", 0), 0u);
    EXPECT_EQ(Errors().substr(Errors().find(')')), ") error: memory exhausted\n");
    EXPECT_EQ(Parse().success, 0);
    std::string blocks;
    for (int i = 0; i < 6000; ++i)
        blocks += "{ ";
    EXPECT_FALSE(Check("void main() " + blocks));
    EXPECT_NE(Errors().find("error: memory exhausted\n"), std::string::npos);
    // Nesting the stacks can hold parses, however deep its tree.
    EXPECT_TRUE(Check("void main() { int a = " + std::string(3000, '(') + "1" + std::string(3000, ')') + "; }"))
        << Errors();
}

TEST_F(ShaderParserTest, HostileTextsEndInErrors) {
    std::mt19937 random(13);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(1 + random() % 400, ' ');
        for (char& byte : bytes)
            byte = static_cast<char>(1 + random() % 255);
        EXPECT_FALSE(Check(bytes));
        EXPECT_NE(Errors(), "");
    }
    EXPECT_FALSE(Check("float " + std::string(100000, 'x') + " = 1.0;\nvoid main() {}"));
    EXPECT_EQ(Errors(), "a.fx(1:7) error: too many characters in token (maximum is 128).\n");
    // A real shader cut, doubled and sprinkled with punctuation: every grammar state the
    // damage leads to ends in an accepted tree or in errors.
    DescribeSmallShader();
    const std::string pieces = "(){};,=+*.[]?:0a";
    for (int round = 0; round < 300; ++round) {
        std::string text = kSmallShader;
        for (int edit = 0; edit < 3; ++edit) {
            size_t at = random() % text.size(), length = 1 + random() % 8;
            switch (random() % 3) {
            case 0: text.erase(at, length); break;
            case 1: text.insert(at, text.substr(at, length)); break;
            default: text.insert(at, 1, pieces[random() % pieces.size()]); break;
            }
        }
        bool accepted = Check(text);
        EXPECT_EQ(accepted, Errors().empty()) << text;
        EXPECT_TRUE(!accepted || Parse().root) << text;
    }
}

} // namespace
