// The program's orientation and size before the window exists, and the autoscaling
// figures that map its reference resolution onto the screen.
#include "graphics/setup/setup_fixture.h"

#include <cstdint>
#include <limits>

namespace setup_test {
namespace {

class Autoscaling : public RendererSetupTest {
protected:
    // A program of this reference size autoscaled onto a screen of that size, as start-up does.
    void Scale(int referenceWidth, int referenceHeight, int screenWidth, int screenHeight) {
        SetReference(referenceWidth, referenceHeight);
        Program().width = screenWidth, Program().height = screenHeight;
        SetScreen(screenWidth, screenHeight);
        g_screenState.orientation = screenWidth >= screenHeight ? ORIENTATION_LANDSCAPE_LEFT : ORIENTATION_PORTRAIT;
        g_autoscaleActive = 1;
        QVI_SetupAutoscaling();
    }
};
using Orientation = RendererSetupTest;

TEST_F(Autoscaling, RetainingTheAspectRatioCentresTheCanvasOnWholePixels) {
    SetFeatures("AUTOSCALE,AUTOSCALE_RETAIN_ASPECT_RATIO");
    Scale(1024, 768, 1920, 1080);
    EXPECT_FLOAT_EQ(g_autoscale.scaleX, 1.40625f);
    EXPECT_FLOAT_EQ(g_autoscale.scaleY, 1.40625f);
    EXPECT_FLOAT_EQ(g_autoscale.offsetX, 240.0f);
    EXPECT_FLOAT_EQ(g_autoscale.offsetY, 0.0f);
    EXPECT_FLOAT_EQ(g_autoscale.inverseScaleY, 1.0f / 1.40625f);
    EXPECT_EQ(Program().width, 1024);  // the program now draws at its reference size
    EXPECT_EQ(Count("Setting up autoscaling from 1024x768 -> 1920x1080."), 1);
    EXPECT_EQ(Count("Offset x=240.00 y=0.00"), 1);
    EXPECT_EQ(Count("Scale x=1.41 y=1.41"), 1);
    Scale(1001, 1000, 1922, 1000);
    EXPECT_FLOAT_EQ(g_autoscale.offsetX, 460.0f);  // not 460.5
}

TEST_F(Autoscaling, StretchesEachAxisTurnsTheScreenForAPortraitProgramAndSwitchesOffWithNothingToScale) {
    Scale(1024, 768, 1920, 1080);
    EXPECT_FLOAT_EQ(g_autoscale.scaleX, 1.875f);
    EXPECT_FLOAT_EQ(g_autoscale.scaleY, 1.40625f);
    EXPECT_FLOAT_EQ(g_autoscale.offsetX, 0.0f);
    Scale(768, 1024, 1920, 1080);
    EXPECT_FLOAT_EQ(g_autoscale.scaleX, 1080.0f / 768.0f);
    EXPECT_FLOAT_EQ(g_autoscale.scaleY, 1920.0f / 1024.0f);
    Scale(1000, 1000, 1920, 1080);  // a square program counts as portrait: the screen turns
    EXPECT_FLOAT_EQ(g_autoscale.scaleX, 1.08f);
    SetScreen(0, 1080);  // an unknown screen keeps the last figures, never infinite ones
    QVI_UpdateAutoscaling();
    EXPECT_FLOAT_EQ(g_autoscale.scaleX, 1.08f);
    // With nothing to scale it switches itself off.
    Scale(1280, 720, 1280, 720);
    EXPECT_EQ(g_autoscaleActive, 0);
    EXPECT_EQ(Count("Target resolution matches source, no need for scaling."), 1);
    // Without a reference size the program would get a zero size and infinite scales.
    Scale(0, 0, 1920, 1080);
    EXPECT_EQ(g_autoscaleActive, 0);
    EXPECT_EQ(Program().width, 1920);
    EXPECT_FLOAT_EQ(g_autoscale.inverseScaleX, 1.0f);
}

TEST_F(Autoscaling, OverlayZoomKeepsThePictureCentredWhateverTheZoom) {
    Scale(1024, 768, 1920, 1080);
    const auto zoom = [](float value) { g_autoscale.overlayZoom = value, QVI_UpdateOverlayZoomOffsets(); };
    zoom(0.5f);
    EXPECT_EQ(g_autoscale.zoomOffsetX, 480);
    EXPECT_EQ(g_autoscale.zoomOffsetY, 270);
    zoom(1e30f);  // set through a string command: anything may come
    EXPECT_EQ(g_autoscale.zoomOffsetX, INT32_MIN);
    zoom(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(g_autoscale.zoomOffsetX, 0);
}

TEST_F(Orientation, FollowsTheReferenceAndGivesTheProgramTheScreenUnlessASizeIsForced) {
    SetDesktop(1920, 1080);
    SetReference(768, 1024);
    Select(720, 1280, true);
    QVI_ApplyOrientationAndOverride();
    EXPECT_EQ(g_orientation.allowed, 3);
    EXPECT_EQ(g_orientation.target, ORIENTATION_PORTRAIT);
    EXPECT_EQ(Program().width, 720);  // a zero program size takes the selection
    EXPECT_EQ(g_screenState.screenHeight, 1280);
    EXPECT_EQ(g_screenState.orientation, ORIENTATION_PORTRAIT);
    EXPECT_EQ(Count("Important parameter is 0: width=0 height=0 override=0. Forcing override."), 1);
    EXPECT_EQ(Count("Native device screen buffer orientation: PORTRAIT."), 1);
    SetScreen(0, 0);  // forced: an unknown screen takes the selection, the program keeps its size
    ForceResolution(500, 800);
    Program().reference_width = 1024, Program().width = 1280;
    Select(500, 800, true);
    QVI_ApplyOrientationAndOverride();
    EXPECT_EQ(g_orientation.allowed, 12);
    EXPECT_EQ(Program().width, 1280);
    EXPECT_EQ(g_screenState.screenWidth, 500);
    EXPECT_EQ(g_screenState.orientation, ORIENTATION_LANDSCAPE_LEFT);  // from the desktop
}

}  // namespace
}  // namespace setup_test
