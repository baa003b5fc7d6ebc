// The renderer object's life (Init and Shutdown), its device with the 11.1 interfaces and
// what the device can do, the primary output and its display modes, the renderer's fixed
// answers, and the executable's exports.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include <new>

#include "core/engine_log.h"

unsigned long NvOptimusEnablement = 1;
int AmdPowerXpressRequestHighPerformance = 1;

namespace {

const D3D_FEATURE_LEVEL kFeatureLevels[] = {
    D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0,
    D3D_FEATURE_LEVEL_9_3,  D3D_FEATURE_LEVEL_9_2,  D3D_FEATURE_LEVEL_9_1,
};
const UINT kFeatureLevelCount = sizeof kFeatureLevels / sizeof kFeatureLevels[0];

struct DeviceDriver {
    D3D_DRIVER_TYPE type;
    const char* name;
};

const DeviceDriver kDriverTypes[] = {
    {D3D_DRIVER_TYPE_HARDWARE, "hardware"},
    {D3D_DRIVER_TYPE_WARP, "WARP"},
};

const char* FeatureLevelName(int level)
{
    switch (level) {
    case D3D_FEATURE_LEVEL_11_1: return "11_1";
    case D3D_FEATURE_LEVEL_11_0: return "11_0";
    case D3D_FEATURE_LEVEL_10_1: return "10_1";
    case D3D_FEATURE_LEVEL_10_0: return "10_0";
    case D3D_FEATURE_LEVEL_9_3: return "9_3";
    case D3D_FEATURE_LEVEL_9_2: return "9_2";
    case D3D_FEATURE_LEVEL_9_1: return "9_1";
    default: return "";
    }
}

bool IsLevel9(int level)
{
    return level == D3D_FEATURE_LEVEL_9_1 || level == D3D_FEATURE_LEVEL_9_2 || level == D3D_FEATURE_LEVEL_9_3;
}

const DXGI_FORMAT kDisplayFormat = DXGI_FORMAT_B8G8R8A8_UNORM;

// The adapter's first output, null when it has none.
IDXGIOutput* FirstOutput(IDXGIAdapter* adapter)
{
    IDXGIOutput* output = nullptr;
    if (!adapter || FAILED(adapter->EnumOutputs(0, &output)))
        return nullptr;
    return output;
}

IDXGIAdapter* FirstAdapterOfNewFactory()
{
    IDXGIFactory1* factory = nullptr;
    if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))) || !factory)
        return nullptr;
    IDXGIAdapter1* adapter = nullptr;
    if (FAILED(factory->EnumAdapters1(0, &adapter)))
        adapter = nullptr;
    factory->Release();
    return adapter;
}

}  // namespace

RendererImplementation* QUAVEN_RendImp_GetInterface()
{
    // Made on first use and never destroyed: the engine may call the renderer up to the
    // very end of the process.
    static RendImpDirect3D11* renderer = new RendImpDirect3D11();
    return renderer;
}

RendImpDirect3D11::RendImpDirect3D11() = default;

RendImpDirect3D11::~RendImpDirect3D11()
{
    // The process-wide object is never destroyed; other objects (tests) may be, and must
    // not keep device objects alive.
    Shutdown();
}

