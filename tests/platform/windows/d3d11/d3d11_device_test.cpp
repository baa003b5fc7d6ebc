// The device's creation, answers and display modes, and its life: Init, a failed Init,
// Shutdown and Init again.
#include "platform/windows/d3d11/d3d11_test_support.h"

namespace d3d11_test {
namespace {

using D3D11DeviceTest = D3D11Test;
using quaven_test::LogCapture;

std::vector<DisplayMode> Modes(const RendImpDirect3D11& renderer) {
    const Array<DisplayMode>& modes = renderer.displayModes;
    return std::vector<DisplayMode>(modes.data, modes.data + modes.count);
}

DXGI_OUTPUT_DESC Describe(IDXGIOutput* output) {
    DXGI_OUTPUT_DESC description = {};
    if (output) output->GetDesc(&description);
    return description;
}

void ExpectSameOutput(const DXGI_OUTPUT_DESC& expected, IDXGIOutput* output) {
    ASSERT_NE(nullptr, output);
    const DXGI_OUTPUT_DESC actual = Describe(output);
    EXPECT_STREQ(expected.DeviceName, actual.DeviceName);
    EXPECT_EQ(expected.Monitor, actual.Monitor);
}

// The output comes from the adapter the device was made on; before Init, and when the
// device cannot name one, from the first adapter. Both give the same display modes.
TEST_F(D3D11DeviceTest, InitCreatesAnElevenOneDeviceOnTheFirstOutputsAdapterAndAnswersForIt) {
    // The modes need no device; enumerating twice keeps each mode once.
    renderer_.EnumerateDisplayModes();
    const std::vector<DisplayMode> withoutDevice = Modes(renderer_);
    ASSERT_FALSE(withoutDevice.empty());
    const DXGI_OUTPUT_DESC firstAdapters = Describe(renderer_.output);
    renderer_.EnumerateDisplayModes();
    ASSERT_EQ(withoutDevice, Modes(renderer_));
    for (size_t i = 0; i < withoutDevice.size(); ++i)
        for (size_t j = i + 1; j < withoutDevice.size(); ++j) EXPECT_FALSE(withoutDevice[i] == withoutDevice[j]);
    EXPECT_TRUE(renderer_.IsDisplayModeSupported(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    ASSERT_TRUE(InitRenderer());
    EXPECT_EQ(1, LogCapture::CountContaining("D3D11 renderer created a hardware device of feature level 11_1",
                                             QV_LOG_INFO));
    EXPECT_EQ(1, LogCapture::CountContaining("created color render target view with dimensions 64 x 48"));
    EXPECT_EQ(D3D_FEATURE_LEVEL_11_1, renderer_.featureLevel);
    EXPECT_TRUE(renderer_.device1 && renderer_.context1);
    EXPECT_NE(nullptr, renderer_.swapChain1) << "a flip-model swap chain through IDXGIFactory2";
    EXPECT_TRUE(renderer_.IsSupported());
    EXPECT_EQ(16384, renderer_.GetMaximumTextureSize());
    EXPECT_EQ(1, renderer_.GetShaderLevel());
    EXPECT_STREQ("Direct3D11", renderer_.GetName());
    // Wine's device reports concurrent creates: release (2) and create (4) off the main thread.
    EXPECT_EQ(6, renderer_.GetThreadingCapabilities());
    EXPECT_EQ(1u, renderer_.syncInterval);

    IDXGIDevice* dxgiDevice = nullptr;
    IDXGIAdapter* adapter = nullptr;
    IDXGIOutput* adapterOutput = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        renderer_.device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice))));
    ASSERT_TRUE(SUCCEEDED(dxgiDevice->GetAdapter(&adapter)));
    ASSERT_TRUE(SUCCEEDED(adapter->EnumOutputs(0, &adapterOutput)));
    const DXGI_OUTPUT_DESC devicesAdapters = Describe(adapterOutput);
    for (IUnknown* object : std::initializer_list<IUnknown*>{adapterOutput, adapter, dxgiDevice}) object->Release();
    ExpectSameOutput(devicesAdapters, renderer_.output);
    ExpectSameOutput(firstAdapters, renderer_.output);
    renderer_.displayModes.count = 0;
    renderer_.EnumerateDisplayModes();
    EXPECT_EQ(withoutDevice, Modes(renderer_));
    ReleaseAndNull(renderer_.output);
    {
        RefusedMethod refused(renderer_.device, kUnknownQueryInterfaceSlot);
        ASSERT_TRUE(renderer_.OpenPrimaryOutput());
    }
    ExpectSameOutput(firstAdapters, renderer_.output);

