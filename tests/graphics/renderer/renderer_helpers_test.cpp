// The shared tables and helpers of the renderer interface: vertex sizes, mip counts, the
// texture description check, texture types from names, language bits, the code ranges.

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>

#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/texture_description.h"
#include "shadertool/core/target.h"
#include "support/log_capture.h"

using quaven_test::LogCapture;

namespace {

TEST(VertexLayout, FormatsPackTheirElementsAndUnknownOnesCountAsTheEnginesVertex)
{
    EXPECT_EQ(QVI_GetVertexElementSize(256), 16);
    for (int value : {0, 3, 512, -1})  // combinations and other values are not elements
        EXPECT_EQ(QVI_GetVertexElementSize(value), 0) << value;
    for (int format : {7, 111, 495}) {
        int packed = 0;
        for (int bit = 1; bit <= 256; bit <<= 1)
            packed += (format & bit) ? QVI_GetVertexElementSize(bit) : 0;
        EXPECT_EQ(QVI_GetVertexSize(format), packed) << format;
        EXPECT_TRUE(QVI_IsVertexFormatSupported(format)) << format;
    }
    // Position and colour alone would pack into 16 bytes; the size is never summed.
    for (int format : {3, 0, 511, -7})
        EXPECT_EQ(QVI_GetVertexSize(format), 24) << format;
    EXPECT_FALSE(QVI_IsVertexFormatSupported(3));
}

TEST(MipLevelCount, ChainsStopAboveSixteenAndRequestsCapThem)
{
    const struct {
        int width, height, request, levels;
    } cases[] = {
        {256, 256, 0, 5},    {16, 16, 0, 2},      {1024, 64, 0, 3},        // the smaller side ends the chain
        {1024, 1024, 3, 3},  {1024, 1024, 99, 7},                          // above the chain: the chain
        {1024, 1024, -3, 7}, {256, 256, INT_MIN, 5},                       // negative: a full chain
        {0, 0, 0, 2},        {INT_MIN, INT_MAX, 0, 2}, {INT_MAX, INT_MAX, 0, 28},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVI_GetMipLevelCount(c.width, c.height, c.request), c.levels)
            << c.width << "x" << c.height << " request " << c.request;
}

class BitmapDescriptionCheck : public ::testing::Test {
protected:
    Bitmap Make(const char* name, int type, int format, int width, int height, bool renderTarget, int depth = 1)
    {
        Bitmap bitmap = {};
        bitmap.header.name = const_cast<char*>(name);
        bitmap.textureType = type;
        bitmap.format = format;
        bitmap.width = width;
        bitmap.height = height;
        bitmap.depth = depth;
        bitmap.flags = renderTarget ? 4 : 0;
        return bitmap;
    }

