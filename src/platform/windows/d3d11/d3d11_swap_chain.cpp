// The flip-model swap chain for the main window, the back buffer's colour and depth views,
// video-mode changes and full-screen switching, and the frame (the back buffer or bitmap
// render targets bound, viewport, clears, present).
//
// Video-mode changes and full-screen switching both release the back-buffer views, change
// the swap chain and make the views again; when the change fails half-way, the views are
// made again at the swap chain's current size, so one failed switch never leaves the
// renderer without a back buffer to draw into.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"
#include "platform/windows/window/main_window.h"
#include "core/core_state.h"

namespace {

const DXGI_FORMAT kBackBufferFormat = DXGI_FORMAT_B8G8R8A8_UNORM;
const UINT kSwapChainFlags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
// Alt+Enter and window changes belong to the window procedure, which goes through the core.
const UINT kWindowAssociation = DXGI_MWA_NO_WINDOW_CHANGES | DXGI_MWA_NO_ALT_ENTER;

// The factory that made the adapter: the swap chain lives on the device's adapter.
IDXGIFactory1* ParentFactory(IDXGIAdapter* adapter)
{
    IDXGIFactory1* factory = nullptr;
    if (!adapter || FAILED(adapter->GetParent(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))))
        return nullptr;
    return factory;
}

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

HWND RendImpDirect3D11::MainWindow() const
{
    return core ? core->mainWindow : nullptr;
}

const VideoParameters* RendImpDirect3D11::ProgramVideo() const
{
    if (!core || !core->settings)
        return nullptr;
    return &core->settings->video;
}

bool RendImpDirect3D11::CreateSwapChainForWindow(const VideoParameters* video)
{
    IDXGIAdapter* adapter = DeviceAdapter();
    IDXGIFactory1* factory1 = ParentFactory(adapter);
    ReleaseAndNull(adapter);
    IDXGIFactory2* factory2 = nullptr;
    bool created = false;
    if (!factory1) {
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to get the DXGI factory.");
    } else {
        if (FAILED(factory1->QueryInterface(__uuidof(IDXGIFactory2), reinterpret_cast<void**>(&factory2))))
            factory2 = nullptr;
        created = CreateSwapChain(factory1, factory2, video);
    }
    if (!created)
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create a swap chain.");
    ReleaseAndNull(factory2);
    ReleaseAndNull(factory1);
    return created;
}

bool RendImpDirect3D11::CreateSwapChain(IDXGIFactory1* factory1, IDXGIFactory2* factory2,
                                        const VideoParameters* video)
{
    HWND window = MainWindow();
    if (!device || !window || !IsWindow(window))
        return false;
    // Zero: the window's client size.
    const UINT width = video ? NonNegative(video->width) : 0u;
    const UINT height = video ? NonNegative(video->height) : 0u;
    RECT client = {};
    if (video && video->windowed && width > 0 && height > 0 && GetClientRect(window, &client) &&
        (static_cast<UINT>(client.right) != width || static_cast<UINT>(client.bottom) != height))
        PlaceWindow(window, video->width, video->height);

    if (factory2) {
        DXGI_SWAP_CHAIN_DESC1 description = {};
        description.Width = width;
        description.Height = height;
        description.Format = kBackBufferFormat;
        description.Stereo = FALSE;
        description.SampleDesc.Count = 1;
        description.SampleDesc.Quality = 0;
        description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
        description.BufferCount = kSwapChainBuffers;
        description.Scaling = DXGI_SCALING_STRETCH;
        description.SwapEffect = DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL;
        description.AlphaMode = DXGI_ALPHA_MODE_UNSPECIFIED;
        description.Flags = kSwapChainFlags;
        if (FAILED(factory2->CreateSwapChainForHwnd(device, window, &description, nullptr, nullptr, &swapChain1)) ||
            !swapChain1) {
            swapChain1 = nullptr;
            return false;
        }
        factory2->MakeWindowAssociation(window, kWindowAssociation);
        if (FAILED(swapChain1->QueryInterface(__uuidof(IDXGISwapChain), reinterpret_cast<void**>(&swapChain))) ||
            !swapChain) {
            swapChain = nullptr;
            return false;
        }
    } else {
        DXGI_SWAP_CHAIN_DESC description = {};
        description.BufferDesc.Width = width;
        description.BufferDesc.Height = height;
        description.BufferDesc.RefreshRate.Numerator = 60;
        description.BufferDesc.RefreshRate.Denominator = 1;
        description.BufferDesc.Format = kBackBufferFormat;
        description.BufferDesc.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
        description.BufferDesc.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
        description.SampleDesc.Count = 1;
        description.SampleDesc.Quality = 0;
        description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
        description.BufferCount = kSwapChainBuffers;
        description.OutputWindow = window;
        description.Windowed = TRUE;
        description.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
        description.Flags = kSwapChainFlags;
        if (FAILED(factory1->CreateSwapChain(device, &description, &swapChain)) || !swapChain) {
            swapChain = nullptr;
            return false;
        }
        factory1->MakeWindowAssociation(window, kWindowAssociation);
    }
    RequestFullscreenAtStart(video);
    return true;
}

