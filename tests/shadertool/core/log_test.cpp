#include "shadertool/core/log.h"
#include "shadertool/core/target.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ShaderTool;

TEST(ShaderLog, ErrorsSetBothFlagsAndPlainTextOnlyOne)
{
    Log log;
    log.Append("Translating...\n");
    EXPECT_EQ(log.hasText, 1);
    EXPECT_EQ(log.hasError, 0);

    log.AppendErrorFormat("target '%s' does not support 3D textures.", "ESSL20");
    log.AppendSourceError("a.fx", 12, 5, "undeclared identifier 'x'.");
    log.AppendSourceError(nullptr, 0, 0, nullptr);
    EXPECT_STREQ(log.text.text, "Translating...\n"
                                "Error: target 'ESSL20' does not support 3D textures.\n"
                                "a.fx(12:5) error: undeclared identifier 'x'.\n"
                                "(0:0) error: \n");
    uint16_t word;
    memcpy(&word, &log.hasText, sizeof(word));
    EXPECT_EQ(word, 257);
}

TEST(ShaderLog, MovingIntoTheReportEmptiesTheErrorLog)
{
    Log errors;
    Log report;
    report.Append("Translating Shader XML 'a.xml'...\n");
    errors.AppendError("file is of invalid version.");
    errors.MoveInto(report, "Failed to read the Shader XML");
    EXPECT_STREQ(report.text.text, "Translating Shader XML 'a.xml'...\n"
                                   "Failed to read the Shader XML:\n"
                                   "Error: file is of invalid version.\n");
    EXPECT_EQ(report.hasError, 1);
    EXPECT_EQ(errors.text.text, nullptr);
    EXPECT_EQ(errors.hasText, 0);
    EXPECT_EQ(errors.hasError, 0);

    // An empty log with no title adds nothing and keeps the report's flags.
    Log quiet;
    quiet.MoveInto(report, "");
    EXPECT_EQ(report.hasError, 1);
    report.MoveInto(report, "self");
    EXPECT_NE(report.text.text, nullptr) << "moving a log into itself keeps it";
}

TEST(ShaderTargets, IndicesAndFamilies)
{
    EXPECT_EQ(GetTargetName(kTargetAll), nullptr);
    EXPECT_EQ(GetTargetIndex(kTargetGLSL31), 3);
    EXPECT_EQ(GetTargetIndex(kTargetCG), -1);
    EXPECT_EQ(GetTargetFamily(kTargetGLSL21), kFamilyGL);
    EXPECT_EQ(GetTargetFamily(kTargetHLSL9), kFamilyHLSL);
    EXPECT_EQ(GetTargetFamily(3), -1);
}
