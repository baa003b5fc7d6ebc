// The texture description: mip counts, the check made before a bitmap gets GPU storage, and
// texture types from names.

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>

#include "graphics/renderer/texture_description.h"
#include "support/log_capture.h"

using quaven_test::LogCapture;

namespace {

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

}  // namespace
