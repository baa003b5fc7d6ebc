// The device, its 11.1 interfaces, what it can do, and the primary output.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"
#include "platform/windows/d3d11/d3d11_release.h"

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

}  // namespace

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
        QVI_ReportPopup(2, "D3D11 renderer failed to create a device.");
        return false;
    }
    QVI_Report(0, "D3D11 renderer created a %s device of feature level %s", driverName,
               FeatureLevelName(featureLevel));

    HRESULT result = device->QueryInterface(__uuidof(ID3D11Device1), reinterpret_cast<void**>(&device1));
    if (SUCCEEDED(result))
        result = context->QueryInterface(__uuidof(ID3D11DeviceContext1), reinterpret_cast<void**>(&context1));
    if (FAILED(result) || !device1 || !context1) {
        QVI_ReportPopup(2, "D3D11 renderer failed to get the device context.");
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

bool RendImpDirect3D11::OpenPrimaryOutput()
{
    if (output)
        return true;
    IDXGIFactory1* factory = nullptr;
    if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))) || !factory)
        return false;
    IDXGIAdapter1* adapter = nullptr;
    HRESULT result = factory->EnumAdapters1(0, &adapter);
    factory->Release();
    if (FAILED(result) || !adapter)
        return false;
    result = adapter->EnumOutputs(0, &output);
    adapter->Release();
    if (FAILED(result)) {
        output = nullptr;
        return false;
    }
    return output != nullptr;
}