// A program that asks for full screen gets it now; when the swap chain cannot go full
// screen, the core is asked to start over windowed, and the windowed swap chain stays.
void RendImpDirect3D11::RequestFullscreenAtStart(const VideoParameters* video)
{
    if (!video || video->windowed)
        return;
    if (SetFullscreenState(true) &&
        SUCCEEDED(swapChain->ResizeBuffers(kSwapChainBuffers, NonNegative(video->width), NonNegative(video->height),
                                           kBackBufferFormat, kSwapChainFlags)))
        return;
    if (swapChain) {
        BOOL fullscreen = FALSE;
        if (SUCCEEDED(swapChain->GetFullscreenState(&fullscreen, nullptr)) && fullscreen)
            swapChain->SetFullscreenState(FALSE, nullptr);
    }
    VideoParameters windowed = *video;
    windowed.windowed = 1;
    if (qv && qv->ReinitializeWithParameters)
        qv->ReinitializeWithParameters(windowed);
}

bool RendImpDirect3D11::CreateBackBufferViews()
{
    if (!device || !context || !swapChain)
        return false;
    ID3D11Texture2D* backBuffer = nullptr;
    if (FAILED(swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&backBuffer))) ||
        !backBuffer) {
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to get the color buffer.");
        return false;
    }
    HRESULT result = device->CreateRenderTargetView(backBuffer, nullptr, &backBufferColorView);
    D3D11_TEXTURE2D_DESC bufferDescription = {};
    backBuffer->GetDesc(&bufferDescription);
    backBuffer->Release();
    if (FAILED(result) || !backBufferColorView) {
        backBufferColorView = nullptr;
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create the color render target view.");
        return false;
    }

    const DXGI_FORMAT depthFormat =
        (capabilities & kCapabilityDepth32Float) ? DXGI_FORMAT_D32_FLOAT : DXGI_FORMAT_D24_UNORM_S8_UINT;
    D3D11_TEXTURE2D_DESC depthDescription = {};
    depthDescription.Width = bufferDescription.Width;
    depthDescription.Height = bufferDescription.Height;
    depthDescription.MipLevels = 1;
    depthDescription.ArraySize = 1;
    depthDescription.Format = depthFormat;
    depthDescription.SampleDesc.Count = 1;
    depthDescription.SampleDesc.Quality = 0;
    depthDescription.Usage = D3D11_USAGE_DEFAULT;
    depthDescription.BindFlags = D3D11_BIND_DEPTH_STENCIL;
    if (FAILED(device->CreateTexture2D(&depthDescription, nullptr, &depthTexture)) || !depthTexture) {
        depthTexture = nullptr;
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create the depth stencil buffer.");
        return false;
    }

    D3D11_DEPTH_STENCIL_VIEW_DESC viewDescription = {};
    viewDescription.Format = depthFormat;
    viewDescription.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
    viewDescription.Flags = 0;
    viewDescription.Texture2D.MipSlice = 0;
    if (FAILED(device->CreateDepthStencilView(depthTexture, &viewDescription, &backBufferDepthView)) ||
        !backBufferDepthView) {
        backBufferDepthView = nullptr;
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create the depth stencil render target view.");
        return false;
    }

    const int width = static_cast<int>(bufferDescription.Width);
    const int height = static_cast<int>(bufferDescription.Height);
    SetViewport(0, 0, width, height, 0.0f, 1.0f);
    QVI_Report(QV_LOG_INFO, "D3D11 renderer created color render target view with dimensions %i x %i", width, height);
    const RenderTargetSet backBufferOnly = {};
    SetRenderTargets(&backBufferOnly);
    return true;
}

