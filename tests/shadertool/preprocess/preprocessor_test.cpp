// Directives, conditionals and their errors, with the file, line and column that each
// error names; built-in macros per target, the general constants of the Shader XML as
// macros, and the substitution of macro names in the kept text.
#include "shadertool/shadertool_fixture.h"

using namespace ShaderTool;
using PreprocessorDirectives = shadertool_test::PreprocessTest;
using PreprocessorMacros = shadertool_test::PreprocessTest;
using Lines = std::vector<std::string>;

TEST_F(PreprocessorDirectives, ConditionalsPickOneBranch) {
    const std::string source = "#if A == 1\none\n#elif A == 2\ntwo\n#elif A >= 2\nnot twice\n#else\nother\n#endif\n";
    const std::pair<const char*, const char*> kept[] = {{"1", "one"}, {"2", "two"}, {"9", "not twice"}, {"0", "other"}};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(Run(std::string("#define A ") + kept[i].first + "\n" + source));
        Lines expected(10, "");
        expected[2 + 2 * i] = kept[i].second;
        EXPECT_EQ(CodeLines(), expected) << kept[i].first;
    }
}

TEST_F(PreprocessorDirectives, UndefinedValuelessAndSkippedNames) {
    ASSERT_TRUE(Run("#if B\nx\n#endif\n#define A\n#if A\ny\n#endif\n#if defined(A) && !defined(B)\nz\n#endif"));
    EXPECT_EQ(CodeLines(), (Lines{"", "", "", "", "", "", "", "", "z", ""}));
    // Nothing inside a skipped branch counts, nested branches and defines included; so a
    // define there cannot clash.
    ASSERT_TRUE(Run("#if 0\n#if 1\na\n#else\nb\n#endif\n#define X 1\n#else\n#if 1\nc\n#endif\n#endif\n#if X\nd\n#endif"));
    EXPECT_EQ(CodeLines(), (Lines{"", "", "", "", "", "", "", "", "", "c", "", "", "", "", ""}));
    ASSERT_TRUE(Run("#if 0\n#define A 1\n#endif\n#define A 2\nA"));
    EXPECT_EQ(CodeLine(4), "2");
}

TEST_F(PreprocessorDirectives, SevenLevelsNestAndTheEighthIsRefused) {
    auto nested = [](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i)
            text += std::string(i, ' ') + "#if 1\n";
        text += "deep\n";
        for (int i = 0; i < 7; ++i)
            text += "#endif\n";
        return text;
    };
    ASSERT_TRUE(Run(nested(7)));
    EXPECT_EQ(CodeLine(7), "deep");
    ExpectErrors(nested(8), "main.fx(8:9) error: too many nested if directives.\n");
}

TEST_F(PreprocessorDirectives, ErrorsNameTheirLineAndColumn) {
    const std::string underscore = "error: identifiers must not start with an underscore.\n";
    const std::string syntax = "error: syntax error\n", longName(130, 'n');
    const struct { std::string text, errors; } cases[] = {
        // Unbalanced directives.
        {"x\n  #else\n", "main.fx(2:4) error: unexpected else directive.\n"},
        {"#elif 1\n#endif\n",
         "main.fx(1:2) error: unexpected elif directive.\nmain.fx(2:2) error: unexpected endif directive.\n"},
        {"#if 1\nx\n", "main.fx(3:1) error: expected endif directive.\n"},
        // Names a define may not take.
        {"#define _MINE 1\n#define A 1\n#define A 2\n#define _PI 3",
         "main.fx(1:9) " + underscore + "main.fx(3:9) error: redefinition of 'A'.\nmain.fx(4:9) " + underscore},
        {"#define " + longName + " 1\n" + longName, "main.fx(1:9) error: too many characters in token (maximum is 128).\n"},
        {"#define A 1 / 0\nA", "main.fx(1:13) error: division by zero.\n"},
        // A syntax error ends the run.
        {"#if (1\nx\n#endif", "main.fx(2:1) " + syntax},
        {"#else junk\n", "main.fx(1:2) error: unexpected else directive.\nmain.fx(1:7) " + syntax},
        {"#pragma once\n#if 1 / 0\n", "main.fx(1:2) " + syntax},
        {"#if \"text\"\n#endif", "main.fx(1:5) " + syntax},
        {"#include name\n", "main.fx(1:10) " + syntax},
        {"#if 1 \x80\n#endif", "main.fx(1:7) " + syntax},
    };
    for (const auto& c : cases)
        ExpectErrors(c.text, c.errors);
    EXPECT_FALSE(Run("#define\n"));
    EXPECT_FALSE(Run("#if f(1,)\n#endif"));
    // Where the value decides nothing, the guard around it must be enough.
    ASSERT_TRUE(Run("#if defined(N)\n#if 8 / N > 1\n#endif\n#endif\n#if 1\n#elif 1 / 0\n#endif"));
    EXPECT_EQ(Errors(), "");
}