bool RendImpDirect3D11::Init(QuavenAPI* /*api*/, CoreState* coreState, VideoParameters* video)
{
    // A second Init without Shutdown must not leak the first device.
    if (device || swapChain || output)
        Shutdown();
    core = coreState;
    // The size asked for is the size the device gets: the engine rolls back to earlier
    // parameters by handing them in again.
    if (!video)
        video = const_cast<VideoParameters*>(ProgramVideo());

    const bool created = CreateDevice() && FitsTheDevice(video) && OpenPrimaryOutput() &&
                         CreateSwapChainForWindow(video) &&
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

bool RendImpDirect3D11::FitsTheDevice(const VideoParameters* video)
{
    const int64_t largest = GetMaximumTextureSize();
    if (!video || (static_cast<int64_t>(video->width) <= largest && static_cast<int64_t>(video->height) <= largest))
        return true;
    QVI_Report(QV_LOG_ERROR, "D3D11 renderer: a back buffer of %d x %d is larger than the largest texture (%d).",
               video->width, video->height, static_cast<int>(largest));
    return false;
}

bool RendImpDirect3D11::CreateDevice()
{
    const char* driverName = nullptr;
    for (const DeviceDriver& driver : kDriverTypes) {
        D3D_FEATURE_LEVEL obtained = D3D_FEATURE_LEVEL_9_1;
        HRESULT result = D3D11CreateDevice(nullptr, driver.type, nullptr, 0, kFeatureLevels, kFeatureLevelCount,
                                           D3D11_SDK_VERSION, &device, &obtained, &context);
        // A Direct3D 11.0 runtime does not know level 11_1 and refuses the whole list.
        if (result == E_INVALIDARG)
            result = D3D11CreateDevice(nullptr, driver.type, nullptr, 0, kFeatureLevels + 1, kFeatureLevelCount - 1,
                                       D3D11_SDK_VERSION, &device, &obtained, &context);
        if (SUCCEEDED(result) && device && context) {
            featureLevel = obtained;
            driverName = driver.name;
            break;
        }
        ReleaseAndNull(context);
        ReleaseAndNull(device);
    }
    if (!driverName) {
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create a device.");
        return false;
    }
    QVI_Report(QV_LOG_INFO, "D3D11 renderer created a %s device of feature level %s", driverName,
               FeatureLevelName(featureLevel));

    HRESULT result = device->QueryInterface(__uuidof(ID3D11Device1), reinterpret_cast<void**>(&device1));
    if (SUCCEEDED(result))
        result = context->QueryInterface(__uuidof(ID3D11DeviceContext1), reinterpret_cast<void**>(&context1));
    if (FAILED(result) || !device1 || !context1) {
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to get the device context.");
        return false;
    }
    ReadCapabilities();
    return true;
}

void RendImpDirect3D11::ReadCapabilities()
{
    capabilities = 0;
    UINT support = 0;
    if (SUCCEEDED(device->CheckFormatSupport(DXGI_FORMAT_B8G8R8A8_UNORM, &support)) &&
        (support & D3D11_FORMAT_SUPPORT_IA_VERTEX_BUFFER))
        capabilities |= kCapabilityBgraVertexColor;
    support = 0;
    if (SUCCEEDED(device->CheckFormatSupport(DXGI_FORMAT_D32_FLOAT, &support)) &&
        (support & D3D11_FORMAT_SUPPORT_DEPTH_STENCIL))
        capabilities |= kCapabilityDepth32Float;

    if (IsLevel9(featureLevel)) {
        D3D11_FEATURE_DATA_D3D9_OPTIONS options = {};
        if (SUCCEEDED(device->CheckFeatureSupport(D3D11_FEATURE_D3D9_OPTIONS, &options, sizeof options)) &&
            options.FullNonPow2TextureSupport == TRUE)
            capabilities |= kCapabilityNonPowerOfTwoTextures;
    } else {
        capabilities |= kCapabilityNonPowerOfTwoTextures;
    }

    D3D11_FEATURE_DATA_THREADING threading = {};
    if (SUCCEEDED(device->CheckFeatureSupport(D3D11_FEATURE_THREADING, &threading, sizeof threading)) &&
        threading.DriverConcurrentCreates == TRUE)
        capabilities |= kCapabilityConcurrentCreates;
}

IDXGIAdapter* RendImpDirect3D11::DeviceAdapter() const
{
    if (!device)
        return nullptr;
    IDXGIDevice* dxgiDevice = nullptr;
    if (FAILED(device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice))) || !dxgiDevice)
        return nullptr;
    IDXGIAdapter* adapter = nullptr;
    if (FAILED(dxgiDevice->GetAdapter(&adapter)))
        adapter = nullptr;
    dxgiDevice->Release();
    return adapter;
}

