// Common ground of the renderer set-up tests: every log line captured, a clean
// configuration and set-up state, and the tests' renderer attached; all put back after.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/api_pointer.h"
#include "core/config/config_values.h"
#include "core/config/program_configuration.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/renderer_setup_hooks.h"
#include "graphics/setup/resolution_selection.h"
#include "graphics/setup/screen_state.h"
#include "graphics/support/test_renderer.h"
#include "support/log_capture.h"

namespace setup_test {

class RendererSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTable_ = *qv;
        savedSettings_ = g_core.settings;
        savedDeveloperMode_ = g_core.developerMode;
        QVI_InitializeThreading();
        QVI_FillAPI(qv);
        QVI_CreateEngineLocks();
        capture_ = std::make_unique<quaven_test::LogCapture>(qv);
        ResetSetupState();
        g_core.settings = nullptr;  // the configuration's default record is in force
        g_core.developerMode = 0;
        QVI_AttachRenderer(&renderer_);
    }
    void TearDown() override {
        ResetSetupState();
        capture_.reset();
        g_core.settings = savedSettings_;
        g_core.developerMode = savedDeveloperMode_;
        *qv = savedTable_;
    }

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
        QVI_SetShaderTranslatorStart(nullptr);
        QVI_ResetProgramConfiguration();
    }

    std::unique_ptr<quaven_test::LogCapture> capture_;
    QuavenAPI savedTable_ = {};
    ProgramInterface* savedSettings_ = nullptr;
    uint8_t savedDeveloperMode_ = 0;
};

}  // namespace setup_test