TEST_F(PreprocessorDirectives, ExpressionArithmetic) {
    for (const char* condition : {"1.5 > 1 && 7 / 2 == 3 && -7 / 2 == -3 && 2 + 3 * 4 == 14 && (2 + 3) * 4 == 20",
                                  "10 - 2 - 3 == 5 && !0 && !0.0 == 1 && 1 <= 1 && 2 >= 3 == 0 && 1 != 2 || 0",
                                  "25e-1 == 2.5 && 1E+2 == 100 && 2.5e1f == 25 && 6 / -1 == -6"}) {
        ASSERT_TRUE(Run(std::string("#if ") + condition + "\nyes\n#endif"));
        EXPECT_EQ(CodeLine(1), "yes") << condition;
    }
    // Hexadecimal is read as such; a leading zero is decimal.
    ASSERT_TRUE(Run("#define H 0x1F\n#define O 017\nH O"));
    EXPECT_EQ(CodeLine(2), "31 17");
    // Overflow wraps and the one quotient that does not fit stays put.
    ASSERT_TRUE(Run("#define M -2147483647 - 1\n#define Q M / -1\n#define W 2147483647 + 1\nQ W"));
    EXPECT_EQ(CodeLine(3), "(-2147483648) (-2147483648)");
    // The stacks hold 10,000 entries: 9,999 brackets and the operand fit exactly.
    ASSERT_TRUE(Run("#if " + std::string(9999, '(') + "1" + std::string(9999, ')') + "\nx\n#endif"));
    EXPECT_EQ(CodeLine(1), "x");
    ExpectErrors("#if " + std::string(10000, '(') + "1" + std::string(10000, ')') + "\n#endif",
                 "main.fx(1:10006) error: memory exhausted\n");
    EXPECT_FALSE(Run("#if " + std::string(20000, '!') + "1\n#endif"));
    EXPECT_NE(Errors().find("error: memory exhausted\n"), std::string::npos);
}

TEST_F(PreprocessorDirectives, AFloatDividedByZeroIsInfiniteAndOnlyIntegersRefuseIt) {
    // A float on either side makes both floats: the quotient is an infinity, or NaN for
    // 0.0 / 0.0, which equals nothing.
    ASSERT_TRUE(Run("#if 1.0/0.0 > 1 && 1 / 0.0 > 3.0e38 && -2 / 0.0 < -3.0e38 && 1.0 / -0.0 < 0\nyes\n#endif\n"
                    "#if 0.0 / 0.0 == 0.0 / 0.0 || 0.0 / 0 < 1 || 0 / 0.0 >= 1\nnan\n#endif\n"
                    "#define HUGE 1.0 / 0.0\n#if HUGE > 1\nmacro\n#endif"));
    EXPECT_EQ(Errors(), "");
    EXPECT_EQ(CodeLines(), (Lines{"", "yes", "", "", "", "", "", "", "macro", ""}));
    ExpectErrors("#if 1 / 0 > 1\n#endif\n#if 1 / (2 - 2)\n#endif",
                 "main.fx(1:7) error: division by zero.\nmain.fx(3:7) error: division by zero.\n");
}

TEST_F(PreprocessorDirectives, HostileTextNeverBreaksIt) {
    // Bytes in ordinary lines pass unchanged; an unclosed comment blanks the rest.
    ASSERT_TRUE(Run("a\x01\xff\n/* open\n#if\nstill comment"));
    EXPECT_EQ(CodeLine(0), "a\x01\xff");
    EXPECT_EQ(CodeLines().size(), 3u);  // a blank last line without a line feed ends the text
    // Embedded zero bytes end the text where they stand.
    ASSERT_TRUE(Run(std::string("ok\n\0#if", 7)));
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    for (const char* prefix : {"", "#", "#if ", "#define A ", "#include "})
        Run(prefix + all);
}

