#include "graphics/setup/renderer_setup.h"

RendererSetupState g_rendererSetup;

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
