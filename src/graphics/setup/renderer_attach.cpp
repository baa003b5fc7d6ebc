#include <windows.h>

#include "graphics/setup/renderer_setup.h"

#include "core/api_pointer.h"
#include "core/api_table.h"
#include "core/engine_log.h"
#include "quaven/types.h"
#include "platform/windows/d3d11/d3d11_export.h"

RendererSetupState g_rendererSetup;

bool QVI_AttachStaticRenderer()
{
    if (g_rendererSetup.renderer)
        return true;
    QVI_Report(QV_LOG_SYSTEM, "Using static RendImp.");
    RendererImplementation* renderer = QUAVEN_RendImp_GetInterface();
    if (!renderer)
        return false;
    QVI_AttachRenderer(renderer);
    QVI_FillAPI(qv);
    return true;
}

void QVI_AttachRenderer(RendererImplementation* renderer)
{
    if (g_rendererSetup.renderer)
        return;
    g_rendererSetup.renderer = renderer;
}

void QVI_DetachRenderer()
{
    g_rendererSetup.renderer = nullptr;
    g_rendererSetup.ready = 0;
}

RendererImplementation* QVI_GetRenderer()
{
    return g_rendererSetup.renderer;
}

bool QVI_IsRendererReady()
{
    return g_rendererSetup.renderer && g_rendererSetup.ready;
}