TEST_F(PreprocessorDirectives, ArrayNodeQuestions) {
    // Text values keep up to 127 characters, whole.
    const std::string longName(127, 'S');
    AddConstant(longName.c_str(), "2", kBaseInt);
    description.pixel_output.Add(String("color"));
    VertexOutput output;
    output.name.Assign("uv");
    description.vertex_output.Add(output);
    ASSERT_TRUE(Run("#if _IS_ARRAY_NODE_DEFINED(\"pixel_output\", \"color\") && "
                    "_IS_ARRAY_NODE_DEFINED(\"vertex_output\", \"uv\") && "
                    "!_IS_ARRAY_NODE_DEFINED(\"vertex_output\", \"color\") && "
                    "_IS_ARRAY_NODE_DEFINED(\"constants\", \"" + longName + "\")\nyes\n#endif"));
    EXPECT_EQ(CodeLine(1), "yes");
    ExpectErrors("#if _IS_ARRAY_NODE_DEFINED(\"sources\", \"a\")\n#endif\n#if _IS_ARRAY_NODE_DEFINED(\"constants\")\n"
                 "#endif\n#if _IS_ARRAY_NODE_DEFINED(\"constants\", 1)\n#endif\n"
                 "#if _IS_ARRAY_NODE_DEFINED(\"a\", \"b\", \"c\")\n#endif\n#if  MISSING(1, \"x\")\n#endif\n",
                 "main.fx(1:5) error: invalid array name.\nmain.fx(3:5) error: invalid arguments.\n"
                 "main.fx(5:5) error: invalid arguments.\nmain.fx(7:5) error: invalid arguments.\n"
                 "main.fx(9:6) error: undeclared function-like macro 'MISSING'.\n");
}

TEST_F(PreprocessorDirectives, ListingMacrosPreprocessesNothing) {
    ASSERT_TRUE(preprocessor.Run(&description, kTargetGLSL21, shadertool_test::Source("#if\n", "main.fx"), true));
    std::string listing = Errors();
    EXPECT_EQ(log.hasText, 1);
    EXPECT_EQ(log.hasError, 0);
    // Names padded to the longest one, _TEXTURE_COORDINATE_AXIS_V_POINTS_UP (36 characters).
    EXPECT_EQ(listing.substr(0, 51), "_HALF_PI" + std::string(29, ' ') + "1.5707963268f\n");
    EXPECT_NE(listing.find("\n_TARGET_GROUP" + std::string(24, ' ') + "_TARGET_GLSL\n"), std::string::npos);
    EXPECT_NE(listing.find("\n_TEXTURE_COORDINATE_AXIS_V_POINTS_UP 1\n"), std::string::npos);
}

TEST_F(PreprocessorMacros, TargetMacrosHoldOnlyForTheirTarget) {
    const char* source = "#if _TARGET == _TARGET_HLSL11\nhlsl11\n#endif\n"
                         "#if _TARGET_GROUP == _TARGET_GLSL\nglsl\n#endif\n"
                         "#if _TARGET_GROUP == _TARGET_PSSL\npssl\n#endif\n"
                         "#if _TEXTURE_COORDINATE_AXIS_V_POINTS_UP\nup\n#endif\n"
                         "_TARGET _TARGET_GROUP _TARGET_ESSL30 _TARGET_HLSL";
    static const char* const kGroups[] = {"ESSL", "ESSL", "GLSL", "GLSL", "HLSL", "HLSL", "PSSL"};
    for (uint32_t target : {kTargetESSL20, kTargetESSL30, kTargetGLSL21, kTargetGLSL31, kTargetHLSL9, kTargetHLSL11,
                            kTargetPSSL}) {
        ASSERT_TRUE(Run(source, target)) << target;
        std::vector<std::string> lines = CodeLines();
        ASSERT_EQ(lines.size(), 13u);
        const char* name = GetTargetName(target);
        SCOPED_TRACE(name);
        EXPECT_EQ(lines[1] == "hlsl11", target == kTargetHLSL11);
        EXPECT_EQ(lines[4] == "glsl", target == kTargetGLSL21 || target == kTargetGLSL31);
        EXPECT_EQ(lines[7] == "pssl", target == kTargetPSSL);
        EXPECT_EQ(lines[10] == "up", target <= kTargetGLSL31);
        // Text macros are written out by name; the target macros are numbers.
        EXPECT_EQ(lines[12], std::string("_TARGET_") + name + " _TARGET_" + kGroups[GetTargetIndex(target)] + " 2 4");
    }
}

