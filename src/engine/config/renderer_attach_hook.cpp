#include "engine/config/renderer_attach_hook.h"

namespace {

// Set at start-up before any other thread exists.
RendererAttachFunction g_attachRenderer = nullptr;

} // namespace

void QVI_SetRendererAttachFunction(RendererAttachFunction attach)
{
    g_attachRenderer = attach;
}

void QVI_AttachRendererForConfiguration()
{
    if (g_attachRenderer)
        g_attachRenderer();
}
