#include "platform/windows/win32.h"

#include "graphics/setup/renderer_setup.h"

#include "graphics/renderer/renderer_implementation.h"
#include "core/engine_log.h"
#include "quaven/types.h"
#include "graphics/device_resources.h"
#include "graphics/setup/renderer_setup_hooks.h"

void QVI_ShutdownRenderer()
{
    QVI_Report(QV_LOG_SYSTEM, "Quaven RendImp Shutdown.");
    RendererSetupState& state = g_rendererSetup;
    if (!state.renderer)
        return;

    QVI_ReleasePooledBitmapData();
    QVI_ReleaseTextDeviceData();
    QVI_Report(QV_LOG_INFO, "Batch renderer freeing assets.");
    QVI_FreeBatchAssets();

    state.renderer->Shutdown();
    state.ready = 0;
    QVI_FreeMutexRecord(state.shaderTranslatorLock);
    state.shaderTranslatorLock = nullptr;
}
