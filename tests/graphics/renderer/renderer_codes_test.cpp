// The renderer interface's code tables: vertex sizes, language bits, code ranges, ignored values.
#include "platform/windows/win32.h"
#include <gtest/gtest.h>

#include <climits>

#include "graphics/renderer/renderer_codes.h"
#include "shadertool/core/target.h"
#include "support/log_capture.h"

using quaven_test::LogCapture;

namespace {

TEST(VertexLayout, FormatsPackTheirElementsAndUnknownOnesCountAsTheEnginesVertex) {
    EXPECT_EQ(QVI_GetVertexElementSize(256), 16);
    for (int value : {0, 3, 512, -1})  // combinations and other values are not elements
        EXPECT_EQ(QVI_GetVertexElementSize(value), 0) << value;
    for (int format : {7, 111, 495}) {
        int packed = 0;
        for (int bit = 1; bit <= 256; bit <<= 1) packed += (format & bit) ? QVI_GetVertexElementSize(bit) : 0;
        EXPECT_EQ(QVI_GetVertexSize(format), packed) << format;
        EXPECT_TRUE(QVI_IsVertexFormatSupported(format)) << format;
    }
    // Position and colour alone would pack into 16 bytes; the size is never summed.
    for (int format : {3, 0, 511, -7}) EXPECT_EQ(QVI_GetVertexSize(format), 24) << format;
    EXPECT_FALSE(QVI_IsVertexFormatSupported(3));
}

TEST(RendererTables, LanguageBitsAreTheTranslatorsTargetsEdgesOfTheCodeRangesAndIgnoredValuesReportedOnce) {
    EXPECT_STREQ(ShaderTool::GetTargetName(QV_SHADER_LANGUAGE_ESSL20), "ESSL20");
    EXPECT_STREQ(ShaderTool::GetTargetName(QV_SHADER_LANGUAGE_HLSL11), "HLSL11");
    EXPECT_STREQ(ShaderTool::GetTargetName(QV_SHADER_LANGUAGE_CG), "CG");
    EXPECT_TRUE(QVI_IsBlendModeValid(1) && QVI_IsBlendModeValid(8));
    EXPECT_FALSE(QVI_IsBlendModeValid(0) || QVI_IsBlendModeValid(9) || QVI_IsBlendModeValid(INT_MIN));
    EXPECT_TRUE(QVI_IsCullModeValid(0));
    EXPECT_FALSE(QVI_IsCullModeValid(3) || QVI_IsCullModeValid(-1));
    EXPECT_FALSE(QVI_IsTextureFilterValid(0) || QVI_IsTextureFilterValid(4));
    EXPECT_FALSE(QVI_IsTextureAddressModeValid(0) || QVI_IsDepthCompareValid(8) || QVI_IsTextureFormatValid(9));
    // Ignored values are reported once per kind.
    LogCapture capture;
    QVI_ResetIgnoredRendererValueReports();
    EXPECT_TRUE(QVI_ReportIgnoredRendererValue(RENDERER_VALUE_BLEND_MODE, 42));
    EXPECT_FALSE(QVI_ReportIgnoredRendererValue(RENDERER_VALUE_BLEND_MODE, 43));
    EXPECT_TRUE(QVI_ReportIgnoredRendererValue(RENDERER_VALUE_CULL_MODE, -1));
    EXPECT_FALSE(QVI_ReportIgnoredRendererValue(static_cast<RendererValueKind>(99), 1));
    EXPECT_EQ(LogCapture::CountContaining("blend mode 42", QV_LOG_WARNING), 1);
    EXPECT_EQ(LogCapture::CountContaining("blend mode 43"), 0);
    EXPECT_EQ(LogCapture::CountContaining("cull mode -1", QV_LOG_WARNING), 1);
    QVI_ResetIgnoredRendererValueReports();
}

}  // namespace