void RendImpDirect3D11::ReleaseBackBufferViews()
{
    for (ID3D11RenderTargetView*& view : boundColorViews)
        view = nullptr;
    boundDepthView = nullptr;
    if (context) {
        ID3D11RenderTargetView* const noViews[kRendererColorTargets] = {};
        context->OMSetRenderTargets(kRendererColorTargets, noViews, nullptr);
        context->Flush();
    }
    ReleaseAndNull(backBufferDepthView);
    ReleaseAndNull(depthTexture);
    ReleaseAndNull(backBufferColorView);
}

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

// A colour entry binds its bitmap's target view (a cube map's face), or nothing; the
// depth entry its depth view. Without a first colour bitmap the back buffer alone is
// bound, its depth view with it. A first colour bitmap that has no target view (the
// device could not make it) binds no colour view at all: what the game draws into it is
// lost rather than drawn over the screen.
bool RendImpDirect3D11::SetRenderTargets(const RenderTargetSet* targets)
{
    for (int i = 0; i < kRendererColorTargets; ++i)
        boundColorViews[i] = targets ? TargetViewOf(targets->colour[i], targets->face[i]) : nullptr;
    const Bitmap* depth = targets ? targets->depth : nullptr;
    boundDepthView = depth && depth->hardware.rendererData ? depth->hardware.rendererData->depthView : nullptr;
    if (!targets || !targets->colour[0]) {
        boundColorViews[0] = backBufferColorView;
        for (int i = 1; i < kRendererColorTargets; ++i)
            boundColorViews[i] = nullptr;
        boundDepthView = backBufferDepthView;
    }
    if (context)
        context->OMSetRenderTargets(kRendererColorTargets, boundColorViews, boundDepthView);
    return true;
}

ID3D11RenderTargetView* RendImpDirect3D11::TargetViewOf(Bitmap* bitmap, int face)
{
    TextureHardwareData* record = bitmap ? bitmap->hardware.rendererData : nullptr;
    if (!record)
        return nullptr;
    if (bitmap->textureType == QV_TEXTURE_TYPE_2D)
        face = 0;
    if (face < 0 || face >= TextureHardwareData::kTargetViews) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: render target '%s' has no face %d.",
                   bitmap->header.name ? bitmap->header.name : "", face);
        return nullptr;
    }
    ID3D11RenderTargetView* view = record->targetViews[face];
    // It is being drawn into: its mips are rebuilt when it is next used as a texture.
    if (view && record->hasMipChain)
        record->mipsValid = 0;
    return view;
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
    QVI_Report(QV_LOG_WARNING, "D3D11 renderer failed to present a frame.");
    if (result == DXGI_ERROR_DEVICE_REMOVED)
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer: the device has been removed: 0x%x.",
                   static_cast<unsigned>(device->GetDeviceRemovedReason()));
    else if (result == DXGI_ERROR_DEVICE_RESET)
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer: the device has been reset.");
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
