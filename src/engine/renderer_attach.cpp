#include "engine/renderer_attach.h"

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "graphics/setup/renderer_setup.h"
#include "platform/windows/d3d11/d3d11_export.h"
#include "quaven/types.h"

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
