#include "shadertool/core/target.h"

#include <gtest/gtest.h>

using namespace ShaderTool;

TEST(ShaderTargets, NamesIndicesFamiliesAndListsThatMustMatchExactly)
{
    EXPECT_STREQ(GetTargetName(kTargetHLSL9), "HLSL9");
    EXPECT_STREQ(GetTargetName(kTargetCG), "CG");
    EXPECT_EQ(GetTargetName(kTargetAll), nullptr);
    EXPECT_EQ(GetTargetIndex(kTargetGLSL31), 3);
    EXPECT_EQ(GetTargetIndex(kTargetCG), -1);
    EXPECT_EQ(GetTargetFamily(kTargetESSL20), kFamilyGL);
    EXPECT_EQ(GetTargetFamily(kTargetHLSL9), kFamilyHLSL);
    EXPECT_EQ(GetTargetFamily(kTargetPSSL), kFamilyPSSL);
    EXPECT_EQ(GetTargetFamily(3), -1);
    for (const char* all : {static_cast<const char*>(nullptr), "", "ALL"})
        EXPECT_EQ(ParseTargetList(all), 127u) << (all ? all : "null");
    EXPECT_EQ(ParseTargetList("HLSL11,GLSL21"), 36u);
    EXPECT_EQ(ParseTargetList("PSSL,"), 64u) << "a comma at the end adds no name";
    for (const char* list : {"HLSL11, GLSL21", "HLSL11,,GLSL21", ",HLSL11", "hlsl11", "CG", "HLSL11HLSL11HLSL11"})
        EXPECT_EQ(ParseTargetList(list), 0u) << list;
}
