// The flip-model swap chain for the main window and the back buffer's colour and depth views.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"
#include "core/core_state.h"
#include "platform/windows/d3d11/d3d11_release.h"

namespace {

const DXGI_FORMAT kBackBufferFormat = DXGI_FORMAT_B8G8R8A8_UNORM;
const UINT kSwapChainFlags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
// Alt+Enter and window changes belong to the window procedure, which goes through the core.
const UINT kWindowAssociation = DXGI_MWA_NO_WINDOW_CHANGES | DXGI_MWA_NO_ALT_ENTER;

// The factory that made the device, so that the swap chain lives on the device's adapter.
IDXGIFactory1* FactoryOfDevice(ID3D11Device* device)
{
    IDXGIDevice* dxgiDevice = nullptr;
    if (FAILED(device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice))) || !dxgiDevice)
        return nullptr;
    IDXGIAdapter* adapter = nullptr;
    HRESULT result = dxgiDevice->GetAdapter(&adapter);
    dxgiDevice->Release();
    if (FAILED(result) || !adapter)
        return nullptr;
    IDXGIFactory1* factory = nullptr;
    result = adapter->GetParent(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory));
    adapter->Release();
    if (FAILED(result))
        return nullptr;
    return factory;
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

bool RendImpDirect3D11::CreateSwapChainForWindow()
{
    IDXGIFactory1* factory1 = device ? FactoryOfDevice(device) : nullptr;
    IDXGIFactory2* factory2 = nullptr;
    bool created = false;
    if (!factory1) {
        QVI_ReportPopup(2, "D3D11 renderer failed to get the DXGI factory.");
    } else {
        if (FAILED(factory1->QueryInterface(__uuidof(IDXGIFactory2), reinterpret_cast<void**>(&factory2))))
            factory2 = nullptr;
        created = CreateSwapChain(factory1, factory2);
    }
    if (!created)
        QVI_ReportPopup(2, "D3D11 renderer failed to create a swap chain.");
    ReleaseAndNull(factory2);
    ReleaseAndNull(factory1);
    return created;
}

bool RendImpDirect3D11::CreateSwapChain(IDXGIFactory1* factory1, IDXGIFactory2* factory2)
{
    HWND window = MainWindow();
    if (!device || !window || !IsWindow(window))
        return false;

    if (factory2) {
        DXGI_SWAP_CHAIN_DESC1 description = {};
        description.Width = 0;  // the window's client size
        description.Height = 0;
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
        description.BufferDesc.Width = 0;
        description.BufferDesc.Height = 0;
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
    RequestFullscreenAtStart();
    return true;
}

// A program that asks for full screen gets it now; when the swap chain cannot go full
// screen, the core is asked to start over windowed, and the windowed swap chain stays.
void RendImpDirect3D11::RequestFullscreenAtStart()
{
    const VideoParameters* video = ProgramVideo();
    if (!video || video->windowed)
        return;
    if (SetFullscreenState(true) &&
        SUCCEEDED(swapChain->ResizeBuffers(kSwapChainBuffers, static_cast<UINT>(video->width > 0 ? video->width : 0),
                                           static_cast<UINT>(video->height > 0 ? video->height : 0),
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
        QVI_ReportPopup(2, "D3D11 renderer failed to get the color buffer.");
        return false;
    }
    HRESULT result = device->CreateRenderTargetView(backBuffer, nullptr, &backBufferColorView);
    D3D11_TEXTURE2D_DESC bufferDescription = {};
    backBuffer->GetDesc(&bufferDescription);
    backBuffer->Release();
    if (FAILED(result) || !backBufferColorView) {
        backBufferColorView = nullptr;
        QVI_ReportPopup(2, "D3D11 renderer failed to create the color render target view.");
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
        QVI_ReportPopup(2, "D3D11 renderer failed to create the depth stencil buffer.");
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
        QVI_ReportPopup(2, "D3D11 renderer failed to create the depth stencil render target view.");
        return false;
    }

    const int width = static_cast<int>(bufferDescription.Width);
    const int height = static_cast<int>(bufferDescription.Height);
    SetViewport(0, 0, width, height, 0.0f, 1.0f);
    QVI_Report(0, "D3D11 renderer created color render target view with dimensions %i x %i", width, height);
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
