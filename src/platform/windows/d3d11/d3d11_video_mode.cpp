// Video-mode changes and full-screen switching. Both release the back-buffer views, change
// the swap chain and make the views again; when the change fails half-way, the views are
// made again at the swap chain's current size, so one failed switch never leaves the
// renderer without a back buffer to draw into.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "platform/windows/window/window_placement.h"

namespace {

const DXGI_FORMAT kBackBufferFormat = DXGI_FORMAT_B8G8R8A8_UNORM;
const UINT kSwapChainFlags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;

UINT NonNegative(int value)
{
    return value > 0 ? static_cast<UINT>(value) : 0u;
}

// Gives the main window the style, size and place of a windowed client of width x height.
void PlaceWindow(HWND window, int width, int height)
{
    if (!window || !IsWindow(window))
        return;
    WindowPlacement placement;
    QVI_CalcWindowPlacement(width, height, &placement, true);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(placement.style));
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(placement.extendedStyle));
    SetWindowPos(window, HWND_NOTOPMOST, placement.x, placement.y, placement.width, placement.height,
                 SWP_SHOWWINDOW);
    // The new style may change the frame; placing the window once more settles it.
    QVI_CalcWindowPlacement(width, height, &placement, true);
    MoveWindow(window, placement.x, placement.y, placement.width, placement.height, FALSE);
    BringWindowToTop(window);
}

}  // namespace

bool RendImpDirect3D11::ChangeVideoMode(int width, int height, bool windowed)
{
    if (!device || !context || !swapChain)
        return false;
    const int largest = GetMaximumTextureSize();
    if (width <= 0 || height <= 0 || width > largest || height > largest)
        return false;
    ReleaseBackBufferViews();
    if (!ApplyVideoMode(width, height, windowed)) {
        RestoreBackBufferViews();
        return false;
    }
    return CreateBackBufferViews();
}

bool RendImpDirect3D11::ApplyVideoMode(int width, int height, bool windowed)
{
    if (!swapChain)
        return false;
    BOOL fullscreenState = FALSE;
    if (FAILED(swapChain->GetFullscreenState(&fullscreenState, nullptr)))
        return false;
    const bool fullscreen = fullscreenState == TRUE;
    const bool modeChanges = windowed == fullscreen;

    if (modeChanges && FAILED(swapChain->ResizeBuffers(kSwapChainBuffers, NonNegative(width), NonNegative(height),
                                                       kBackBufferFormat, kSwapChainFlags)))
        return false;

    DXGI_MODE_DESC mode = {};
    mode.Width = NonNegative(width);
    mode.Height = NonNegative(height);
    mode.RefreshRate.Numerator = 0;
    mode.RefreshRate.Denominator = 0;
    mode.Format = kBackBufferFormat;
    mode.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
    mode.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;

    if (windowed) {
        if (modeChanges && !SetFullscreenState(false))
            return false;
        PlaceWindow(MainWindow(), width, height);
    } else {
        if (!output)
            return false;
        DXGI_MODE_DESC closest = {};
        if (FAILED(output->FindClosestMatchingMode(&mode, &closest, device)))
            return false;
        mode = closest;
        if (FAILED(swapChain->ResizeTarget(&mode)))
            return false;
        if (modeChanges && !SetFullscreenState(true))
            return false;
    }
    return SUCCEEDED(
        swapChain->ResizeBuffers(kSwapChainBuffers, mode.Width, mode.Height, kBackBufferFormat, kSwapChainFlags));
}

bool RendImpDirect3D11::SetFullscreenState(bool fullscreen)
{
    return swapChain && SUCCEEDED(swapChain->SetFullscreenState(fullscreen ? TRUE : FALSE, nullptr));
}

void RendImpDirect3D11::SetFullscreen(bool fullscreen)
{
    if (!swapChain)
        return;
    if (fullscreen && !fullscreenDropped)
        return;
    const VideoParameters* video = ProgramVideo();
    if (!fullscreen && (!video || video->windowed))
        return;

    ReleaseBackBufferViews();
    const bool switched =
        SetFullscreenState(fullscreen) &&
        SUCCEEDED(swapChain->ResizeBuffers(kSwapChainBuffers, NonNegative(video ? video->width : 0),
                                           NonNegative(video ? video->height : 0), kBackBufferFormat,
                                           kSwapChainFlags));
    if (!switched) {
        RestoreBackBufferViews();
        return;
    }
    CreateBackBufferViews();
    fullscreenDropped = fullscreen ? 0 : 1;
}

void RendImpDirect3D11::RestoreBackBufferViews()
{
    // The swap chain keeps the buffers it had before the failed call; its buffer 0 gives
    // the size the views are made at.
    CreateBackBufferViews();
}
