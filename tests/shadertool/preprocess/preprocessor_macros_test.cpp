// Built-in macros per target, the general constants of the Shader XML as macros, and the
// substitution of macro names in the kept text.
#include "shadertool/shadertool_fixture.h"

using namespace ShaderTool;

using PreprocessorMacros = shadertool_test::PreprocessTest;

TEST_F(PreprocessorMacros, TargetMacrosHoldOnlyForTheirTarget)
{
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

TEST_F(PreprocessorMacros, OnlyWholeWordsAreReplacedAndNeverInLineMarkers)
{
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

TEST_F(PreprocessorMacros, GeneralConstantsBecomeMacros)
{
    AddConstant("COUNT", "4", kBaseInt);
    AddConstant("MASK", "0x10", kBaseInt);
    AddConstant("ON", "true", kBaseBool);
    AddConstant("OFF", "false", kBaseBool);
    AddConstant("GAIN", "1.5f", kBaseFloat);
    AddConstant("BROKEN", "abc", kBaseNone);
    ASSERT_TRUE(Run("#if COUNT == 4 && MASK == 16 && ON && !OFF && GAIN > 1.25\nyes\n#endif\n"
                    "COUNT MASK ON OFF GAIN BROKEN"));
    EXPECT_EQ(CodeLine(1), "yes");
    EXPECT_EQ(CodeLine(3), "4 16 1 0 1.500000 0.000000");
    // Their names are taken like any other macro's.
    ExpectErrors("#define COUNT 5", "main.fx(1:9) error: redefinition of 'COUNT'.\n");
}

TEST_F(PreprocessorMacros, RunsStartAfreshAndFailedOnesStayUnsubstituted)
{
    EXPECT_FALSE(Run("#define A 1\nA\n#if 1"));
    EXPECT_EQ(Output(), "\nA\n\n");
    ASSERT_TRUE(Run("#if defined(A)\nleak\n#endif\nA"));
    EXPECT_EQ(Output(), "\n\n\nA");
    EXPECT_EQ(preprocessor.macros.count, preprocessor.builtInMacroCount + 3) << "only this run's own macros";
}
