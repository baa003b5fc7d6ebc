#include "graphics/setup/setup_fixture.h"

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "graphics/setup/renderer_setup_hooks.h"

namespace setup_test {

namespace {

void ResetSetupState()
{
    if (QVI_GetRenderer())
        QVI_ShutdownRenderer();
    QVI_DetachRenderer();
    g_rendererSetup = RendererSetupState();
    g_screenState = ScreenState();
    g_selectedResolution = SelectedResolution();
    QVI_ResetOrientationState();
    QVI_ResetAutoscaling();
    QVI_SetShaderTranslatorStart(nullptr);
    QVI_ResetProgramConfiguration();
}

}  // namespace

void RendererSetupTest::SetUp()
{
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

void RendererSetupTest::TearDown()
{
    ResetSetupState();
    capture_.reset();
    g_core.settings = savedSettings_;
    g_core.developerMode = savedDeveloperMode_;
    *qv = savedTable_;
}

}  // namespace setup_test
