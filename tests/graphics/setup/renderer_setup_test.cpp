// Bringing the device up and down through the tests' renderer: Init's parameters, the
// rollback, the retry limit, and a Shutdown before every new Init.
#include "graphics/setup/setup_fixture.h"
#include "support/process.h"

#include <string>
#include <vector>

namespace setup_test {
namespace {

using RendererInit = RendererSetupTest;
using quaven_test::LogCapture;
using Calls = std::vector<std::string>;

const char kInitFailure[] =
    "Unable to initialize the renderer.\n\nPlease try updating your display adapter drivers and rebooting.";

// The device's life-cycle calls, in order.
Calls Lifecycle(const TestRenderer& renderer) {
    Calls calls;
    for (const RendererCall& call : renderer.Calls()) {
        const std::string name = call.name;
        if (name == "Init" || name == "Shutdown" || name == "PostInit") calls.push_back(name);
    }
    return calls;
}

// Init must never reach a device that is up: a Shutdown comes between any two Inits.
void ExpectShutdownBeforeEveryReInit(const TestRenderer& renderer) {
    bool up = false;
    for (const std::string& call : Lifecycle(renderer)) {
        EXPECT_FALSE(call == "Init" && up) << "Init on a device that was not shut down";
        up = call == "Init" || (up && call != "Shutdown");
    }
}

TEST_F(RendererInit, BringsTheDeviceUpAtTheSelectedResolution) {
    Select(1280, 720, false);
    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_TRUE(QVI_IsRendererReady());
    RendererCall init;
    ASSERT_TRUE(renderer_.LastCall("Init", &init));
    EXPECT_EQ(init.pointers.at(2), &g_rendererSetup.video);
    EXPECT_EQ(g_rendererSetup.video.width, 1280);
    EXPECT_EQ(g_rendererSetup.video.windowed, 0);
    EXPECT_TRUE(g_screenState.screenWidth == 1280 && g_screenState.screenHeight == 720);
    EXPECT_EQ(Lifecycle(renderer_), (Calls{"Init", "PostInit"}));
    ASSERT_NE(g_rendererSetup.shaderTranslatorLock, nullptr);
    EXPECT_STREQ(g_rendererSetup.shaderTranslatorLock->name, "ShaderTranslator");
    EXPECT_EQ(Count("Renderer Initializing: 1280x720 fullscreen.."), 1);
    EXPECT_EQ(Count("Renderer ready."), 1);
    Select(600, 400, false);  // too small for full screen
    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_EQ(g_rendererSetup.video.windowed, 1);
    EXPECT_EQ(Count("Renderer in ready state, shutting it down before new init."), 1);
    Select(1280, 720, false);
    ForceVariant("ANDROID");
    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_EQ(g_rendererSetup.video.windowed, 1);
    ExpectShutdownBeforeEveryReInit(renderer_);
}

TEST_F(RendererInit, WithoutARendererOrAnEarlierDeviceNothingIsRetried) {
    QVI_DetachRenderer();
    EXPECT_FALSE(QVI_InitRenderer());
    EXPECT_EQ(Count("Renderer doesn't exist, can't continue with init."), 1);
    QVI_AttachRenderer(&renderer_);
    renderer_.failInit = true;
    Select(1280, 720, false);
    EXPECT_FALSE(QVI_InitRenderer());
    EXPECT_FALSE(QVI_IsRendererReady());
    EXPECT_EQ(Lifecycle(renderer_), (Calls{"Init", "Shutdown"}));
    EXPECT_EQ(LogCapture::CountPopups(kInitFailure, QV_LOG_ERROR), 1);
    EXPECT_EQ(Count("Rolling back parms.."), 0);
}

TEST_F(RendererInit, AnUnsupportedSizeRollsBackToTheParametersThatWorked) {
    renderer_.maximumTextureSize = 2000;
    Select(1280, 720, true);
    ASSERT_TRUE(QVI_InitRenderer());
    renderer_.ClearCalls();
    Select(2560, 1440, true);
    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_EQ(Count("Rolling back parms.."), 1);
    EXPECT_EQ(Lifecycle(renderer_), (Calls{"Shutdown", "Init", "Shutdown", "Init", "PostInit"}));
    EXPECT_EQ(g_screenState.screenWidth, 1280);
    EXPECT_EQ(g_rendererSetup.retryCounter, 0);
    EXPECT_TRUE(LogCapture::PopupTexts().empty());
    renderer_.ClearCalls();  // the parameters that work failing too: no rollback to themselves
    renderer_.failInit = true;
    Select(1280, 720, true);
    EXPECT_FALSE(QVI_InitRenderer());
    EXPECT_EQ(renderer_.CallCount("Init"), 1);
    EXPECT_EQ(LogCapture::CountPopups(kInitFailure, QV_LOG_ERROR), 1);
}

TEST_F(RendererInit, ADeviceThatKeepsFailingIsRetriedTwiceAndAlwaysShutDownFirst) {
    Select(1280, 720, true);
    ASSERT_TRUE(QVI_InitRenderer());
    renderer_.ClearCalls();
    renderer_.failInit = true;
    Select(1024, 768, true);
    EXPECT_FALSE(QVI_InitRenderer());
    // Three attempts at the new size with two rollbacks in between, then the popup.
    EXPECT_EQ(renderer_.CallCount("Init"), 5);
    EXPECT_EQ(Count("Rolling back parms.."), 2);
    EXPECT_EQ(LogCapture::CountPopups(kInitFailure, QV_LOG_ERROR), 1);
    EXPECT_EQ(Lifecycle(renderer_).back(), "Shutdown");
    ExpectShutdownBeforeEveryReInit(renderer_);
}

TEST_F(RendererInit, AFailingShaderTranslatorLeavesTheDeviceShutDown) {
    // The translator for HLSL fails to start where no HLSL compiler library can be loaded: the
    // run of its own in which Wine loads none (tests/CMakeLists.txt).
    if (quaven_test::EnvironmentVariable("QUAVEN_TEST_NO_HLSL_COMPILER").empty())
        GTEST_SKIP() << "needs a run without the HLSL compiler libraries";
    renderer_.shaderLanguage = QV_SHADER_LANGUAGE_HLSL11;
    Select(1280, 720, true);
    EXPECT_FALSE(QVI_InitRenderer());
    EXPECT_EQ(LogCapture::CountPopups("Failed to initialize the shader translator.", QV_LOG_ERROR), 1);
    EXPECT_FALSE(QVI_IsRendererReady());
    EXPECT_FALSE(renderer_.initialized());
    EXPECT_EQ(g_rendererSetup.shaderTranslatorLock, nullptr);
    renderer_.shaderLanguage = QV_SHADER_LANGUAGE_GLSL21;  // needs no compiler library
    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_EQ(Lifecycle(renderer_), (Calls{"Init", "Shutdown", "Init", "PostInit"}));
}

TEST_F(RendererInit, ShutdownTakesTheDeviceDownAndBringsItUpAgain) {
    Select(1280, 720, true);
    ASSERT_TRUE(QVI_InitRenderer());
    QVI_ShutdownRenderer();
    EXPECT_FALSE(QVI_IsRendererReady());
    EXPECT_FALSE(renderer_.initialized());
    EXPECT_EQ(g_rendererSetup.shaderTranslatorLock, nullptr);
    EXPECT_EQ(Count("Quaven RendImp Shutdown."), 1);
    ASSERT_TRUE(QVI_InitRenderer());
    QVI_ShutdownRenderer();
    EXPECT_EQ(Lifecycle(renderer_), (Calls{"Init", "PostInit", "Shutdown", "Init", "PostInit", "Shutdown"}));
}

}  // namespace
}  // namespace setup_test