    LogCapture capture_;
};

TEST_F(BitmapDescriptionCheck, CubeFacesAreMeasuredPerFaceAndMustBePowersOfTwo)
{
    Bitmap cube = Make("sky", QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_RGBA8, 16, 96, false);
    EXPECT_TRUE(QVI_ValidateBitmapDescription(&cube));
    // A cube render target is sized per face already.
    Bitmap target = Make("sky", QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_RGBA8, 16, 96, true);
    EXPECT_FALSE(QVI_ValidateBitmapDescription(&target));
    EXPECT_EQ(LogCapture::CountPopups("The width and height of cube map 'sky' do not match.", QV_LOG_ERROR), 1);

    Bitmap odd = Make("odd", QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_RGBA8, 24, 144, false);
    EXPECT_FALSE(QVI_ValidateBitmapDescription(&odd));
    EXPECT_EQ(LogCapture::CountPopups("Cube map 'odd' must have power of two dimensions.", QV_LOG_ERROR), 1);
    Bitmap empty = Make("empty", QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_RGBA8, 0, 0, true);
    EXPECT_FALSE(QVI_ValidateBitmapDescription(&empty));
    Bitmap negative = Make("neg", QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_RGBA8, -1, -6, false);
    EXPECT_FALSE(QVI_ValidateBitmapDescription(&negative));
}

TEST_F(BitmapDescriptionCheck, DepthFormatsOnly2DAndLayersOnly3D)
{
    Bitmap flat = Make("shadow", QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_D16, 300, 200, true);
    EXPECT_TRUE(QVI_ValidateBitmapDescription(&flat));
    Bitmap cube = Make("shadow", QV_TEXTURE_TYPE_CUBE, QV_TEXTURE_FORMAT_D32F, 16, 16, true);
    EXPECT_FALSE(QVI_ValidateBitmapDescription(&cube));
    EXPECT_EQ(LogCapture::CountPopups(
                  "Depth formats (QV_TEXTURE_FORMAT_D*_FLOAT) are supported with 2D textures only.", QV_LOG_ERROR),
              1);

    Bitmap layers = Make("layers", QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, 8, 8, false, 4);
    EXPECT_FALSE(QVI_ValidateBitmapDescription(&layers));
    EXPECT_EQ(LogCapture::CountPopups("Bitmap 'layers' must have depth of 1.", QV_LOG_ERROR), 1);
    Bitmap volume = Make("volume", QV_TEXTURE_TYPE_3D, QV_TEXTURE_FORMAT_RGBA8, 8, 8, false, 4);
    EXPECT_TRUE(QVI_ValidateBitmapDescription(&volume));

    EXPECT_FALSE(QVI_ValidateBitmapDescription(nullptr));
    Bitmap unnamed = Make(nullptr, QV_TEXTURE_TYPE_2D, QV_TEXTURE_FORMAT_RGBA8, 8, 8, false, 0);
    EXPECT_FALSE(QVI_ValidateBitmapDescription(&unnamed));
    EXPECT_EQ(LogCapture::CountPopups("Bitmap '' must have depth of 1."), 1);
}

TEST(TextureTypeFromName, TheMarkerBeforeTheExtensionDecidesAndNearMissesAre2D)
{
    EXPECT_EQ(QVI_GetTextureTypeFromName("sky_CUBE.png"), QV_TEXTURE_TYPE_CUBE);
    EXPECT_EQ(QVI_GetTextureTypeFromName("noise_3D.png"), QV_TEXTURE_TYPE_3D);
    // A later marker overrides an earlier one; the one before the extension stops the search.
    EXPECT_EQ(QVI_GetTextureTypeFromName("a_3D.b_CUBE.png"), QV_TEXTURE_TYPE_CUBE);
    EXPECT_EQ(QVI_GetTextureTypeFromName("old_2D.png_CUBE.bak"), QV_TEXTURE_TYPE_CUBE);
    EXPECT_EQ(QVI_GetTextureTypeFromName("dir_3D.d/file.png"), QV_TEXTURE_TYPE_3D);
    for (const char* name : {"sky_cube.png", "sky_CUBE", "skyCUBE.png", "sky_CUBEpng", "", "sky_"})
        EXPECT_EQ(QVI_GetTextureTypeFromName(name), QV_TEXTURE_TYPE_2D) << name;
    EXPECT_EQ(QVI_GetTextureTypeFromName(nullptr), QV_TEXTURE_TYPE_2D);
}

TEST(ShaderLanguageNames, RendererLanguageBitsAreTheTranslatorsTargets)
{
    EXPECT_STREQ(ShaderTool::GetTargetName(QV_SHADER_LANGUAGE_ESSL20), "ESSL20");
    EXPECT_STREQ(ShaderTool::GetTargetName(QV_SHADER_LANGUAGE_HLSL11), "HLSL11");
    EXPECT_STREQ(ShaderTool::GetTargetName(QV_SHADER_LANGUAGE_CG), "CG");
    for (uint32_t value : {0u, 3u, 256u})
        EXPECT_EQ(ShaderTool::GetTargetName(value), nullptr) << value;
}

TEST(RendererTables, EdgesOfTheCodeRanges)
{
    EXPECT_TRUE(QVI_IsBlendModeValid(1) && QVI_IsBlendModeValid(8));
    EXPECT_FALSE(QVI_IsBlendModeValid(0) || QVI_IsBlendModeValid(9) || QVI_IsBlendModeValid(INT_MIN));
    EXPECT_TRUE(QVI_IsCullModeValid(0));
    EXPECT_FALSE(QVI_IsCullModeValid(3) || QVI_IsCullModeValid(-1));
    EXPECT_FALSE(QVI_IsTextureFilterValid(0) || QVI_IsTextureFilterValid(4));
    EXPECT_FALSE(QVI_IsTextureAddressModeValid(0) || QVI_IsDepthCompareValid(8) || QVI_IsTextureFormatValid(9));
}

TEST(RendererTables, IgnoredValuesAreReportedOncePerKind)
{
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
