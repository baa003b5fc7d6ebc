#include "platform/windows/win32.h"

#include "platform/windows/d3d11/d3d11_export.h"

#include "platform/windows/d3d11/rendimp_direct3d11.h"

unsigned long NvOptimusEnablement = 1;
int AmdPowerXpressRequestHighPerformance = 1;

RendererImplementation* QUAVEN_RendImp_GetInterface()
{
    // Made on first use and never destroyed: the engine may call the renderer up to the
    // very end of the process.
    static RendImpDirect3D11* renderer = new RendImpDirect3D11();
    return renderer;
}
