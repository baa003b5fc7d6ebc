// Choosing the resolution from the "resolutions" setting, the desktop and the device's
// modes; the support test it relies on; the concrete list built for "*".
#include "graphics/setup/setup_fixture.h"

#include <string>

namespace setup_test {
namespace {

using ResolutionSelection = RendererSetupTest;

std::string Selected() {
    return std::to_string(g_selectedResolution.width) + "x" + std::to_string(g_selectedResolution.height);
}

TEST_F(ResolutionSelection, TakesTheFirstFittingItemUnlessAnotherIsClearlyCloserInAspect) {
    renderer_.deviceModes = {{1920, 1080}, {1280, 720}, {1024, 768}};
    SetResolutions("1920x1080,1280x720,1024x768");
    SetDesktop(1920, 1200);  // 1280x720 has the same aspect, 1024x768 is farther from 1.6
    ASSERT_TRUE(QVI_SelectOptimalResolution(false, false));
    EXPECT_EQ(Selected(), "1920x1080");
    EXPECT_EQ(Count("Closest supported aspect ratio is 1920x1080 (aspect 1.78 vs desktop 1.60)"), 1);
    SetDesktop(1280, 1024);  // 1920x1080 does not fit; 1024x768 is closer to 1.25
    ASSERT_TRUE(QVI_SelectOptimalResolution(false, false));
    EXPECT_EQ(Selected(), "1024x768");
}

TEST_F(ResolutionSelection, FullScreenTakesTheDesktopOrWhatTheDeviceListsAWindowLeavesItsMarginHostileItemsAreSkipped) {
    SetDesktop(1920, 1080);
    EXPECT_TRUE(QVI_IsResolutionSupported(1920, 1080, false));
    EXPECT_EQ(renderer_.CallCount("IsDisplayModeSupported"), 0);
    EXPECT_FALSE(QVI_IsResolutionSupported(1600, 900, false));
    renderer_.deviceModes = {{1600, 900}};
    EXPECT_TRUE(QVI_IsResolutionSupported(1600, 900, false));
    EXPECT_EQ(Count("Requested resolution 1600x900 (windowed=0) is supported."), 1);
    SetResolutions("-1280x-720,0x0,abc,,1280,99999999999x1,1920x1080,1280x720");
    ASSERT_TRUE(QVI_SelectOptimalResolution(true, false));
    EXPECT_EQ(Selected(), "1280x720");
    EXPECT_EQ(g_selectedResolution.windowed, 1);
    EXPECT_TRUE(QVI_IsResolutionSupported(1870, 1010, true));
    EXPECT_FALSE(QVI_IsResolutionSupported(1871, 1010, true));
    EXPECT_FALSE(QVI_IsResolutionSupported(-1280, -720, true));  // would pass the margins
    EXPECT_FALSE(QVI_IsResolutionSupported(1920, 1080, true));
    SetFeatures("X;FREE_RESOLUTION");
    EXPECT_TRUE(QVI_IsResolutionSupported(1920, 1080, true));
}

TEST_F(ResolutionSelection, ForcedSizesAndForcingNeedNoSupport) {
    SetDesktop(1920, 1080);
    SetResolutions("0x0,2560x1440,1280x720");
    ASSERT_TRUE(QVI_SelectOptimalResolution(true, true));
    EXPECT_EQ(Selected(), "2560x1440");
    EXPECT_EQ(Count("Selecting optimal resolution for windowed (forcing)."), 1);
    EXPECT_EQ(Count("Selected resolution 2560x1440."), 1);
    ForceResolution(3000, 2000);
    ASSERT_TRUE(QVI_SelectOptimalResolution(true, false));
    EXPECT_EQ(Selected(), "3000x2000");
    EXPECT_EQ(Count("Selected 3000x2000. (forced)"), 1);
    EXPECT_TRUE(QVI_IsResolutionSupported(3000, 2000, false));
    EXPECT_FALSE(QVI_IsResolutionSupported(2999, 2000, false));
    ForceVariant("ANDROID");
    EXPECT_TRUE(QVI_IsResolutionSupported(2999, 2000, false));
}

TEST_F(ResolutionSelection, EvenForcingSkipsItemsLargerThanTheLargestTexture) {
    SetResolutions("99999x99999,16385x100,4096x4096");
    ASSERT_TRUE(QVI_SelectOptimalResolution(true, true));
    EXPECT_EQ(Selected(), "4096x4096");
    renderer_.maximumTextureSize = 4096, g_rendererSetup.ready = 1;
    SetResolutions("99999x99999,4097x100,4096x4096");
    ASSERT_TRUE(QVI_SelectOptimalResolution(true, true));
    EXPECT_EQ(Selected(), "4096x4096");
    EXPECT_EQ(Count("Resolution 4097x100 is larger than the largest texture (4096): skipped."), 1);
}

TEST_F(ResolutionSelection, AForcedSizeIsKeptAboveTheDesktopAndShrinksInShapeOnlyToTheLargestTexture) {
    const auto forced = [this] {
        QVI_FitForcedResolution();
        return std::to_string(g_config.selectionForcedWidth) + "x" + std::to_string(g_config.forcedHeight) + " " +
               std::to_string(Program().width) + "x" + std::to_string(Program().height);
    };
    SetDesktop(1920, 1080);
    ForceResolution(1920, 1200);
    Program().width = 1920, Program().height = 1200;
    EXPECT_EQ(forced(), "1920x1200 1920x1200");
    ForceResolution(3840, 1080);
    Program().width = 3840, Program().height = 1080;
    EXPECT_EQ(forced(), "3840x1080 3840x1080");
    EXPECT_EQ(quaven_test::LogCapture::CountContaining("larger than the largest texture"), 0);
    // Before the device exists, the largest texture of any device; once it exists, its own.
    ForceResolution(16384, 16384);
    Program().width = 16384, Program().height = 16384;
    EXPECT_EQ(forced(), "16384x16384 16384x16384");
    ForceResolution(1000, 16385);
    EXPECT_EQ(forced(), "999x16384 999x16384");
    EXPECT_EQ(Count("force_resolution 1000x16385 is larger than the largest texture (16384): using 999x16384."), 1);
    renderer_.maximumTextureSize = 512, g_rendererSetup.ready = 1;
    ForceResolution(512, 512);
    Program().width = 512, Program().height = 512;
    EXPECT_EQ(forced(), "512x512 512x512");
    ForceResolution(1000, 99999);
    EXPECT_EQ(forced(), "5x512 5x512");
}

TEST_F(ResolutionSelection, StarWithoutAScreenSizeFallsBackToTheForcedPlatformOrTheReference) {
    SetResolutions("*");
    const char* cases[][2] = {{"ANDROID", "854x480"}, {"IOS/SMALL", "960x640"}, {"NO_SUCH", "800x600"}};
    for (const auto& c : cases) {
        ForceVariant(c[0]);
        ASSERT_TRUE(QVI_SelectOptimalResolution(true, false)) << c[0];
        EXPECT_EQ(Selected(), c[1]) << c[0];
        EXPECT_EQ(Count(std::string("Device screen size not set. Using typical fallback resolution ") + c[1] + "."), 1);
    }

    QVI_ResetProgramConfiguration();
    SetResolutions("*");
    SetReference(1024, 768);
    renderer_.deviceModes = {{1024, 768}};
    ASSERT_TRUE(QVI_SelectOptimalResolution(false, false));
    EXPECT_EQ(Selected(), "1024x768");
}

TEST_F(ResolutionSelection, LastResortsAreTheDesktopTheSmallestItemOrNothing) {
    SetResolutions("1920x1080,1600x900");
    Select(800, 600, true);
    EXPECT_FALSE(QVI_SelectOptimalResolution(false, false));  // unknown desktop, nothing listed
    EXPECT_EQ(Selected(), "800x600");
    EXPECT_EQ(Count("No resolution found in QVI_SelectOptimalResolution!"), 1);
    SetDesktop(1366, 768);
    ASSERT_TRUE(QVI_SelectOptimalResolution(false, false));
    EXPECT_EQ(Selected(), "1366x768");
    EXPECT_EQ(Count("Selecting desktop resolution for fullscreen."), 1);
    quaven_test::LogCapture::Clear();
    ASSERT_TRUE(QVI_SelectOptimalResolution(true, false));
    EXPECT_EQ(Selected(), "1600x900");
    EXPECT_EQ(Count("Trying to select the smallest possible resolution."), 1);
}

TEST_F(ResolutionSelection, StarBecomesTheDeviceModesAndTheCommonOnesWidestFirst) {
    renderer_.deviceModes = {{800, 600}, {3840, 2160}, {1280, 720}, {1280, 1024}};
    SetResolutions("*");
    QVI_BuildSupportedResolutions();
    const std::string list = g_config.supportedResolutions;
    EXPECT_EQ(list.find("3840x2160,2560x1440,1920x1440,1920x1200,1920x1080,1856x1392,"), 0u) << list;
    EXPECT_NE(list.find(",1280x1024,1280x960,1280x800,1280x768,1280x720,1152x864,"), std::string::npos) << list;
    EXPECT_EQ(list.substr(list.size() - 16), ",800x600,640x480") << list;
    EXPECT_EQ(list.find("1280x720", list.find("1280x720") + 1), std::string::npos) << "listed twice: " << list;
}

}  // namespace
}  // namespace setup_test
