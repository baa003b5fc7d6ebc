// The texture description: mip counts, the check made before a bitmap gets GPU storage, and
// texture types from names.
#include "platform/windows/win32.h"
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "graphics/renderer/texture_description.h"
#include "support/log_capture.h"

using quaven_test::LogCapture;

namespace {

TEST(MipLevelCount, ChainsStopAboveSixteenAndRequestsCapThem) {
    const struct { int width, height, request, levels; } cases[] = {
        {256, 256, 0, 5},    {16, 16, 0, 2},      {1024, 64, 0, 3},        // the smaller side ends the chain
        {1024, 1024, 3, 3},  {1024, 1024, 99, 7},                          // above the chain: the chain
        {1024, 1024, -3, 7}, {256, 256, INT_MIN, 5},                       // negative: a full chain
        {0, 0, 0, 2},        {INT_MIN, INT_MAX, 0, 2}, {INT_MAX, INT_MAX, 0, 28},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVI_GetMipLevelCount(c.width, c.height, c.request), c.levels)
            << c.width << "x" << c.height << " request " << c.request;
}

// The check made before a bitmap gets GPU storage: its answer and the one error it shows.
TEST(BitmapDescriptionCheck, CubesArePowersOfTwoPerFaceDepthFormatsOnly2DAndLayersOnly3D) {
    LogCapture capture;
    const int k2D = QV_TEXTURE_TYPE_2D, kCube = QV_TEXTURE_TYPE_CUBE, kRgba = QV_TEXTURE_FORMAT_RGBA8;
    const struct {
        const char* name;
        int type, format, width, height, depth;
        bool renderTarget, valid;
        std::string popup;  // "" when none is shown
    } cases[] = {
        {"sky", kCube, kRgba, 16, 96, 1, false, true, ""},
        // A cube render target is sized per face already.
        {"sky", kCube, kRgba, 16, 96, 1, true, false, "The width and height of cube map 'sky' do not match."},
        {"odd", kCube, kRgba, 24, 144, 1, false, false, "Cube map 'odd' must have power of two dimensions."},
        {"empty", kCube, kRgba, 0, 0, 1, true, false, "Cube map 'empty' must have power of two dimensions."},
        {"neg", kCube, kRgba, -1, -6, 1, false, false, "Cube map 'neg' must have power of two dimensions."},
        {"shadow", k2D, QV_TEXTURE_FORMAT_D16, 300, 200, 1, true, true, ""},
        {"shadow", kCube, QV_TEXTURE_FORMAT_D32F, 16, 16, 1, true, false,
         "Depth formats (QV_TEXTURE_FORMAT_D*_FLOAT) are supported with 2D textures only."},
        {"layers", k2D, kRgba, 8, 8, 4, false, false, "Bitmap 'layers' must have depth of 1."},
        {"volume", QV_TEXTURE_TYPE_3D, kRgba, 8, 8, 4, false, true, ""},
        {nullptr, k2D, kRgba, 8, 8, 0, false, false, "Bitmap '' must have depth of 1."},
    };
    for (const auto& c : cases) {
        Bitmap bitmap = {};
        bitmap.header.name = const_cast<char*>(c.name);
        bitmap.textureType = c.type, bitmap.format = c.format, bitmap.flags = c.renderTarget ? 4 : 0;
        bitmap.width = c.width, bitmap.height = c.height, bitmap.depth = c.depth;
        LogCapture::Clear();
        EXPECT_EQ(QVI_ValidateBitmapDescription(&bitmap), c.valid) << c.popup;
        const auto popups = LogCapture::PopupLines();
        EXPECT_EQ(popups.size(), c.popup.empty() ? 0u : 1u) << c.popup;
        if (!popups.empty()) {
            EXPECT_TRUE(popups[0].text == c.popup && popups[0].level == QV_LOG_ERROR) << popups[0].text;
        }
    }
    EXPECT_FALSE(QVI_ValidateBitmapDescription(nullptr));
}

TEST(TextureTypeFromName, TheMarkerBeforeTheExtensionDecidesAndNearMissesAre2D) {
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