    features.insert("DISABLE_VSYNC");  // presents without waiting
    ASSERT_TRUE(InitRenderer());
    EXPECT_EQ(0u, renderer_.syncInterval);
    EXPECT_TRUE(renderer_.Present());
}

// Every operation on an object that has no device: before Init and after a failed one.
void UseEveryOperation(RendImpDirect3D11& renderer) {
    const RenderTargetSet backBuffer = {};
    renderer.BeginFrame(0);
    renderer.SetViewport(0, 0, 10, 10, 0.0f, 1.0f);
    renderer.ClearColor(1, 0, 0, 1);
    renderer.ClearDepth(1.0f);
    renderer.SetRenderTargets(&backBuffer);
    renderer.SetBlendMode(QV_BLEND_ADDITIVE);
    renderer.SetColorWrite(false);
    renderer.SetCullMode(QV_CULL_BACK);
    renderer.SetDepthTest(true);
    renderer.SetDepthFunction(QV_DEPTH_GREATER);
    renderer.PrepareDepthStencilState();
    EXPECT_FALSE(renderer.SetScissorRectangle(-5, -5, 10, 10));
    renderer.DisableScissorRectangle();
    renderer.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_ANISOTROPIC);
    renderer.SetSamplerAddressMode(1, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP);
    renderer.SetTexture(0, nullptr);
    renderer.SetFullscreen(false);
    renderer.SetFullscreen(true);
    EXPECT_FALSE(renderer.ChangeVideoMode(100, 100, true));
    EXPECT_FALSE(renderer.Present());
    renderer.Shutdown();
}

TEST_F(D3D11DeviceTest, AFailedInitLeavesNothingBehindInitWorksAfterwardsAndARefusedRasterizerState1FallsBack) {
    UseEveryOperation(renderer_);
    core_.mainWindow = nullptr;  // the swap chain step fails after the device was made
    EXPECT_FALSE(InitRenderer());
    EXPECT_EQ(1, LogCapture::CountPopups("D3D11 renderer failed to create a swap chain.", QV_LOG_ERROR));
    EXPECT_EQ(nullptr, renderer_.device);
    EXPECT_EQ(nullptr, renderer_.context);
    EXPECT_EQ(nullptr, renderer_.output);
    EXPECT_EQ(nullptr, renderer_.swapChain);
    EXPECT_EQ(0, renderer_.ready);
    UseEveryOperation(renderer_);
    core_.mainWindow = window_;
    ASSERT_TRUE(InitRenderer());
    EXPECT_TRUE(renderer_.Present());
    // Init on a live renderer starts over rather than leaking the first device.
    ID3D11Device* first = renderer_.device;
    first->AddRef();
    ASSERT_TRUE(InitRenderer());
    EXPECT_EQ(0u, first->Release());
    renderer_.Shutdown();
    EXPECT_EQ(nullptr, renderer_.device);
    EXPECT_EQ(nullptr, renderer_.blendStates[1][1]);
    EXPECT_EQ(nullptr, renderer_.filterSamplers[7][26]);
    // A refused CreateRasterizerState1 falls back to the plain state.
    ASSERT_TRUE(InitRenderer());
    RefusedMethod refused(renderer_.device1, kDevice1CreateRasterizerState1Slot);
    renderer_.Shutdown();
    ASSERT_TRUE(InitRenderer());
    D3D11_RASTERIZER_DESC1 description = {};
    description.FillMode = D3D11_FILL_SOLID;
    description.CullMode = D3D11_CULL_NONE;
    ID3D11RasterizerState1* state = nullptr;
    ASSERT_TRUE(FAILED(renderer_.device1->CreateRasterizerState1(&description, &state))) << "refusal in place";
    for (auto& row : renderer_.rasterizerStates) EXPECT_TRUE(row[0] && row[1]);
    EXPECT_EQ(0, LogCapture::CountContaining("failed to create a rasterizer state"));
}

}  // namespace
}  // namespace d3d11_test
