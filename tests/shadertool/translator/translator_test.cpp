// The base translator's walk and layout, on trees built as the semantic checks leave them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "shadertool/core/target.h"
#include "shadertool/translator/translator.h"
#include "tree_builder.h"

namespace translator_test {
namespace {

class TranslatorBaseTest : public ::testing::Test {
protected:
    Log log;
    Translator translator{log};
    ShaderDescription description;
    TreeBuilder tree;

    // Translates a unit (not a block) of the given statements.
    std::string Translate(std::initializer_list<Node*> unit, bool expectSuccess = true) {
        bool ok = translator.Translate(description, kTargetHLSL11, kShaderLevelDefault, kStagePixel,
                                       tree.List(unit, false));
        EXPECT_EQ(ok, expectSuccess) << Text(log.text);
        return translator.GetText();
    }
    std::string MainBody(std::initializer_list<Node*> statements) {
        std::string text = Translate({tree.Main(statements)});
        const std::string head = "void main()\n{\n";
        EXPECT_EQ(text.compare(0, head.size(), head), 0) << text;
        return text.substr(head.size(), text.size() - head.size() - 2);
    }
};

TEST_F(TranslatorBaseTest, GlobalsThenPrototypesThenFunctionsEachSetApartByAnEmptyLine) {
    std::string text = Translate({tree.Declare(F(), {tree.Sym(F(), "k")}),
                                  tree.Function(F(), "f", {}, tree.List({tree.Branch(kOpReturn, tree.Lit(kBaseFloat, "1.0"))})),
                                  tree.Main({})});
    EXPECT_EQ(text, "float k;\n\nfloat f();\n\nfloat f()\n{\n\treturn 1.0f;\n}\n\nvoid main()\n{\n}\n");
}

TEST_F(TranslatorBaseTest, ExpressionsKeepTheSourcesParenthesesAndOrder) {
    Node* a = tree.Sym(F(), "a");
    Node* sum = tree.Op(kOpAdd, tree.Sym(F(), "b"), tree.Sym(F(), "c"), F());
    Node* negated = tree.Op(kOpNegate, tree.Op(kOpParentheses, sum, nullptr, F()), nullptr, F());
    Node* x = tree.Sym(I(), "x");
    EXPECT_EQ(MainBody({tree.Assign(a, tree.Op(kOpMultiply, negated, tree.Sym(F(), "d"), F())),
                        tree.Op(kOpPostIncrement, x, nullptr, I()), tree.Op(kOpPreIncrement, x, nullptr, I()),
                        tree.Op(kOpNegate, tree.Op(kOpNegate, x, nullptr, I()), nullptr, I()),
                        tree.Call("int3", kConstructorInt3, I(3), {x, x, x})}),
              "\ta = -(b + c) * d;\n\tx++;\n\t++x;\n\t- -x;\n\tint3(x, x, x);\n");
}

TEST_F(TranslatorBaseTest, ElseIfChainsStayOnTheLevelOfTheirIf) {
    Node* b = tree.Sym(I(), "b");
    IfNode* chain = tree.If(tree.Sym(B(), "a"), tree.Assign(b, tree.Lit(kBaseInt, "1")),
                            tree.If(tree.Sym(B(), "c"), tree.Assign(b, tree.Lit(kBaseInt, "2")),
                                    tree.Assign(b, tree.Lit(kBaseInt, "3"))));
    EXPECT_EQ(MainBody({chain}), "\tif (a)\n\t\tb = 1;\n\telse if (c)\n\t\tb = 2;\n\telse\n\t\tb = 3;\n");
}

TEST_F(TranslatorBaseTest, LoopsAndEmptyStatementsNeverLoseTheirBody) {
    Node* i = tree.Sym(I(), "i");
    Node* init = tree.Declare(I(), {tree.Op(kOpAssign, i, tree.Lit(kBaseInt, "0"), I())});
    Node* condition = tree.Op(kOpLess, i, tree.Lit(kBaseInt, "4"), B());
    EXPECT_EQ(MainBody({tree.Loop(kLoopFor, init, condition, tree.Op(kOpPostIncrement, i, nullptr, I()),
                                  tree.List({tree.Branch(kOpBreak)})),
                        tree.Loop(kLoopDoWhile, nullptr, tree.Sym(B(), "go"), nullptr, tree.List({})),
                        tree.If(tree.Sym(B(), "a"), tree.List({}, false)), tree.List({}, false),
                        tree.Loop(kLoopWhile, nullptr, tree.Sym(B(), "go"), nullptr, tree.Branch(kOpDiscard))}),
              "\tfor (int i = 0; i < 4; i++)\n\t{\n\t\tbreak;\n\t}\n\n\tdo\n\t{\n\t}\n\twhile (go);\n\n"
              "\tif (a)\n\t\t;\n\n\twhile (go)\n\t\tdiscard;\n");
}

TEST_F(TranslatorBaseTest, EveryDeclaratorIsWrittenWithItsOwnArraySize) {
    Type array = F();
    array.arraySize = 2;
    Node* items = tree.List({tree.Lit(kBaseFloat, "1.0"), tree.Lit(kBaseFloat, "2.0")}, false);
    EXPECT_EQ(MainBody({tree.Declare(array, {tree.Sym(array, "a"), tree.Sym(F(), "b"), tree.Sym(F(), "c")}),
                        tree.Declare(F(), {tree.Sym(F(), "d"), tree.Op(kOpAssign, tree.Sym(array, "w"), items, array)})}),
              "\tfloat a[2];\n\tfloat b, c;\n\tfloat d;\n\tfloat w[2] =\n\t{\n\t\t1.0f,\n\t\t2.0f\n\t};\n");
}

TEST_F(TranslatorBaseTest, APrototypeAndItsDefinitionAreWrittenOnce) {
    // The semantic checks let the prototype's node take over the definition, so the one
    // node stands in the unit twice; a prototype never defined writes nothing.
    FunctionNode* f = tree.Function(F(), "f", {tree.Sym(F(), "x")}, tree.List({tree.Branch(kOpReturn, tree.Sym(F(), "x"))}));
    FunctionNode* g = tree.Function(F(), "g", {tree.Sym(F(), "")}, nullptr);
    std::string text = Translate({f, g, tree.Main({}), f});
    EXPECT_EQ(text, "float f(float x);\n\nfloat f(float x)\n{\n\treturn x;\n}\n\nvoid main()\n{\n}\n");
}

TEST_F(TranslatorBaseTest, ADeepTreeIsWrittenWholeOnAStackOfItsOwnAndItsErrorsReportedOnce) {
    Node* expression = tree.Sym(F(), "x");
    for (int i = 0; i < 20000; ++i)
        expression = tree.Op(kOpParentheses, expression, nullptr, F());
    Node* shifted = tree.Op(kOpLeftShift, tree.Sym(I(), "i"), tree.Lit(kBaseInt, "1"), I());
    EXPECT_EQ(MainBody({tree.Assign(tree.Sym(F(), "y"), expression)}),
              "\ty = " + std::string(20000, '(') + "x" + std::string(20000, ')') + ";\n");
    // An error met before the walk is found too deep for the caller's stack is not
    // reported a second time by the walk on the deeper one.
    Translate({tree.Main({shifted, tree.Assign(tree.Sym(F(), "y"), expression), shifted})}, false);
    EXPECT_EQ(Text(log.text), "Error: bit-wise operations are not supported.\n"
                              "Error: bit-wise operations are not supported.\n");
    EXPECT_EQ(log.hasError, 1);
}

// Text that cannot be added marks its section, so a cut translation is never handed out.
TEST(TextSection, TextThatCannotBeAddedMarksTheSectionUntilItIsCleared) {
    TextSection section;
    section.Append("x");
    ASSERT_FALSE(section.overflowed);
    const int32_t kept = section.length;
    section.length = INT32_MAX - 1;  // as if the section were full to the int32 range
    section.Append("yz");
    EXPECT_TRUE(section.overflowed);
    section.length = kept;
    EXPECT_STREQ(section.text, "x");
    section.Clear();
    EXPECT_FALSE(section.overflowed);
}

// The section writes its own %s, %i, %d, %c and %% conversions; they must read as the C
// library writes them, and any other format goes to the library.
TEST(TextSection, FormatsWrittenWithoutTheLibraryReadAsTheLibrarysOwn) {
    TextSection section;
    section.AppendFormat("%s %s[%i];%c%d%% %i %i%s", "float4", "offsets", 2, '\n', -17, INT_MIN, 0, "");
    section.AppendFormat("%s|%5.2f|%x", static_cast<const char*>(nullptr), 1.5, 255);
    char expected[200];
    snprintf(expected, sizeof(expected), "float4 offsets[2];\n-17%% %i 0(null)| 1.50|ff", INT_MIN);
    EXPECT_STREQ(section.text, expected);
    EXPECT_EQ(section.length, static_cast<int32_t>(strlen(expected)));
    std::string longer(3000, 'w');
    section.Append(longer.c_str());
    section.Append("ab", 2);
    EXPECT_EQ(std::string(section.text), expected + longer + "ab");
    EXPECT_FALSE(section.overflowed);
}

TEST_F(TranslatorBaseTest, ResetForgetsTheRunButKeepsTheTranslatorsSetting) {
    translator.allowBitwise = 1;
    Translate({tree.Main({})});
    translator.Reset();
    EXPECT_STREQ(translator.GetText(), "");
    EXPECT_EQ(translator.stage, kStageNone);
    EXPECT_EQ(translator.allowBitwise, 1);
    EXPECT_FALSE(translator.Translate(description, kTargetHLSL11, 1, kStagePixel, nullptr));
}

} // namespace
} // namespace translator_test
