// Creation, Init and Shutdown of the renderer object.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"
#include "platform/windows/d3d11/d3d11_release.h"

RendImpDirect3D11::RendImpDirect3D11() = default;

RendImpDirect3D11::~RendImpDirect3D11()
{
    // The process-wide object is never destroyed; other objects (tests) may be, and must
    // not keep device objects alive.
    Shutdown();
}

bool RendImpDirect3D11::Init(QuavenAPI* /*api*/, CoreState* coreState, VideoParameters* /*video*/)
{
    // A second Init without Shutdown must not leak the first device.
    if (device || swapChain || output)
        Shutdown();
    core = coreState;

    const bool created = CreateDevice() && OpenPrimaryOutput() && CreateSwapChainForWindow() &&
                         CreateBackBufferViews() && CreateRasterizerStates() && CreateAllSamplerStates() &&
                         CreateDepthStencilState() && CreateBlendStates();
    if (!created) {
        Shutdown();
        return false;
    }
    depthStateValid = 1;
    ready = 1;
    syncInterval = (qv && qv->HasFeature && qv->HasFeature("DISABLE_VSYNC")) ? 0 : 1;
    return true;
}

void RendImpDirect3D11::Shutdown()
{
    ready = 0;
    if (context)
        context->ClearState();
    ReleaseStates();
    ReleaseBackBufferViews();
    // DXGI refuses to release a swap chain that is still full screen.
    if (swapChain) {
        BOOL fullscreen = FALSE;
        if (SUCCEEDED(swapChain->GetFullscreenState(&fullscreen, nullptr)) && fullscreen)
            swapChain->SetFullscreenState(FALSE, nullptr);
    }
    ReleaseAndNull(swapChain1);
    ReleaseAndNull(swapChain);
    ReleaseAndNull(context1);
    ReleaseAndNull(device1);
    ReleaseAndNull(context);
    ReleaseAndNull(output);
    ReleaseAndNull(device);
}