TEST_F(PreprocessorMacros, OnlyWholeWordsAreReplacedAndNeverInLineMarkers) {
    // Pi is text: written out in code, naming nothing in a directive. A negative value is
    // bracketed, by its text so that -0.0 is too, and cannot merge with a minus before it.
    files->Put("PI/inc.fx", "PI");
    ASSERT_TRUE(Run("#define PI 3\n#define SUM 1+2\n#define HALF 0.5\n#define A -1\n#define Z -0.0\n"
                    "#if _PI\nyes\n#endif\n#include \"inc.fx\"\n"
                    "PI_SCALE PI xPI PI2 PI.x (PI) SUM HALF _PI _TWO_PI x-A -A x-Z",
                    kTargetHLSL11, "PI/main.fx"));
    EXPECT_EQ(Output(), "\n\n\n\n\n\n\n\n@f \"PI/inc.fx\" 1\n3\n@f \"PI/main.fx\" 10\n"
                        "PI_SCALE 3 xPI PI2 3.x (3) 3 0.500000 3.1415926536f 6.2831853072f x-(-1) -(-1) x-(-0.000000)");
}

TEST_F(PreprocessorMacros, GeneralConstantsBecomeMacros) {
    AddConstant("COUNT", "4", kBaseInt);
    AddConstant("MASK", "0x10", kBaseInt);
    AddConstant("ON", "true", kBaseBool);
    AddConstant("OFF", "false", kBaseBool);
    AddConstant("GAIN", "1.5f", kBaseFloat);
    AddConstant("BROKEN", "abc", kBaseNone);
    // Blanks before the literal: the type scan skips them, and so does the macro, which
    // then agrees with the type and with a count of the same name. Past the int range a
    // count clamps and the macro wraps.
    const char* const blankFirst[][2] = {{"SPACED", " 4"}, {"TABBED", "\t\n 0.5"}, {"LATE", " true"},
                                         {"WIDE", "4294967297"}};
    for (const auto& entry : blankFirst)
        AddConstant(entry[0], entry[1], ClassifyGeneralConstantValue(entry[1], nullptr, "constants"));
    const GeneralConstant* added = description.constants.data + description.constants.count - 4;
    ASSERT_EQ(added[0].type.baseKind, kBaseInt);
    ASSERT_EQ(added[1].type.baseKind, kBaseFloat);
    ASSERT_EQ(added[2].type.baseKind, kBaseBool);
    ASSERT_EQ(added[3].type.baseKind, kBaseInt);
    int32_t count = 0;
    EXPECT_TRUE(GetGeneralConstantInteger(added[0], &count));
    EXPECT_EQ(count, 4);
    EXPECT_TRUE(GetGeneralConstantInteger(added[3], &count));
    EXPECT_EQ(count, 2147483647);
    ASSERT_TRUE(Run("#if COUNT == 4 && MASK == 16 && ON && !OFF && GAIN > 1.25\nyes\n#endif\n"
                    "COUNT MASK ON OFF GAIN BROKEN\n"
                    "#if SPACED == 4 && TABBED == 0.5 && LATE == 1\nspaced\n#endif\n"
                    "SPACED TABBED LATE WIDE"));
    EXPECT_EQ(CodeLine(1), "yes");
    EXPECT_EQ(CodeLine(3), "4 16 1 0 1.500000 0.000000");
    EXPECT_EQ(CodeLine(5), "spaced");
    EXPECT_EQ(CodeLine(7), "4 0.500000 1 1");
    // Their names are taken like any other macro's.
    ExpectErrors("#define COUNT 5", "main.fx(1:9) error: redefinition of 'COUNT'.\n");
}

TEST_F(PreprocessorMacros, RunsStartAfreshAndFailedOnesStayUnsubstituted) {
    EXPECT_FALSE(Run("#define A 1\nA\n#if 1"));
    EXPECT_EQ(Output(), "\nA\n\n");
    ASSERT_TRUE(Run("#if defined(A)\nleak\n#endif\nA"));
    EXPECT_EQ(Output(), "\n\n\nA");
    EXPECT_EQ(preprocessor.macros.count, preprocessor.builtInMacroCount + 3) << "only this run's own macros";
}

TEST(ShaderShortName, RefusesTextsThatDoNotFit) {
    ShortName name;
    std::string longest(127, 'a');
    EXPECT_TRUE(name.Assign(longest.c_str()));
    EXPECT_EQ(name.length, 127);
    EXPECT_FALSE(name.Assign(std::string(128, 'b').c_str()));
    EXPECT_EQ(std::string(name.text), longest) << "a refused text leaves the record as it was";
    EXPECT_TRUE(name.Assign(nullptr));
    EXPECT_EQ(name.length, 0);
}