bool RendImpDirect3D11::OpenPrimaryOutput()
{
    if (output)
        return true;
    IDXGIAdapter* adapter = DeviceAdapter();
    output = FirstOutput(adapter);
    ReleaseAndNull(adapter);
    if (output)
        return true;
    // No device yet (display modes asked before Init), or a device on an adapter without a
    // display (WARP): the first adapter of a factory of our own has the primary output.
    // Under Wine a second factory sets the adapter up once more, so this is only the
    // fallback.
    adapter = FirstAdapterOfNewFactory();
    output = FirstOutput(adapter);
    ReleaseAndNull(adapter);
    return output != nullptr;
}

// The list is not emptied: it keeps the pairs of every call, each once, in the order they
// were first seen (the base operations empty it before asking).
void RendImpDirect3D11::EnumerateDisplayModes()
{
    if (!OpenPrimaryOutput())
        return;
    UINT count = 0;
    if (FAILED(output->GetDisplayModeList(kDisplayFormat, DXGI_ENUM_MODES_INTERLACED, &count, nullptr)) || count == 0)
        return;
    DXGI_MODE_DESC* modes = new (std::nothrow) DXGI_MODE_DESC[count];
    if (!modes)
        return;
    // The list may shrink between the two calls (a display unplugged); the count is then
    // updated to what was written.
    if (SUCCEEDED(output->GetDisplayModeList(kDisplayFormat, DXGI_ENUM_MODES_INTERLACED, &count, modes))) {
        for (UINT i = 0; i < count; ++i) {
            if (modes[i].Format != kDisplayFormat)
                continue;
            const DisplayMode mode = {static_cast<int32_t>(modes[i].Width), static_cast<int32_t>(modes[i].Height)};
            if (!QVI_ContainsDisplayMode(displayModes, mode))
                displayModes.Add(mode);
        }
    }
    delete[] modes;
}

bool RendImpDirect3D11::IsSupported()
{
    return true;
}

int RendImpDirect3D11::GetThreadingCapabilities()
{
    if (capabilities & kCapabilityConcurrentCreates)
        return QV_THREADING_RELEASE_SHADERS_AND_BUFFERS | QV_THREADING_CREATE_SHADERS;
    return 0;
}

int RendImpDirect3D11::GetMaximumTextureSize()
{
    switch (featureLevel) {
    case D3D_FEATURE_LEVEL_9_1:
    case D3D_FEATURE_LEVEL_9_2: return 2048;
    case D3D_FEATURE_LEVEL_9_3: return 4096;
    default: return 16384;
    }
}

int RendImpDirect3D11::GetRendererType()
{
    return QV_RENDERER_TYPE_DIRECT3D11;
}

const char* RendImpDirect3D11::GetName()
{
    return "Direct3D11";
}

int RendImpDirect3D11::GetPixelChannelOrder()
{
    return QV_PIXEL_ORDER_RGBA;
}

bool RendImpDirect3D11::SupportsNonPowerOfTwoTextures()
{
    return (capabilities & kCapabilityNonPowerOfTwoTextures) != 0;
}

int RendImpDirect3D11::GetShaderLevel()
{
    return IsLevel9(featureLevel) ? QV_SHADER_LEVEL_LOW : QV_SHADER_LEVEL_DEFAULT;
}

int RendImpDirect3D11::GetShaderLanguage()
{
    return QV_SHADER_LANGUAGE_HLSL11;
}

bool RendImpDirect3D11::UsesPrecompiledShaders()
{
    return true;
}

void RendImpDirect3D11::PostInit() {}
void RendImpDirect3D11::BeginScene() {}
void RendImpDirect3D11::EndScene() {}
void RendImpDirect3D11::Reserved42() {}
void RendImpDirect3D11::Reserved43() {}
