// The renderer set-up tests' ground: the engine's table, a clean configuration and set-up
// state, and the tests' renderer attached.
#pragma once

#include <string>

#include "core/configuration.h"
#include "graphics/setup/screen_state.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "graphics/support/test_renderer.h"
#include "support/engine_table.h"

namespace setup_test {

class RendererSetupTest : public quaven_test::EngineTableTest {
protected:
    void SetUp() override {
        ResetSetupState();
        g_core.settings = nullptr, g_core.developerMode = 0;  // the configuration's default record is in force
        QVI_AttachRenderer(&renderer_);
    }
    void TearDown() override { ResetSetupState(); }

    // Configuration values as prog.xml and developer.xml would give them.
    void SetResolutions(const char* setting) { QVI_ReplaceText(&g_config.supportedResolutions, setting); }
    void SetFeatures(const char* features) { QVI_ReplaceText(&g_config.applicationFeatures, features); }
    void ForceVariant(const char* variant) { QVI_ReplaceText(&g_config.forcedVariant, variant); }
    void ForceResolution(int width, int height) {
        g_config.forcedResolution = 1;
        g_config.forcedWidth = g_config.selectionForcedWidth = width;
        g_config.forcedHeight = g_config.selectionForcedHeight = height;
    }

    void SetDesktop(int width, int height) { g_screenState.desktopWidth = width, g_screenState.desktopHeight = height; }
    void SetScreen(int width, int height) { g_screenState.screenWidth = width, g_screenState.screenHeight = height; }
    void SetReference(int width, int height) { Program().reference_width = width, Program().reference_height = height; }
    void Select(int width, int height, bool windowed) { g_selectedResolution = {width, height, uint8_t(windowed)}; }
    VideoParameters& Program() { return g_config.defaultRecord.video; }
    int Count(const std::string& text) const { return quaven_test::LogCapture::Count(text); }

    TestRenderer renderer_;

private:
    static void ResetSetupState() {
        if (QVI_GetRenderer()) QVI_ShutdownRenderer();
        QVI_DetachRenderer();
        g_rendererSetup = RendererSetupState();
        g_screenState = ScreenState();
        g_selectedResolution = SelectedResolution();
        QVI_ResetOrientationState();
        QVI_ResetAutoscaling();
        QVI_ResetProgramConfiguration();
    }
};

}  // namespace setup_test
