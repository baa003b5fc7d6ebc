// One frame: binding the back buffer, clearing, the viewport and presenting.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"

namespace {

bool NamesNoTarget(const RenderTargetSet* targets)
{
    return !targets || !targets->colour[0];
}

}  // namespace

void RendImpDirect3D11::SetViewport(int x, int y, int width, int height, float minDepth, float maxDepth)
{
    if (!context)
        return;
    D3D11_VIEWPORT viewport;
    viewport.TopLeftX = static_cast<float>(x);
    viewport.TopLeftY = static_cast<float>(y);
    viewport.Width = static_cast<float>(width);
    viewport.Height = static_cast<float>(height);
    viewport.MinDepth = minDepth;
    viewport.MaxDepth = maxDepth;
    context->RSSetViewports(1, &viewport);
}

// Binds the back buffer for a set whose first colour entry is empty. Render-target
// bitmaps get their GPU side with the texture code; until then a set naming one is
// refused and the bindings stay as they are.
bool RendImpDirect3D11::SetRenderTargets(const RenderTargetSet* targets)
{
    if (!NamesNoTarget(targets)) {
        static bool reported = false;
        if (!reported) {
            reported = true;
            QVI_Report(1, "D3D11 renderer: render-target bitmaps are not available yet.");
        }
        return false;
    }
    boundColorViews[0] = backBufferColorView;
    for (int i = 1; i < kRendererColorTargets; ++i)
        boundColorViews[i] = nullptr;
    boundDepthView = backBufferDepthView;
    if (context)
        context->OMSetRenderTargets(kRendererColorTargets, boundColorViews, boundDepthView);
    return true;
}

void RendImpDirect3D11::BeginFrame(int /*eye*/)
{
    boundColorViews[0] = backBufferColorView;
    for (int i = 1; i < kRendererColorTargets; ++i)
        boundColorViews[i] = nullptr;
    boundDepthView = backBufferDepthView;
    if (!context)
        return;
    context->OMSetRenderTargets(kRendererColorTargets, boundColorViews, boundDepthView);
    if (depthStencilState)
        context->OMSetDepthStencilState(depthStencilState, 0);
}

bool RendImpDirect3D11::Present()
{
    if (!device || !swapChain || !ready)
        return false;
    const HRESULT result = swapChain->Present(syncInterval, 0);
    if (SUCCEEDED(result))
        return true;
    QVI_Report(1, "D3D11 renderer failed to present a frame.");
    if (result == DXGI_ERROR_DEVICE_REMOVED)
        QVI_Report(1, "D3D11 renderer: the device has been removed: 0x%x.",
                   static_cast<unsigned>(device->GetDeviceRemovedReason()));
    else if (result == DXGI_ERROR_DEVICE_RESET)
        QVI_Report(1, "D3D11 renderer: the device has been reset.");
    return false;
}

void RendImpDirect3D11::ClearColor(float r, float g, float b, float a)
{
    if (!context)
        return;
    const FLOAT colour[4] = {r, g, b, a};
    for (ID3D11RenderTargetView* view : boundColorViews) {
        if (view)
            context->ClearRenderTargetView(view, colour);
    }
}

void RendImpDirect3D11::ClearDepth(float depth)
{
    if (!context || !boundDepthView)
        return;
    context->ClearDepthStencilView(boundDepthView, D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, depth, 0);
}
